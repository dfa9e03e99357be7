#include "records/backup_archive.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include "platform/errors/errors.h"
#include "platform/sql/sql.h"
#include "platform/zip/zip.h"

namespace backup {
namespace {

// The fixed files of a backup, in the archive's order.
constexpr char kSettingsFile[] = "SpellIni.ini";
const char* const kFixedFiles[] = {kSettingsFile, "en_US.dic",     "en_US.aff",
                                   "User.dic",    "GettyDict.txt", "GettyBlackList.txt"};

bool isDatabaseName(const QString& name) {
    return name.endsWith(QLatin1String(".db"), Qt::CaseInsensitive);
}

// The folder "DB" and the folders below it, where a backup's databases lie.
bool isDatabaseFolder(const QString& relative) {
    return relative == QLatin1String("DB") || relative.startsWith(QLatin1String("DB/"));
}

// What a backup holds (relative paths with "/"): a fixed file, a database directly in the
// program folder, or a database in "DB" or below it. Anything else in an archive (the
// executable, a script, a journal beside a database) is no file of a backup.
bool isBackupFile(const QString& relative) {
    for (const char* name : kFixedFiles)
        if (relative == QLatin1String(name)) return true;
    if (!isDatabaseName(relative)) return false;
    return !relative.contains(QLatin1Char('/')) || isDatabaseFolder(relative);
}

// The "*.db" files directly in folder (regular files and links to them), by name.
QStringList databasesIn(const QDir& folder) {
    QStringList names;
    for (const QString& name :
         folder.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase))
        if (isDatabaseName(name)) names << name;
    return names;
}

// Every "*.db" in folder and below it, each folder's files before its subfolders; a folder
// reached twice through links is listed once.
void addDatabasesBelow(const QString& folder, const QString& entryPrefix,
                       std::vector<BackupEntry>& entries, QSet<QString>& seen) {
    const QDir dir(folder);
    if (seen.contains(dir.canonicalPath())) return;
    seen.insert(dir.canonicalPath());
    for (const QString& name : databasesIn(dir))
        entries.push_back({entryPrefix + name, dir.filePath(name)});
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                            QDir::Name | QDir::IgnoreCase))
        addDatabasesBelow(dir.filePath(sub), entryPrefix + sub + '/', entries, seen);
}

}  // namespace

std::vector<BackupEntry> backupEntries(const QString& sourceFolder) {
    std::vector<BackupEntry> entries;
    const QDir folder(sourceFolder);
    for (const char* name : kFixedFiles) {
        const QString path = folder.filePath(QLatin1String(name));
        if (QFileInfo(path).isFile()) entries.push_back({QLatin1String(name), path});
    }
    for (const QString& name : databasesIn(folder))
        entries.push_back({name, folder.filePath(name)});
    const QString db = folder.filePath(QStringLiteral("DB"));
    if (QFileInfo(db).isDir()) {
        QSet<QString> seen;
        addDatabasesBelow(db, QStringLiteral("DB/"), entries, seen);
    }
    return entries;
}

BackupSnapshot::BackupSnapshot(const QString& sourceFolder)
    : m_copies(std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                               QStringLiteral("/Pixolet-backup-XXXXXX"))),
      m_entries(backupEntries(sourceFolder)) {
    if (!m_copies->isValid())
        throw errors::Error(
            QStringLiteral("Unable to make a temporary folder in %1: %2")
                .arg(QDir::toNativeSeparators(QDir::tempPath()), m_copies->errorString()));
    int copied = 0;
    for (BackupEntry& entry : m_entries) {
        if (!sql::isDatabaseFile(entry.source)) continue;
        const QString copy = m_copies->filePath(
            QStringLiteral("%1-%2").arg(++copied).arg(QFileInfo(entry.source).fileName()));
        try {
            sql::copyDatabase(entry.source, copy);
        } catch (const errors::Error& e) {
            throw errors::Error(QStringLiteral("%1 could not be copied: %2")
                                    .arg(QDir::toNativeSeparators(entry.source), e.message()));
        }
        entry.source = copy;
    }
}

BackupSnapshot::~BackupSnapshot() = default;

void BackupSnapshot::write(const QString& zipFileName) const {
    // The settings file holds the user's API key.
    zipfile::Writer archive(zipFileName, files::Access::OwnerOnly);
    for (const BackupEntry& entry : m_entries) archive.addFile(entry.source, entry.name);
    archive.commit();
}

void CreateBackupArchive(const QString& sourceFolder, const QString& zipFileName) {
    BackupSnapshot(sourceFolder).write(zipFileName);
}

RestoreResult ExtractBackupArchive(const QString& zipFileName, const QString& programFolder) {
    const zipfile::Reader archive(zipFileName);
    RestoreResult result;
    const qint64 n = archive.count();
    for (qint64 i = 0; i < n; ++i) {
        const zipfile::Entry about = archive.entry(i);
        const QString relative = zipfile::relativePath(about.name);
        const bool folder = about.kind == zipfile::EntryKind::Folder;
        const bool restored =
            folder ? isDatabaseFolder(relative)
                   : about.kind == zipfile::EntryKind::File && isBackupFile(relative);
        if (!restored) {
            ++result.refused;
            continue;
        }
        if (relative == kPlaceholderName) continue;
        const QString target = programFolder + relative;
        const QString parent = folder ? target : QFileInfo(target).absolutePath();
        if (!QDir().mkpath(parent))
            throw errors::Error(QStringLiteral("Unable to extract \"%1\" from %2: the folder %3 "
                                               "cannot be created")
                                    .arg(about.name, QDir::toNativeSeparators(zipFileName),
                                         QDir::toNativeSeparators(parent)));
        if (folder) continue;
        // Every other write of the settings file keeps it to its owner: it holds the API key.
        // A link in the program folder is the user's own and stays.
        archive.extract(i, target,
                        relative == QLatin1String(kSettingsFile) ? files::Access::OwnerOnly
                                                                 : files::Access::Normal,
                        files::Links::Follow);
        ++result.extracted;
    }
    return result;
}

QString extractionCompletedMessage(const RestoreResult& result) {
    QString message = QStringLiteral("Extraction completed successfully!");
    const QString reason = QStringLiteral(
        ": a restore puts back only the settings, the dictionaries, the Getty word lists and "
        "the databases of the program folder.");
    if (result.refused == 1)
        message += QStringLiteral("\r1 entry of the archive was not extracted") + reason;
    else if (result.refused > 1)
        message +=
            QStringLiteral("\r%1 entries of the archive were not extracted").arg(result.refused) +
            reason;
    return message + QStringLiteral("\rPlease choose database you want to open...");
}

}  // namespace backup
