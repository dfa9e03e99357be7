#pragma once

#include <QString>
#include <QStringList>

// The user dictionary file: one word a line, UTF-8.
namespace spell {

// The words of the file; a missing or unreadable file has none. Lines are trimmed and
// empty lines skipped; the text is read by the program's reading rule.
QStringList readUserWords(const QString& path);

// Adds words at the end of the file, creating it when it is missing. The file is
// replaced whole, so a failed write leaves it as it was. Throws errors::Error when the
// file cannot be read or written (a read-only file is not replaced).
void appendUserWords(const QString& path, const QStringList& words);

}  // namespace spell
