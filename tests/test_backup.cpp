#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <zip.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <vector>

#include "platform/errors/errors.h"
#include "platform/zip/zip.h"
#include "records/backup_archive.h"
#include "tests/support/archives.h"
#include "tests/support/small_tmpfs.h"

namespace {

// The message of the errors::Error that restoring archive into folder ends with; "" for none.
QString restoreError(const QString& archive, const QString& folder) {
    try {
        backup::ExtractBackupArchive(archive, folder);
    } catch (const errors::Error& e) {
        return e.message();
    }
    return {};
}

QByteArray randomBytes(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& c : bytes) c = static_cast<char>(generator.bounded(256));
    return bytes;
}

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }
    // The program folder, with a trailing separator as the program has it.
    QString program() const { return root.path() + "/Pixolet/"; }
    QString archive() const { return root.path() + "/Backups/Backup.zip"; }
    void make(const QStringList& files) {
        for (const QString& f : files) writeFile(program() + f, "content of " + f.toUtf8());
        QDir().mkpath(root.path() + "/Backups");
    }
    QTemporaryDir root;
};

const QStringList kAllFixed = {"SpellIni.ini", "en_US.dic",     "en_US.aff",
                               "User.dic",     "GettyDict.txt", "GettyBlackList.txt"};

TEST_F(BackupTest, EntriesInTheOrderOfTheTableAndOnlyThoseThatExist) {
    struct Case {
        const char* name;
        QStringList files;
        QStringList entries;
    } cases[] = {
        {"no DB folder",
         kAllFixed + QStringList{"b.db", "A.db", "notes.txt", "x.db-journal", "Other/c.db"},
         kAllFixed + QStringList{"A.db", "b.db"}},
        {"fixed files partly missing, databases below DB",
         {"en_US.aff", "SpellIni.ini", "DB/KeywordsDB.db", "DB/a.db", "DB/readme.txt",
          "DB/Archive/2019.db", "DB/Archive/Deep/x.DB", "DB/Zeta/z.db", "TempReopenDB.db"},
         {"SpellIni.ini", "en_US.aff", "TempReopenDB.db", "DB/a.db", "DB/KeywordsDB.db",
          "DB/Archive/2019.db", "DB/Archive/Deep/x.DB", "DB/Zeta/z.db"}},
        {"nothing to back up", {"readme.txt"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(program()).removeRecursively();
        make(c.files);
        backup::CreateBackupArchive(program(), archive());
        EXPECT_EQ(entryNames(archive()), c.entries);
        // Every entry holds its file, deflated.
        zipfile::Reader reader(archive());
        for (qint64 i = 0; i < reader.count(); ++i) {
            const zipfile::Entry entry = reader.entry(i);
            EXPECT_EQ(entry.size, QFileInfo(program() + entry.name).size())
                << entry.name.toStdString();
        }
        EXPECT_EQ(QDir(root.path() + "/Backups").entryList(QDir::Files), QStringList{"Backup.zip"});
    }
}

// The archive as other tools read it: names, deflate (method 8) and the UTF-8 flag (bit 11)
// on a name that is not ASCII.
TEST_F(BackupTest, OtherToolsReadTheEntriesAndTheirFlags) {
    make({"SpellIni.ini", "User.dic", "DB/KeywordsDB.db", "DB/Fotos München.db"});
    backup::CreateBackupArchive(program(), archive());
    const QString expected =
        "SpellIni.ini 8 0\nUser.dic 8 0\nDB/Fotos München.db 8 1\n"
        "DB/KeywordsDB.db 8 0\n";
    if (const QString python = QStandardPaths::findExecutable("python3"); !python.isEmpty()) {
        QProcess p;
        p.start(python, {"-c",
                         "import sys, zipfile\n"
                         "for i in zipfile.ZipFile(sys.argv[1]).infolist():\n"
                         "    sys.stdout.buffer.write(('%s %d %d\\n' % (i.filename, "
                         "i.compress_type, (i.flag_bits >> 11) & 1)).encode('utf-8'))\n",
                         archive()});
        ASSERT_TRUE(p.waitForFinished());
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), expected)
            << p.readAllStandardError().toStdString();
    } else if (const QString unzip = QStandardPaths::findExecutable("unzip"); !unzip.isEmpty()) {
        QProcess p;
        p.start(unzip, {"-Z1", archive()});
        ASSERT_TRUE(p.waitForFinished());
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
                  "SpellIni.ini\nUser.dic\nDB/Fotos München.db\nDB/KeywordsDB.db\n");
    } else {
        GTEST_SKIP() << "neither python3 nor unzip is installed";
    }
}

TEST_F(BackupTest, AnExistingArchiveIsReplacedAndKeptWhenTheBackupFails) {
    make({"SpellIni.ini", "DB/KeywordsDB.db"});
    writeFile(archive(), "the archive that stood here");
    ASSERT_EQ(::chmod(QFile::encodeName(archive()).constData(), 0644), 0);
    backup::CreateBackupArchive(program(), archive());
    EXPECT_EQ(entryNames(archive()), (QStringList{"SpellIni.ini", "DB/KeywordsDB.db"}));
    // It holds the settings file with the API key: readable by its owner only.
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(archive()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    const QByteArray good = readAll(archive());

    // A database the disk cannot take: the write fails part-way (a file-size limit refuses it
    // as a full disk would, also for root).
    writeFile(program() + "DB/Big.db", randomBytes(1 << 20));
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 256 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString message;
    try {
        backup::CreateBackupArchive(program(), archive());
    } catch (const errors::Error& e) {
        message = e.message();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);
    EXPECT_TRUE(message.startsWith("Unable to write to " + archive())) << message.toStdString();
    EXPECT_EQ(readAll(archive()), good);
    EXPECT_EQ(QDir(root.path() + "/Backups").entryList(QDir::Files), QStringList{"Backup.zip"});

    // A folder that does not exist.
    EXPECT_THROW(backup::CreateBackupArchive(program(), root.path() + "/none/Backup.zip"),
                 errors::Error);
}

// A database whose pages do not hold together ends the backup before anything is written:
// the archive that stood there stays, and no copy is left in the temporary folder.
TEST_F(BackupTest, ADamagedDatabaseEndsTheBackupAndTheOldArchiveStays) {
    make({"SpellIni.ini"});
    const QString database = program() + "DB/Old.db";
    QDir().mkpath(program() + "DB");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(database).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA page_size = 4096; CREATE TABLE tblTags (ID INTEGER PRIMARY KEY, "
                           "AllKeys BLOB); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + "
                           "1 FROM n WHERE i < 300) INSERT INTO tblTags (AllKeys) SELECT "
                           "zeroblob(200) FROM n",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    // The header of the table's root page (page 2) overwritten.
    QByteArray bytes = readAll(database);
    ASSERT_GT(bytes.size(), 2 * 4096);
    for (int i = 4096; i < 4096 + 12; ++i) bytes[i] = '\x7f';
    writeFile(database, bytes);
    writeFile(archive(), "the archive that stood here");

    const QString temporary = root.path() + "/tmp";
    QDir().mkpath(temporary);
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", temporary.toUtf8());
    QString message;
    try {
        backup::CreateBackupArchive(program(), archive());
    } catch (const errors::Error& e) {
        message = e.message();
    }
    qputenv("TMPDIR", tmpdir);
    // The engine's first finding in brackets.
    EXPECT_TRUE(
        message.startsWith(database + " could not be copied: the database is damaged (Page 2"))
        << message.toStdString();
    EXPECT_EQ(readAll(archive()), "the archive that stood here");
    EXPECT_EQ(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

TEST_F(BackupTest, RestorePutsEveryFileBackAtItsPlace) {
    make({"SpellIni.ini", "User.dic", "Beside.db", "DB/KeywordsDB.db", "DB/Archive/2019.db"});
    writeFile(program() + "DB/KeywordsDB.db", randomBytes(300000));
    backup::CreateBackupArchive(program(), archive());
    const QByteArray database = readAll(program() + "DB/KeywordsDB.db");

    // Into a folder that has only an older settings file: the subfolders are made.
    const QString other = root.path() + "/Other/";
    writeFile(other + "SpellIni.ini", "older");
    const backup::RestoreResult result = backup::ExtractBackupArchive(archive(), other);
    EXPECT_EQ(result.extracted, 5);
    EXPECT_EQ(result.refused, 0);
    EXPECT_EQ(filesBelow(other), filesBelow(program()));
    EXPECT_EQ(readAll(other + "SpellIni.ini"), "content of SpellIni.ini");
    EXPECT_EQ(readAll(other + "DB/Archive/2019.db"), "content of DB/Archive/2019.db");
    EXPECT_EQ(readAll(other + "DB/KeywordsDB.db"), database);
}

// The user's own copies beside the archive and beside the restored files are no leftovers of
// the program's and stay.
TEST_F(BackupTest, CopiesOfTheUsersBesideTheArchiveAndTheRestoredFilesStay) {
    make({"SpellIni.ini", "DB/KeywordsDB.db"});
    const QStringList beside{"Backups/Backup.zip.backup", "Backups/Backup.zip.241204",
                             "Pixolet/DB/KeywordsDB.db.backup", "Pixolet/DB/KeywordsDB.db.before",
                             "Pixolet/SpellIni.ini.backup"};
    for (const QString& name : beside) writeFile(root.path() + '/' + name, "the user's copy");
    backup::CreateBackupArchive(program(), archive());
    backup::ExtractBackupArchive(archive(), program());
    for (const QString& name : beside)
        EXPECT_EQ(readAll(root.path() + '/' + name), "the user's copy") << name.toStdString();
    EXPECT_EQ(filesBelow(root.path()).size(), beside.size() + 3);
}

// Archives written on Windows, and those of some other tools, hold "\" between the parts of a
// name.
TEST_F(BackupTest, RestoreTakesBackslashesAsSeparators) {
    make({});
    writeRawArchive(archive(), {{"SpellIni.ini", "[TextMax]"},
                                {"DB\\Archive\\2019.db", "old records"},
                                {"DB/Mixed\\KeywordsDB.db", "records"},
                                {"DB\\Empty\\", ""}});
    const backup::RestoreResult result = backup::ExtractBackupArchive(archive(), program());
    EXPECT_EQ(result.extracted, 3);
    EXPECT_EQ(filesBelow(program()),
              (QStringList{"DB/Archive/2019.db", "DB/Mixed/KeywordsDB.db", "SpellIni.ini"}));
    EXPECT_EQ(readAll(program() + "DB/Archive/2019.db"), "old records");
    EXPECT_TRUE(QFileInfo(program() + "DB/Empty").isDir());
}

// Nothing of a hostile archive lands outside the program folder; the rest is extracted and
// the refused entries are counted. The open placeholder is never replaced.
TEST_F(BackupTest, RestoreRefusesEntriesThatLeaveTheProgramFolder) {
    make({"TempReopenDB.db"});
    const QString outside = root.path() + "/outside";
    QDir().mkpath(outside);
    writeRawArchive(archive(), {{"../evil.db", "x"},
                                {"DB/../../evil.db", "x"},
                                {"..\\evil.db", "x"},
                                {QFile::encodeName(outside) + "/absolute.db", "x"},
                                {"\\\\server\\share\\unc.db", "x"},
                                {"C:\\evil.db", "x"},
                                {"c:evil.db", "x"},
                                {"link.db", outside.toUtf8(), S_IFLNK | 0777},
                                {"fifo.db", "", S_IFIFO | 0644},
                                {"TempReopenDB.db", "an old placeholder"},
                                {"./SpellIni.ini", "settings"},
                                {"DB/ok..db", "dots are fine"},
                                {"link.db/inside.db", "a folder now"}});
    const backup::RestoreResult result = backup::ExtractBackupArchive(archive(), program());
    EXPECT_EQ(result.refused, 10);
    EXPECT_EQ(result.extracted, 2);
    EXPECT_EQ(filesBelow(root.path()),
              (QStringList{"Backups/Backup.zip", "Pixolet/DB/ok..db", "Pixolet/SpellIni.ini",
                           "Pixolet/TempReopenDB.db"}));
    EXPECT_FALSE(QFileInfo::exists(program() + "link.db"));
    EXPECT_EQ(readAll(program() + "TempReopenDB.db"), "content of TempReopenDB.db");
    EXPECT_EQ(backup::extractionCompletedMessage(result),
              "Extraction completed successfully!\r10 entries of the archive were not extracted: "
              "a restore puts back only the settings, the dictionaries, the Getty word lists and "
              "the databases of the program folder.\rPlease choose database you want to open...");
}

// A backup holds the six fixed files and the databases beside the program and below "DB":
// a restore writes nothing else, neither a program nor a journal beside a database.
TEST_F(BackupTest, RestorePutsBackOnlyTheKindsOfFilesABackupHolds) {
    make({"Pixolet", "DB/KeywordsDB.db"});
    writeRawArchive(archive(), {{"Pixolet", "#!/bin/sh\necho planted\n", S_IFREG | 0755},
                                {"run.sh", "#!/bin/sh\n", S_IFREG | 0755},
                                {"Help/", ""},
                                {"Help/index.html", "<p>planted</p>"},
                                {"KeywordsDB.db-journal", "journal"},
                                {"DB/KeywordsDB.db-journal", "journal"},
                                {"Other/c.db", "not a backup's place"},
                                {"spellini.ini", "not the settings file"},
                                {"en_US.dic.bak", "x"},
                                {"SpellIni.ini", "settings"},
                                {"en_US.dic", "words"},
                                {"en_US.aff", "affixes"},
                                {"User.dic", "own words"},
                                {"GettyDict.txt", "kid->child"},
                                {"GettyBlackList.txt", "cute"},
                                {"A.DB", "beside"},
                                {"DB\\KeywordsDB.db", "records"},
                                {"DB/Old/", ""},
                                {"DB/Archive/2019.db", "old records"}});
    const backup::RestoreResult result = backup::ExtractBackupArchive(archive(), program());
    EXPECT_EQ(result.refused, 9);
    EXPECT_EQ(result.extracted, 9);
    EXPECT_EQ(filesBelow(program()),
              (QStringList{"A.DB", "DB/Archive/2019.db", "DB/KeywordsDB.db", "GettyBlackList.txt",
                           "GettyDict.txt", "Pixolet", "SpellIni.ini", "User.dic", "en_US.aff",
                           "en_US.dic"}));
    EXPECT_EQ(readAll(program() + "Pixolet"), "content of Pixolet");
    EXPECT_EQ(readAll(program() + "DB/KeywordsDB.db"), "records");
    EXPECT_TRUE(QFileInfo(program() + "DB/Old").isDir());
    EXPECT_FALSE(QFileInfo::exists(program() + "Help"));
}

// The settings file holds the API key: a restore leaves it to its owner, whatever the umask
// and whatever the file it replaces allowed.
TEST_F(BackupTest, TheRestoredSettingsFileIsReadableByItsOwnerOnly) {
    make({});
    writeRawArchive(archive(), {{"SpellIni.ini", "[AISettings]\r\nGeminiKey=AIza-secret\r\n"},
                                {"User.dic", "words"}});
    const mode_t savedMask = ::umask(0);
    for (const bool before : {false, true}) {
        SCOPED_TRACE(before ? "over a file readable by all" : "without a settings file");
        QFile::remove(program() + "SpellIni.ini");
        if (before) {
            writeFile(program() + "SpellIni.ini", "old");
            ::chmod(QFile::encodeName(program() + "SpellIni.ini").constData(), 0644);
        }
        backup::ExtractBackupArchive(archive(), program());
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(program() + "SpellIni.ini").constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        ASSERT_EQ(::stat(QFile::encodeName(program() + "User.dic").constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0666u);
    }
    ::umask(savedMask);
}

TEST(BackupMessage, SaysHowManyEntriesWereRefused) {
    EXPECT_EQ(backup::extractionCompletedMessage({3, 0}),
              "Extraction completed successfully!\rPlease choose database you want to open...");
    EXPECT_EQ(backup::extractionCompletedMessage({3, 1}),
              "Extraction completed successfully!\r1 entry of the archive was not extracted: a "
              "restore puts back only the settings, the dictionaries, the Getty word lists and "
              "the databases of the program folder.\rPlease choose database you want to open...");
}

TEST(ZipPaths, RelativePathOfAnEntryName) {
    struct Case {
        const char* name;
        const char* relative;
    } cases[] = {{"DB/KeywordsDB.db", "DB/KeywordsDB.db"},
                 {"DB\\Sub\\a.db", "DB/Sub/a.db"},
                 {"./a//b/./c", "a/b/c"},
                 {"a/", "a"},
                 {"..", ""},
                 {"a/../b", ""},
                 {"/etc/passwd", ""},
                 {"\\x", ""},
                 {"C:\\x", ""},
                 {"C:", ""},
                 {"./d:x", ""},
                 {"dir/C:x", "dir/C:x"},
                 {"", ""},
                 {"./", ""},
                 {"..a/b..", "..a/b.."}};
    for (const Case& c : cases)
        EXPECT_EQ(zipfile::relativePath(QString::fromUtf8(c.name)), QString::fromUtf8(c.relative))
            << c.name;
}

// Offsets of the uncompressed-size field in the first local header and the central header.
void setStatedSize(QByteArray& zip, quint32 size) {
    const qsizetype local = zip.indexOf("PK\x03\x04");
    const qsizetype central = zip.indexOf("PK\x01\x02");
    ASSERT_EQ(local, 0);
    ASSERT_GT(central, 0);
    for (const qsizetype at : {local + 22, central + 24})
        for (int i = 0; i < 4; ++i) zip[at + i] = static_cast<char>(size >> (8 * i));
}

TEST_F(BackupTest, ADamagedArchiveStopsAtTheEntryAndReplacesNothingWithPartOfIt) {
    make({"SpellIni.ini", "second.db", "User.dic"});
    writeFile(program() + "second.db", QByteArray(200000, 's') + randomBytes(100000));
    writeRawArchive(archive(), {{"SpellIni.ini", "new first"},
                                {"second.db", readAll(program() + "second.db")},
                                {"User.dic", "new third"}});
    const QString target = root.path() + "/Target/";
    for (const char* name : {"SpellIni.ini", "second.db", "User.dic"})
        writeFile(target + name, "old");

    // Flipped bytes inside the second entry's data.
    QByteArray bytes = readAll(archive());
    const qsizetype second = bytes.indexOf("second.db");
    for (qsizetype i = second + 5000; i < second + 5100; ++i) bytes[i] = ~bytes[i];
    writeFile(archive(), bytes);
    const QString message = restoreError(archive(), target);
    EXPECT_TRUE(message.startsWith("Unable to extract \"second.db\" from "))
        << message.toStdString();
    EXPECT_EQ(readAll(target + "SpellIni.ini"), "new first");
    EXPECT_EQ(readAll(target + "second.db"), "old");
    EXPECT_EQ(readAll(target + "User.dic"), "old");
    EXPECT_EQ(filesBelow(target), (QStringList{"SpellIni.ini", "User.dic", "second.db"}));

    // Cut in half: no directory to read, nothing extracted.
    writeFile(archive(), bytes.left(bytes.size() / 2));
    const QString cut = restoreError(archive(), target);
    EXPECT_TRUE(cut.startsWith("Unable to read " + archive())) << cut.toStdString();
    EXPECT_EQ(readAll(target + "User.dic"), "old");
}

// An entry whose data inflates beyond the size it states stops as soon as it does.
TEST_F(BackupTest, AnEntryThatExpandsBeyondItsStatedSizeIsRefused) {
    make({});
    writeRawArchive(archive(), {{"bomb.db", QByteArray(4 << 20, '\0')}});
    QByteArray bytes = readAll(archive());
    setStatedSize(bytes, 1000);
    writeFile(archive(), bytes);
    const QString message = restoreError(archive(), program());
    EXPECT_TRUE(message.contains("longer than the 1000 bytes it states")) << message.toStdString();
    EXPECT_EQ(filesBelow(program()), QStringList{});
}

// On a small disk an entry that states more than is free is refused before anything is
// written, and what came before it stays.
TEST_F(BackupTest, AnEntryLargerThanTheFreeDiskSpaceIsRefused) {
    SmallTmpfs disk;
    if (!disk.mounted()) GTEST_SKIP() << "no small tmpfs: " << disk.why().toStdString();
    make({});
    writeRawArchive(archive(),
                    {{"SpellIni.ini", "settings"}, {"DB/bomb.db", QByteArray(8 << 20, '\0')}});
    const QString folder = disk.path() + "/";
    const QString message = restoreError(archive(), folder);
    EXPECT_TRUE(message.contains("it needs 8388608 bytes, but the disk has only"))
        << message.toStdString();
    EXPECT_EQ(filesBelow(folder), QStringList{"SpellIni.ini"});
}

}  // namespace
