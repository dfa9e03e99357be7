#pragma once

#include <QByteArray>

class QTextDocument;

// The rich edits' RTF. The writer produces 7-bit ASCII in which a plain ASCII word
// stands as typed (control words only where the formatting changes), so stored RTF
// can be matched with LIKE; the same document always gives the same bytes.
namespace rtf {

// The whole document as one RTF document: paragraphs with their alignment; bold,
// italic, underline, strike-out, font, size, text and background colour.
QByteArray write(const QTextDocument& document);

// Replaces the document's content with the RTF given; text that is not RTF is
// loaded as plain text (UTF-8, or Windows-1252 when it is not valid UTF-8). Never
// fails: whatever can be read of damaged RTF is loaded.
void read(const QByteArray& rtf, QTextDocument* document);

}  // namespace rtf
