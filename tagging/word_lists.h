#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The two Getty word lists in the program folder: "GettyDict.txt", one correction a line
// (the word, "->", the correction), and "GettyBlackList.txt", one banned word or phrase a
// line. The dictionary editor keeps them and the Getty prompt reads them; both go through
// the rules here, so what the editor saved is what the prompt reads.
//
// Files are written as UTF-8 without byte-order mark, every line ending with CR LF (an
// empty list is a file of zero bytes), and read by the program's reading rule
// (text::decodeFile): a byte-order mark decides, else UTF-8, else Windows-1252 for a list
// made on Windows.
namespace wordlists {

QString dictionaryFile();  // the program folder's "GettyDict.txt"
QString blacklistFile();   // the program folder's "GettyBlackList.txt"
// The backup a merge import makes: the list file's name with the extension ".bak".
QString backupFileOf(const QString& listFile);

// The lines of a file by the reading rule; nullopt when the file does not exist. A file
// that exists but cannot be read throws errors::Error with the system's message.
std::optional<QStringList> readLines(const QString& path);

// One row of the dictionary.
struct Correction {
    QString word;
    QString correction;
    bool operator==(const Correction&) const = default;
};

// A dictionary line: the text before the first "->" and the text after it, both trimmed
// (the correction may itself hold "->"); nullopt for a line without "->". A line that
// begins with "->" gives an empty word.
std::optional<Correction> parseCorrection(const QString& line);

// The entries of the two files' lines, in file order: every dictionary line with "->";
// every banned-word line trimmed, empty ones skipped. Duplicates stay.
QList<Correction> dictionaryEntries(const QStringList& lines);
QStringList blacklistEntries(const QStringList& lines);

// The entries of the list files; a missing file has none.
QList<Correction> loadDictionary(const QString& path);
QStringList loadBlacklist(const QString& path);

// Lines sorted ascending by the user's locale collation without regard to case; lines
// that compare equal keep their order.
void sortLines(QStringList& lines);

// What a save writes. Dictionary: one "word->correction" line (both trimmed, no blanks
// around the arrow) for each row whose trimmed word is not empty. Banned words: every row
// that is not empty after trimming, trimmed. Both sorted by sortLines.
QByteArray dictionaryFileBytes(const QList<Correction>& rows);
QByteArray blacklistFileBytes(const QStringList& rows);

// Writes a list file anew (created or replaced); throws errors::Error.
void saveDictionary(const QString& path, const QList<Correction>& rows);
void saveBlacklist(const QString& path, const QStringList& rows);

// Equal without regard to case: every letter (the rule of the banned words and the merge).
bool sameText(const QString& a, const QString& b);
// A text with every character case-folded: texts that sameText calls equal have the same
// key (texts of one key are not always equal by sameText), so a key narrows a search for
// equal texts to the texts of that key.
QString foldedKey(const QString& text);
// Equal without regard to case for the letters A to Z only (the dictionary's duplicates).
bool sameTextAscii(const QString& a, const QString& b);

// A correction that the dictionary holds already: same word and same correction, both
// without regard to case for A to Z.
bool isDuplicateCorrection(const QList<Correction>& rows, const Correction& candidate);
// A banned word that is already a dictionary word or a banned word, without regard to case.
bool isKnownWord(const QList<Correction>& dictionary, const QStringList& banned,
                 const QString& word);

enum class ListKind { Dictionary, Blacklist };

// Merges the lines of another text file into a list file: the list file is first copied to
// its ".bak" (when it exists); each line of the other file, trimmed, is appended when it is
// not empty, (for the dictionary) holds "->", and equals no line of the list so far without
// regard to case; the file is then written anew with its old lines first and the new ones
// after them, unsorted. Returns the number of lines added. A failed backup throws before
// anything is read; an unreadable import file throws with the list file unchanged.
int mergeImport(ListKind kind, const QString& listFile, const QString& importFile);

}  // namespace wordlists
