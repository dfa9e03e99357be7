#pragma once

#include <QByteArray>

class QTextDocument;

namespace rtf {

// The whole document as one RTF document.
QByteArray write(const QTextDocument& document);

// Replaces the document's content with the RTF given; text that is not RTF is
// loaded as plain text.
void read(const QByteArray& rtf, QTextDocument* document);

}  // namespace rtf
