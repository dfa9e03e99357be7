#include "tagging/tagger_rules.h"

#include "records/main_state.h"

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
    if (apiKey == QLatin1String(kNoAPIKey)) return std::nullopt;
    return apiKey;
}

QString requestFailureText(int status) {
    switch (status) {
        case 0:
            return QStringLiteral(
                "Error 0: Connection timeout or Google Free Tier service overloaded. Try again "
                "later.");
        case 429:
            return QStringLiteral("Error 429: Free Tier API Limit reached. Try again later.");
        case 503:
            return QStringLiteral(
                "Error 503: Google servers overloaded for Free Tier users. Try again later.");
        default:
            return QStringLiteral("AI Analysis failed (Error %1). Tag not counted.").arg(status);
    }
}

}  // namespace tagger
