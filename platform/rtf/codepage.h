#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <optional>

// Windows code pages as RTF uses them: the document's \ansicpg and the code page of
// a font's \fcharset.
namespace rtf::codepage {

// The byte that stands for the character in Windows-1252, or -1 when the code page
// does not hold it.
int toWindows1252(char16_t c);

// The Windows code page of a font character set (\fcharsetN); 0 for the character
// sets that follow the document's own code page (default, symbol, unknown).
int forCharset(int charset);

// The code page itself when it is one of the Windows code pages that documents are
// written in, else 1252.
int known(int codepage);

// Turns bytes of one Windows code page into text. Code pages that this system cannot
// decode read as Windows-1252, so no byte is ever lost.
class Decoder {
public:
    explicit Decoder(int codepage = 1252);
    int codepage() const { return m_codepage; }
    void append(QString& out, const char* data, qsizetype size);

private:
    int m_codepage;
    std::optional<QStringDecoder> m_decoder;  // empty: Windows-1252
};

}  // namespace rtf::codepage
