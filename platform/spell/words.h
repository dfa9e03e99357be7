#pragma once

#include <QList>
#include <QStringView>

namespace spell {

// A word of a text: its first character and its length, in UTF-16 units.
struct WordSpan {
    int start = 0;
    int length = 0;
    int end() const { return start + length; }
    bool operator==(const WordSpan&) const = default;
};

// The words of a text that the spell checker looks up. A word is a run of letters (with
// their combining marks), digits and apostrophes that stand between two of them; every
// other character separates words. Left out are words that hold a digit, all-capital
// words of up to five letters (abbreviations) and every word of a web or e-mail address.
QList<WordSpan> checkedWords(QStringView text);

}  // namespace spell
