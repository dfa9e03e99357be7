#pragma once

#include <QString>

// The text format of a keyword list: keywords separated by ", ".
namespace KeywordList {

// The number of keywords in a list. ';' counts as ','; the text is split at every ',' and
// every piece counts, empty ones too; blanks belong to the keywords. A piece that begins with
// a double quote runs to its closing quote (a doubled quote stands for one, commas inside do
// not split, no closing quote runs to the end); what follows the closing quote up to the next
// comma is one more keyword. An empty text holds none.
int count(const QString& text);

// The list with word appended: the word alone on an empty list, after a blank when the list
// ends with ',', after ", " otherwise.
QString append(const QString& list, const QString& word);

}  // namespace KeywordList
