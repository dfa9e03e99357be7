#include "tagging/word_lists.h"

#include <QCollator>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "platform/appfolder/appfolder.h"
#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"
#include "platform/text/text.h"

namespace wordlists {
namespace {

const QString kArrow = QStringLiteral("->");

// The lists and their backups lie in the program folder, where a link is the user's own.
void writeListFile(const QString& path, const QByteArray& bytes) {
    files::writeAtomically(path, bytes, files::Access::Normal, files::Links::Follow);
}

QByteArray fileBytes(const QStringList& lines) {
    QString text;
    for (const QString& line : lines) text += line + QStringLiteral("\r\n");
    return text.toUtf8();
}

// A list file's lines by the reading rule.
QStringList linesOf(const QByteArray& bytes) {
    return text::splitLines(text::decodeFile(bytes));
}

char16_t asciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

}  // namespace

QString dictionaryFile() {
    return appfolder::programFolder() + QStringLiteral("GettyDict.txt");
}

QString blacklistFile() {
    return appfolder::programFolder() + QStringLiteral("GettyBlackList.txt");
}

QString backupFileOf(const QString& listFile) {
    const QFileInfo info(listFile);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? name : name.left(dot);
    return listFile.left(listFile.size() - name.size()) + base + QStringLiteral(".bak");
}

std::optional<QStringList> readLines(const QString& path) {
    if (!QFileInfo::exists(path)) return std::nullopt;
    return linesOf(files::readWholeFile(path));
}

std::optional<Correction> parseCorrection(const QString& line) {
    const qsizetype arrow = line.indexOf(kArrow);
    if (arrow < 0) return std::nullopt;
    return Correction{text::trim(line.left(arrow)), text::trim(line.mid(arrow + kArrow.size()))};
}

QList<Correction> dictionaryEntries(const QStringList& lines) {
    QList<Correction> entries;
    for (const QString& line : lines)
        if (auto entry = parseCorrection(line)) entries << *entry;
    return entries;
}

QStringList blacklistEntries(const QStringList& lines) {
    QStringList entries;
    for (const QString& line : lines) {
        const QString entry = text::trim(line);
        if (!entry.isEmpty()) entries << entry;
    }
    return entries;
}

QList<Correction> loadDictionary(const QString& path) {
    return dictionaryEntries(readLines(path).value_or(QStringList()));
}

QStringList loadBlacklist(const QString& path) {
    return blacklistEntries(readLines(path).value_or(QStringList()));
}

void sortLines(QStringList& lines) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(lines.begin(), lines.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
}

QByteArray dictionaryFileBytes(const QList<Correction>& rows) {
    QStringList lines;
    for (const Correction& row : rows) {
        const QString word = text::trim(row.word);
        if (!word.isEmpty()) lines << word + kArrow + text::trim(row.correction);
    }
    sortLines(lines);
    return fileBytes(lines);
}

QByteArray blacklistFileBytes(const QStringList& rows) {
    QStringList lines = blacklistEntries(rows);
    sortLines(lines);
    return fileBytes(lines);
}

void saveDictionary(const QString& path, const QList<Correction>& rows) {
    writeListFile(path, dictionaryFileBytes(rows));
}

void saveBlacklist(const QString& path, const QStringList& rows) {
    writeListFile(path, blacklistFileBytes(rows));
}

bool sameText(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

QString foldedKey(const QString& text) {
    QString key;
    key.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(c))
            c = QChar::ReplacementCharacter;  // a lone half: one key for all of them
        const char32_t folded = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(folded)) {
            key += QChar(QChar::highSurrogate(folded));
            key += QChar(QChar::lowSurrogate(folded));
        } else {
            key += QChar(char16_t(folded));
        }
    }
    return key;
}

bool sameTextAscii(const QString& a, const QString& b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (asciiLower(a[i].unicode()) != asciiLower(b[i].unicode())) return false;
    return true;
}

bool isDuplicateCorrection(const QList<Correction>& rows, const Correction& candidate) {
    return std::any_of(rows.begin(), rows.end(), [&](const Correction& row) {
        return sameTextAscii(row.word, candidate.word) &&
               sameTextAscii(row.correction, candidate.correction);
    });
}

bool isKnownWord(const QList<Correction>& dictionary, const QStringList& banned,
                 const QString& word) {
    return std::any_of(dictionary.begin(), dictionary.end(),
                       [&](const Correction& row) { return sameText(row.word, word); }) ||
           std::any_of(banned.begin(), banned.end(),
                       [&](const QString& entry) { return sameText(entry, word); });
}

int mergeImport(ListKind kind, const QString& listFile, const QString& importFile) {
    QStringList lines;
    if (QFileInfo::exists(listFile)) {
        const QByteArray old = files::readWholeFile(listFile);
        writeListFile(backupFileOf(listFile), old);
        lines = linesOf(old);
    }
    const QStringList incoming = linesOf(files::readWholeFile(importFile));
    // The lines so far by their folded keys, so that each incoming line is compared with
    // the few lines of its own key rather than with the whole list.
    QHash<QString, QStringList> known;
    known.reserve(lines.size() + incoming.size());
    for (const QString& existing : std::as_const(lines)) {
        const QString line = text::trim(existing);
        known[foldedKey(line)].append(line);
    }
    int added = 0;
    for (const QString& raw : incoming) {
        const QString line = text::trim(raw);
        if (line.isEmpty()) continue;
        if (kind == ListKind::Dictionary && !line.contains(kArrow)) continue;
        QStringList& sameKey = known[foldedKey(line)];
        const bool isKnown = std::any_of(sameKey.begin(), sameKey.end(), [&](const QString& other) {
            return sameText(other, line);
        });
        if (isKnown) continue;
        sameKey.append(line);
        lines << line;
        ++added;
    }
    writeListFile(listFile, fileBytes(lines));
    return added;
}

}  // namespace wordlists
