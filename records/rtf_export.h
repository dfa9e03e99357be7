#pragma once

#include <QByteArray>
#include <QString>

// The RTF export of a rich edit's content: the file's text and its writing.
namespace rtfexport {

// The folder the export dialog starts in, under the program folder.
inline constexpr const char* kFolderName = "Keywords";

// The text an export writes for the RTF a rich edit wrote. The RTF is read as lines (CR LF, a
// lone CR and a lone LF each end one; a break at the very end adds no empty line); in each
// line every control word "\highlight" becomes "\highlight0" (so "\highlight1" reads
// "\highlight01", still colour 1); on the joined text every "\paperw255" becomes
// "\paperw255\paperh255"; every line, the last one included, ends in CR LF. Text-colour
// references ("\cf") stay as written. The rules are case-sensitive, replace every occurrence
// and never scan what they inserted; they touch control words only, never text that an
// escaped backslash ("\\") makes look like one.
QByteArray rewrite(const QByteArray& rtf);

// Writes the rewritten RTF into path, whole or not at all: through a temporary file beside it
// that replaces the file only once every byte is on disk. Throws errors::Error with the
// system's message when the file cannot be written.
void writeFile(const QString& path, const QByteArray& rtf);

}  // namespace rtfexport
