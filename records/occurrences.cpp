#include "records/occurrences.h"

namespace occurrences {

QChar foldAtoZ(QChar ch) {
    return ch >= u'A' && ch <= u'Z' ? QChar(ch.unicode() + 32) : ch;
}

QString foldAtoZ(const QString& text) {
    QString folded = text;
    for (QChar& ch : folded) ch = foldAtoZ(ch);
    return folded;
}

bool occursAt(QStringView text, qsizetype position, QStringView word) {
    if (position < 0 || position + word.size() > text.size()) return false;
    for (qsizetype i = 0; i < word.size(); ++i)
        if (foldAtoZ(text[position + i]) != foldAtoZ(word[i])) return false;
    return true;
}

QList<int> find(QStringView text, QStringView word) {
    QList<int> found;
    const qsizetype length = word.size();
    if (length == 0) return found;
    qsizetype from = 0;
    while (from + length <= text.size()) {
        if (occursAt(text, from, word)) {
            found.append(static_cast<int>(from));
            from += length;
        } else {
            ++from;
        }
    }
    return found;
}

}  // namespace occurrences
