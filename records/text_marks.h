#pragma once

#include <QColor>
#include <QList>
#include <QString>

class QTextCharFormat;
class QTextCursor;
class QTextDocument;

// Marks in the rich views: the red keyword marking, the yellow search marks of the batch
// summary and of the record view.
namespace marks {

inline const QColor kMarkColor(255, 255, 0);        // clYellow
inline const QColor kUnmarkedColor(255, 255, 255);  // clWhite

// A document character as a search sees it: a line break is one blank.
QChar searchChar(QChar ch);
// The document's text with one character per caret position, line breaks as blanks.
QString searchableText(const QTextDocument& document);

void setBackground(QTextCursor& range, const QColor& colour);
void paintWholeBackground(QTextDocument* document, const QColor& colour);

// Merges format into every occurrence of word in the document, where text is the document's
// text with one character per caret position (its raw text, or searchableText when a blank of
// the word should also match a line break). Returns the occurrences' positions.
QList<int> markOccurrences(QTextDocument* document, const QString& text, const QString& word,
                           const QTextCharFormat& format);

// The yellow search marks: the whole background white, then every occurrence of word yellow,
// a blank of the word also matching a line break. Returns the occurrences' positions.
QList<int> markYellow(QTextDocument* document, const QString& word);

}  // namespace marks
