#include "platform/spell/words.h"

#include <QChar>

namespace spell {
namespace {

constexpr int kMaxAbbreviation = 5;

// The code point at i and the number of UTF-16 units it takes.
char32_t codePointAt(QStringView text, qsizetype i, int& units) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        units = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    units = 1;
    return c.unicode();
}

bool isWordCharacter(char32_t c) {
    return QChar::isLetterOrNumber(c) || QChar::isMark(c);
}

bool isApostrophe(char32_t c) {
    return c == U'\'' || c == U'\u2019' || c == U'\u02BC';
}

bool isBlank(QChar c) {
    return c.isSpace() || c.unicode() < 32;
}

// Whether the blank-separated token is a web address ("https://...", "www.example.com")
// or an e-mail address ("name@example.com").
bool isAddress(QStringView token) {
    if (token.contains(u"://")) return true;
    qsizetype first = 0;
    while (first < token.size() && !token[first].isLetterOrNumber()) ++first;
    if (token.mid(first).startsWith(u"www.", Qt::CaseInsensitive)) return true;
    const qsizetype at = token.indexOf(u'@');
    if (at > 0 && token[at - 1].isLetterOrNumber()) {
        const qsizetype dot = token.indexOf(u'.', at + 1);
        return dot > at + 1 && dot + 1 < token.size() && token[dot + 1].isLetterOrNumber();
    }
    return false;
}

// Whether a word is left out: it holds a digit, or it is an abbreviation in capitals.
bool isExempt(QStringView word) {
    int letters = 0;
    bool lowerCase = false;
    for (qsizetype i = 0; i < word.size();) {
        int units = 1;
        const char32_t c = codePointAt(word, i, units);
        i += units;
        if (QChar::isNumber(c)) return true;
        if (!QChar::isLetter(c)) continue;
        ++letters;
        if (!QChar::isUpper(c) && !QChar::isTitleCase(c)) lowerCase = true;
    }
    return !lowerCase && letters > 0 && letters <= kMaxAbbreviation;
}

// Appends the words of a token that is not an address.
void addWords(QStringView text, qsizetype from, qsizetype to, QList<WordSpan>& words) {
    qsizetype i = from;
    while (i < to) {
        int units = 1;
        char32_t c = codePointAt(text, i, units);
        if (!isWordCharacter(c)) {
            i += units;
            continue;
        }
        const qsizetype start = i;
        qsizetype end = i + units;
        i = end;
        while (i < to) {
            c = codePointAt(text, i, units);
            if (isWordCharacter(c)) {
                i += units;
                end = i;
                continue;
            }
            // An apostrophe belongs to the word only between two word characters.
            if (isApostrophe(c) && i + units < to) {
                int nextUnits = 1;
                if (isWordCharacter(codePointAt(text, i + units, nextUnits))) {
                    i += units;
                    continue;
                }
            }
            break;
        }
        const QStringView word = text.mid(start, end - start);
        if (!isExempt(word)) words.append({static_cast<int>(start), static_cast<int>(end - start)});
    }
}

}  // namespace

QList<WordSpan> checkedWords(QStringView text) {
    QList<WordSpan> words;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i])) ++i;
        const qsizetype start = i;
        while (i < text.size() && !isBlank(text[i])) ++i;
        if (i > start && !isAddress(text.mid(start, i - start))) addWords(text, start, i, words);
    }
    return words;
}

}  // namespace spell
