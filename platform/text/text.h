#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextDocument;

// Text rules shared by every part of the program.
namespace text {

// Strict text-to-integer conversion: surrounding blanks are allowed, nothing else; "$" or
// "0x" introduce hexadecimal digits. Throws errors::ConvertError("'abc' is not a valid
// integer value").
int strToInt(const QString& text);
// The same rule for 64-bit integers, such as the database's record IDs.
qint64 strToInt64(const QString& text);

// Removes every character with a code of 32 or less (blanks, tabs, line breaks and other
// control characters) from both ends.
QString trim(const QString& text);

// The text of a rich-text document as the rich edit gives it: a line break between paragraphs
// and for each line separator, every other character as it stands (a no-break space stays one;
// the document's plain text would turn it into a blank, which trimming removes).
QString documentText(const QTextDocument& document);

// The text of a file by the program's reading rule: a byte-order mark (UTF-8, UTF-16 LE or
// BE) decides; without one the bytes are UTF-8, and a file that is not valid UTF-8 (one made
// on Windows) reads as Windows-1252, so no byte is ever lost or refused.
QString decodeFile(const QByteArray& bytes);

// The lines of a text as a string list reads them: CR LF, LF and CR each end a line, and a
// break at the very end adds no empty line.
QStringList splitLines(const QString& text);

// Text in Windows-1252, with replacement for every character the code page cannot hold.
QByteArray toWindows1252(const QString& text, char replacement = '?');
QString fromWindows1252(const QByteArray& bytes);

}  // namespace text
