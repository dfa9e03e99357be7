#include "records/keyword_list.h"

namespace KeywordList {

int count(const QString& text) {
    const qsizetype n = text.size();
    const auto isSeparator = [&](qsizetype i) { return text[i] == u',' || text[i] == u';'; };
    const auto skipToSeparator = [&](qsizetype i) {
        while (i < n && !isSeparator(i)) ++i;
        return i;
    };
    int keywords = 0;
    qsizetype i = 0;
    while (i < n) {
        if (text[i] == u'"') {
            // A quoted keyword: up to the closing quote, a doubled quote stands for one.
            ++i;
            while (i < n) {
                if (text[i] != u'"') {
                    ++i;
                } else if (i + 1 < n && text[i + 1] == u'"') {
                    i += 2;
                } else {
                    ++i;
                    break;
                }
            }
            ++keywords;
            // What follows the closing quote up to the next comma is a keyword of its own.
            if (i < n && !isSeparator(i)) {
                i = skipToSeparator(i);
                ++keywords;
            }
        } else {
            i = skipToSeparator(i);
            ++keywords;
        }
        if (i < n) {
            ++i;                     // the separator
            if (i == n) ++keywords;  // a trailing comma ends with an empty keyword
        }
    }
    return keywords;
}

QString append(const QString& list, const QString& word) {
    if (list.isEmpty()) return word;
    if (list.endsWith(u',')) return list + u' ' + word;
    return list + QStringLiteral(", ") + word;
}

}  // namespace KeywordList
