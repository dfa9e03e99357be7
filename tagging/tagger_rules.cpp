#include "tagging/tagger_rules.h"

namespace tagger {

KeywordRange keywordRange(int from, int to) {
    const int highest = to - 2;
    return {from > highest ? highest : from, highest};
}

int shutterstockSelection(int changed, int other, bool batchProcessing) {
    if (batchProcessing || changed == -1 || changed != other) return changed;
    return -1;
}

std::optional<QString> geminiKeyToHandOver(const QString& apiKey) {
    if (apiKey == QLatin1String("No")) return std::nullopt;
    return apiKey;
}

}  // namespace tagger
