#include "records/summary_writer.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace summary {

Writer::Writer(QTextDocument* document) : m_document(document) {}

bool Writer::hasText() const {
    return !m_document->isEmpty();
}

bool Writer::endsWithBreak() const {
    return m_document->blockCount() > 1 && m_document->lastBlock().length() == 1;
}

// The character format at the end of the document with the chosen style. Search marks
// (a background) are never carried into new text.
QTextCharFormat Writer::endFormat() const {
    QTextCursor end(m_document);
    end.movePosition(QTextCursor::End);
    QTextCharFormat format = end.charFormat();
    format.clearBackground();
    if (m_style != Style::AtEnd) {
        format.setFontWeight(m_style == Style::Bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(false);
        format.setFontUnderline(false);
        format.setFontStrikeOut(false);
    }
    return format;
}

void Writer::appendLine(const QString& text) {
    const QTextCharFormat format = endFormat();
    const bool atLineStart = !hasText() || endsWithBreak();
    QTextCursor cursor(m_document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (atLineStart) {
        // The empty last paragraph takes the style too, so that what follows starts in it.
        cursor.setBlockCharFormat(format);
        cursor.insertText(text, format);
        cursor.insertBlock(cursor.blockFormat(), format);
    } else {
        cursor.insertBlock(cursor.blockFormat(), format);
        cursor.insertText(text, format);
    }
    cursor.endEditBlock();
}

void Writer::writeAtEnd(const QString& text) {
    const QTextCharFormat format = endFormat();
    QTextCursor cursor(m_document);
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text, format);
}

QString upperAtoZ(const QString& text) {
    QString result = text;
    for (QChar& ch : result)
        if (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) ch = QChar(ch.unicode() - 32);
    return result;
}

void appendSeparator(Writer& writer) {
    if (!writer.hasText()) return;
    writer.setStyle(Style::AtEnd);
    writer.appendEmptyLine();
    writer.appendLine(QStringLiteral("-----"));
}

void appendEntryBody(Writer& writer, const BatchSummaryEntry& entry) {
    writer.setStyle(Style::Bold);
    writer.appendLine(upperAtoZ(entry.title));
    writer.setStyle(Style::Regular);
    writer.appendEmptyLine();
    writer.appendLine(entry.description);
    writer.appendEmptyLine();
    writer.appendLine(entry.keywords);
}

void appendEntry(QTextDocument* document, const BatchSummaryEntry& entry) {
    Writer writer(document);
    QTextCursor group(document);
    group.beginEditBlock();
    appendSeparator(writer);
    appendEntryBody(writer, entry);
    group.endEditBlock();
}

}  // namespace summary
