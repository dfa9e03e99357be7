#pragma once

#include <QString>
#include <memory>
#include <vector>

class QTemporaryDir;

// The archive work of the Backup and Restore window: what a backup holds and in which order,
// writing it, and extracting an archive into the program folder. The window itself does
// the rest, in this order:
//
// Backup ("Backup"):
//   1. LocationLabel "..." -> "Please choose backup location first", stop.
//   2. BackupSnapshot(AppPath): the databases copied whole. An error ends the backup here
//      ("The backup was not made: ..." to the default handler); nothing was closed.
//   3. DM->FDQuery1's bound controls disabled, FDConnection1 disconnected, FDQuery1 and
//      FDQueryGroups closed.
//   4. The snapshot written to LocationLabel's caption, its error kept for step 6.
//   5. Always (a closing step, errors::finally): FDQuery1 on "Select * FROM
//      tblTags" opened, FDQueryGroups opened, FDConnection1 connected, controls enabled.
//   6. On success "Backup completed!"; otherwise "The backup was not made: ..." to the
//      default handler.
//
// Restore ("Restore"), once RestoreDialog1 gave an archive:
//   1. FDQuery1 and FDQueryGroups closed, FDConnection1 disconnected.
//   2. A placeholder AppPath + kPlaceholderName left by an earlier restore is deleted (with
//      its "-journal"), so that the statement of step 3 can create its table again.
//   3. The connection on the placeholder (LockingMode=Normal, Synchronous=Full), the
//      placeholder's CREATE TABLE executed, "Select * FROM tblTags" opened, GroupCombo
//      cleared. An error here goes to the default handler and ends the restore.
//   4. ExtractBackupArchive(archive, AppPath): on success the box
//      extractionCompletedMessage(result) centred on the screen; an error goes to the
//      default handler (before step 5, so the user reads it first).
//   5. In every case in which step 4 began: the main window's Open command. When it opens
//      no database (cancelled, failed), the database open before step 1 is opened again at
//      its path; only when there is none or it cannot be opened the placeholder stays open,
//      with a message that says so.
namespace backup {

// The open placeholder database of a restore; an entry of that name is never extracted.
inline const QString kPlaceholderName = QStringLiteral("TempReopenDB.db");

// One file of a backup: its entry name in the archive and the file it is read from.
struct BackupEntry {
    QString name;
    QString source;
};

// What a backup of sourceFolder (the program folder, ending with a separator) holds, in the
// archive's order: the settings file, the dictionaries and the Getty word lists that exist;
// then every "*.db" directly in the folder; then every "*.db" of its "DB" folder and of all
// folders below it ("DB/Archive/Old.db"), each folder's files before its subfolders, names
// in the order of the listing (by name, letter case aside).
std::vector<BackupEntry> backupEntries(const QString& sourceFolder);

// The files of a backup of sourceFolder, taken now: backupEntries(sourceFolder), where every
// SQLite database among them is read from a consistent copy made with SQLite's online backup
// and checked, so that another program writing a database meanwhile cannot put a half-written
// file into the archive. The copies lie in a temporary folder of the program's own
// ("Pixolet-backup-XXXXXX" in the system's temporary folder), which goes with the object.
// A database that cannot be copied whole (another program's write lock, a damaged file)
// throws errors::Error naming it; nothing is left behind. Files that are no SQLite database
// are taken as they are.
class BackupSnapshot {
public:
    explicit BackupSnapshot(const QString& sourceFolder);
    ~BackupSnapshot();
    BackupSnapshot(const BackupSnapshot&) = delete;
    BackupSnapshot& operator=(const BackupSnapshot&) = delete;

    // Entry names as backupEntries gives them, the sources of the databases their copies.
    const std::vector<BackupEntry>& entries() const { return m_entries; }

    // Writes the archive zipFileName with the entries, every entry deflated, readable by its
    // owner only (it holds the settings file with the API key). An archive that stood under
    // the name is replaced once the new one is whole, and kept when writing fails
    // (errors::Error).
    void write(const QString& zipFileName) const;

private:
    std::unique_ptr<QTemporaryDir> m_copies;
    std::vector<BackupEntry> m_entries;
};

// BackupSnapshot(sourceFolder).write(zipFileName).
void CreateBackupArchive(const QString& sourceFolder, const QString& zipFileName);

struct RestoreResult {
    int extracted = 0;  // files written
    int refused = 0;    // entries left out because a backup holds no such file
};

// Extracts the files of a backup from zipFileName into programFolder (ending with a
// separator) at their stored paths ("\" counts as "/"), in archive order, creating folders
// and replacing files; each file goes into a temporary file first and replaces the old one
// only once it is whole. Restored are exactly the kinds of files a backup holds: the six
// fixed files, "*.db" directly in the folder and "*.db" in "DB" and below it (and folder
// entries of "DB" and below). Every other entry is refused and counted: other files (the
// executable, scripts, "-journal" files), entries that would leave the folder (a ".." part,
// an absolute path, a drive letter), links and devices. The placeholder's entry is passed
// over. The settings file is restored readable by its owner only. A damaged archive, an
// entry larger than the free disk space or one that cannot be written stops the extraction
// there with errors::Error; the files extracted before it stay replaced.
RestoreResult ExtractBackupArchive(const QString& zipFileName, const QString& programFolder);

// The box after a restore: "Extraction completed successfully!\rPlease choose database you
// want to open...", with a line on the refused entries when there were any.
QString extractionCompletedMessage(const RestoreResult& result);

}  // namespace backup
