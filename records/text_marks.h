#pragma once

#include <QColor>
#include <QString>

class QTextCursor;
class QTextDocument;

// Yellow search marks in the rich views: the batch summary and the record view.
namespace marks {

inline const QColor kMarkColor(255, 255, 0);        // clYellow
inline const QColor kUnmarkedColor(255, 255, 255);  // clWhite

// Folds only the letters A to Z to lower case; every other character stays as it is.
QChar foldAtoZ(QChar ch);
QString foldAtoZ(const QString& text);

// A document character as a search sees it: a line break is one blank.
QChar searchChar(QChar ch);
// The document's text with one character per caret position, line breaks as blanks.
QString searchableText(const QTextDocument& document);

void setBackground(QTextCursor& range, const QColor& colour);
void paintWholeBackground(QTextDocument* document, const QColor& colour);

}  // namespace marks
