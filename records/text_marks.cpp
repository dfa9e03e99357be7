#include "records/text_marks.h"

#include <QTextCursor>
#include <QTextDocument>

#include "records/occurrences.h"

namespace marks {

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

QList<int> markOccurrences(QTextDocument* document, const QString& text, const QString& word,
                           const QTextCharFormat& format) {
    const QList<int> found = occurrences::find(text, word);
    QTextCursor cursor(document);
    for (const int at : found) {
        cursor.setPosition(at);
        cursor.setPosition(at + static_cast<int>(word.size()), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
    return found;
}

QList<int> markYellow(QTextDocument* document, const QString& word) {
    paintWholeBackground(document, kUnmarkedColor);
    QTextCharFormat yellow;
    yellow.setBackground(kMarkColor);
    return markOccurrences(document, searchableText(*document), word, yellow);
}

}  // namespace marks
