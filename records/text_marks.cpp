#include "records/text_marks.h"

#include <QTextCursor>
#include <QTextDocument>

namespace marks {

QChar foldAtoZ(QChar ch) {
    return ch >= QLatin1Char('A') && ch <= QLatin1Char('Z') ? QChar(ch.unicode() + 32) : ch;
}

QString foldAtoZ(const QString& text) {
    QString folded = text;
    for (QChar& ch : folded) ch = foldAtoZ(ch);
    return folded;
}

QChar searchChar(QChar ch) {
    return ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator ||
                   ch == QLatin1Char('\n') || ch == QLatin1Char('\r')
               ? QLatin1Char(' ')
               : ch;
}

QString searchableText(const QTextDocument& document) {
    QString text = document.toRawText();
    for (QChar& ch : text) ch = searchChar(ch);
    return text;
}

void setBackground(QTextCursor& range, const QColor& colour) {
    QTextCharFormat format;
    format.setBackground(colour);
    range.mergeCharFormat(format);
}

void paintWholeBackground(QTextDocument* document, const QColor& colour) {
    QTextCursor all(document);
    all.select(QTextCursor::Document);
    setBackground(all, colour);
}

}  // namespace marks
