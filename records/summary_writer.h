#pragma once

#include <QString>

class QTextDocument;
class QTextCharFormat;

// Writes lines and runs at the end of the batch summary document. The main window's "Add"
// and the tagger's hand-over both build their entries with it.
namespace summary {

// The character style of what is written next. Font, size and colour always follow the
// end of the document; only the style is chosen.
enum class Style {
    AtEnd,    // as in effect at the end of the document
    Regular,  // no bold, italic, underline or strike-out
    Bold,     // bold alone
};

class Writer {
public:
    explicit Writer(QTextDocument* document);

    // The style of the lines and runs that follow (AtEnd until it is set).
    void setStyle(Style style) { m_style = style; }

    // True when the document's text holds at least one character (blanks and line
    // breaks included).
    bool hasText() const;

    // Adds text as the document's last paragraph: on an empty document or one that ends
    // with a paragraph break, the text and then a break; otherwise a break, then the text.
    void appendLine(const QString& text);
    // The same with an empty text: always exactly one paragraph break at the end.
    void appendEmptyLine() { appendLine(QString()); }
    // Inserts text at the very end, without a paragraph break.
    void writeAtEnd(const QString& text);

private:
    QTextCharFormat endFormat() const;
    bool endsWithBreak() const;

    QTextDocument* m_document;
    Style m_style = Style::AtEnd;
};

// What one entry of the batch summary holds.
struct BatchSummaryEntry {
    QString title;
    QString description;
    QString keywords;
};

// The letters a to z turned into A to Z; every other character stays.
QString upperAtoZ(const QString& text);

// The entry's separator: an empty line and "-----" in the style at the end of the
// document, only when the document holds any text.
void appendSeparator(Writer& writer);
// The entry's own paragraphs: the upper-cased title in bold, then an empty line, the
// description, an empty line and the keywords in regular type. The document then ends
// with a paragraph break and regular style.
void appendEntryBody(Writer& writer, const BatchSummaryEntry& entry);
// Separator and body at the end of the document.
void appendEntry(QTextDocument* document, const BatchSummaryEntry& entry);

}  // namespace summary
