#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qt_print.h"

namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

class AtomicFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.filePath("SpellIni.ini"); }
    QStringList names() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(AtomicFileTest, WritesReplacesAndLeavesNoTemporaryFile) {
    files::writeAtomically(file(), "first");
    files::writeAtomically(file(), "second, longer");
    EXPECT_EQ(readAll(file()), "second, longer");
    EXPECT_EQ(names(), QStringList{"SpellIni.ini"});
    files::writeAtomically(file(), QByteArray());
    EXPECT_EQ(QFileInfo(file()).size(), 0);
}

TEST_F(AtomicFileTest, KeepsTheModeOfTheFileItReplacesAndOwnerOnlyHidesASecret) {
    files::writeAtomically(file(), "a");
    ASSERT_EQ(::chmod(QFile::encodeName(file()).constData(), 0640), 0);
    files::writeAtomically(file(), "b");
    EXPECT_EQ(modeOf(file()), 0640u);
    files::writeAtomically(file(), "key", files::Access::OwnerOnly);
    EXPECT_EQ(modeOf(file()), 0600u);
}

TEST_F(AtomicFileTest, AFolderThatRefusesWritesKeepsTheOldFileAndSaysWhy) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    files::writeAtomically(file(), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0500), 0);
    try {
        files::writeAtomically(file(), "new");
        ADD_FAILURE() << "no error";
    } catch (const errors::Error& e) {
        EXPECT_TRUE(e.message().startsWith("Unable to write to ")) << e.message().toStdString();
    }
    ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
    EXPECT_EQ(readAll(file()), "old");
}

TEST_F(AtomicFileTest, AWriteThatFailsPartWayKeepsTheOldFileWhole) {
    // A file-size limit makes the kernel refuse the write part-way (EFBIG), as a full disk
    // does with ENOSPC, and works for root too.
    files::writeAtomically(file(), "old contents");
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool threw = false;
    try {
        files::writeAtomically(file(), QByteArray(100000, 'x'));
    } catch (const errors::Error& e) {
        threw = true;
        EXPECT_TRUE(e.message().startsWith("Unable to write to ")) << e.message().toStdString();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);
    EXPECT_TRUE(threw);
    EXPECT_EQ(readAll(file()), "old contents");
    EXPECT_EQ(names(), QStringList{"SpellIni.ini"});
}

// The user's own copies beside a file ("SpellIni.ini.backup", a dated "Backup.zip.241204")
// stay; only what an interrupted write of the program left behind goes, whichever file of the
// folder it was for, libzip's temporary file beside it included.
TEST_F(AtomicFileTest, RemovesOnlyTheProgramsOwnLeftOvers) {
    const QStringList users{"SpellIni.ini.backup",
                            "SpellIni.ini.before",
                            "SpellIni.ini.AbC123",
                            "Backup.zip.241204",
                            "Backup.zip.backup.zzzzzz",
                            "pixolet-tmp-AbC123",
                            "SpellIni.ini.pixolet-tmp-AbC123"};
    const QStringList leftOvers{".SpellIni.ini.pixolet-tmp-AbC123", ".Other.ini.pixolet-tmp-zz99zz",
                                ".Backup.zip.pixolet-tmp-AbC123.Xy12Zz"};
    // A temporary file written just now belongs to a write under way (another run of the
    // program): it stays too.
    const QString underWay = ".Other.ini.pixolet-tmp-Now123";
    for (const QString& name : users + QStringList{underWay}) writeFile(dir.filePath(name), "x");
    for (const QString& name : leftOvers) writeOldFile(dir.filePath(name), "x");
    files::writeAtomically(file(), "x");
    QStringList expected = users + QStringList{underWay, "SpellIni.ini"};
    expected.sort();
    QStringList got = names();
    got.sort();
    EXPECT_EQ(got, expected);
}

// Files of the program folder: a link there is the user's own and is written through.
TEST_F(AtomicFileTest, FollowingLinksWritesThroughThemAndRefusesWhatIsNoRegularFile) {
    files::writeAtomically(file(), "old");
    const QString link = dir.filePath("link");
    ASSERT_TRUE(QFile::link(file(), link));
    files::writeAtomically(link, "through the link", files::Access::Normal, files::Links::Follow);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(file()), "through the link");

    // Root could otherwise rename a file over a device.
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString null = dir.filePath("null");
    ASSERT_TRUE(QFile::link("/dev/null", null));
    const QString folder = dir.filePath("folder");
    ASSERT_TRUE(QDir().mkdir(folder));
    const struct {
        QString path;
        const char* reason;
    } refused[] = {{fifo, "it is not a regular file"},
                   {null, "it is not a regular file"},
                   {folder, "Is a directory"}};
    for (const auto& r : refused) {
        try {
            files::writeAtomically(r.path, "x", files::Access::Normal, files::Links::Follow);
            ADD_FAILURE() << "no error for " << r.path.toStdString();
        } catch (const errors::Error& e) {
            EXPECT_EQ(e.message(), "Unable to write to " + r.path + ": " + r.reason);
        }
    }
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(QFileInfo(null).symLinkTarget(), "/dev/null");
    QStringList left = names();
    left.sort();
    EXPECT_EQ(left, (QStringList{"SpellIni.ini", "link", "null"}));
}

// Anywhere else a link in a file's place may be someone else's: it is replaced by the file,
// and what it leads to is neither written nor given away by the new file's permissions.
TEST_F(AtomicFileTest, ALinkIsReplacedAndWhatItLeadsToStaysUntouched) {
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.filePath("victim.txt");
    writeFile(victim, "the victim's own");
    ASSERT_EQ(::chmod(QFile::encodeName(victim).constData(), 0644), 0);
    const QString link = dir.filePath("AdobeCSV.csv");
    ASSERT_TRUE(QFile::link(victim, link));
    const QString dangling = dir.filePath("GettyCSV.csv");
    ASSERT_TRUE(QFile::link(elsewhere.filePath("missing"), dangling));
    const QString device = dir.filePath("ShutterCSV.csv");
    ASSERT_TRUE(QFile::link("/dev/null", device));
    for (const QString& path : {link, dangling, device}) {
        SCOPED_TRACE(path.toStdString());
        files::writeAtomically(path, "new", files::Access::OwnerOnly);
        EXPECT_FALSE(QFileInfo(path).isSymLink());
        EXPECT_EQ(readAll(path), "new");
        EXPECT_EQ(modeOf(path), 0600u);
    }
    EXPECT_EQ(readAll(victim), "the victim's own");
    EXPECT_EQ(modeOf(victim), 0644u);
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files), QStringList{"victim.txt"});
}

// A folder in a place others can write to: made for its owner only, refused when someone else
// put a link, a file or a folder of theirs there first.
TEST_F(AtomicFileTest, APrivateFolderIsTheUsersAloneOrRefused) {
    const QString made = dir.filePath("made");
    files::ensurePrivateFolder(made);
    EXPECT_TRUE(QFileInfo(made).isDir());
    EXPECT_EQ(modeOf(made), 0700u);
    ASSERT_EQ(::chmod(QFile::encodeName(made).constData(), 0777), 0);
    files::ensurePrivateFolder(made);  // an own folder open to others is closed again
    EXPECT_EQ(modeOf(made), 0700u);
    EXPECT_TRUE(files::isOwnFolder(made));

    QTemporaryDir elsewhere;
    const QString link = dir.filePath("link"), file = dir.filePath("file"),
                  theirs = dir.filePath("theirs");
    ASSERT_TRUE(QFile::link(elsewhere.path(), link));
    writeFile(file, "x");
    struct Case {
        QString path;
        const char* why;
    };
    std::vector<Case> cases{{link, "it is a symbolic link"}, {file, "it is not a folder"}};
    if (::geteuid() == 0) {  // only root can give a folder away
        ASSERT_TRUE(QDir().mkdir(theirs));
        ASSERT_EQ(::chown(QFile::encodeName(theirs).constData(), 65534, 65534), 0);
        cases.push_back({theirs, "it belongs to another user"});
    }
    for (const Case& c : cases) {
        try {
            files::ensurePrivateFolder(c.path);
            ADD_FAILURE() << "no error for " << c.path.toStdString();
        } catch (const errors::Error& e) {
            EXPECT_EQ(e.message(), "Unable to use the folder " + c.path + ": " + c.why);
        }
        EXPECT_FALSE(files::isOwnFolder(c.path)) << c.path.toStdString();
    }
    EXPECT_FALSE(files::isOwnFolder(dir.filePath("missing")));
    EXPECT_EQ(modeOf(elsewhere.path()), 0700u);
}

TEST_F(AtomicFileTest, StreamedWritesReachTheFileOnlyAtCommit) {
    files::writeAtomically(file(), "old");
    {
        files::AtomicFile abandoned(file());
        abandoned.write("half of it");
    }
    EXPECT_EQ(readAll(file()), "old");
    EXPECT_EQ(names(), QStringList{"SpellIni.ini"});

    files::AtomicFile streamed(file());
    streamed.write("new ");
    streamed.write(QByteArray(100000, 'n'));
    EXPECT_EQ(readAll(file()), "old");
    streamed.commit();
    EXPECT_EQ(readAll(file()).size(), 100004);

    // A library that writes by name and renames a file of its own over the temporary one.
    files::AtomicFile byName(file());
    const QString other = dir.filePath("library-output");
    {
        QFile out(other);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("written by a library");
    }
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(),
                       QFile::encodeName(byName.temporaryPath()).constData()),
              0);
    byName.commit();
    EXPECT_EQ(readAll(file()), "written by a library");
    EXPECT_EQ(names(), QStringList{"SpellIni.ini"});
}

TEST_F(AtomicFileTest, ReadsOnlyRegularFiles) {
    files::writeAtomically(file(), "content");
    const QString link = dir.filePath("link"), fifo = dir.filePath("fifo"),
                  zero = dir.filePath("zero");
    ASSERT_TRUE(QFile::link(file(), link));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    EXPECT_EQ(files::readRegularFile(file()), QByteArray("content"));
    EXPECT_EQ(files::readRegularFile(link), QByteArray("content"));
    for (const QString& path : {fifo, zero, dir.path(), dir.filePath("missing")})
        EXPECT_FALSE(files::readRegularFile(path).has_value()) << path.toStdString();
}

TEST(AtomicFileNames, TemporaryPattern) {
    struct Case {
        const char* name;
        bool temporary;
    } cases[] = {{".a.txt.pixolet-tmp-Ab12Zz", true},
                 {".a.txt.pixolet-tmp-Ab12Zz.x1Y2z3", true},  // libzip's beside ours
                 {".a.txt.pixolet-tmp-Ab12Z", false},
                 {".a.txt.pixolet-tmp-Ab12Zzz", false},
                 {".a.txt.pixolet-tmp-Ab-2Zz", false},
                 {".a.txt.pixolet-tmp-Ab12Zz.x1Y2z", false},
                 {"a.txt.pixolet-tmp-Ab12Zz", false},
                 {"..pixolet-tmp-Ab12Zz", false},
                 {"a.txt.Ab12Zz", false},
                 {".a.txt.Ab12Zz", false}};
    for (const Case& c : cases) EXPECT_EQ(files::isTemporaryName(c.name), c.temporary) << c.name;
}

}  // namespace
