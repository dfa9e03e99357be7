#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/errors/errors.h"
#include "platform/files/atomic_file.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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

TEST_F(AtomicFileTest, RemovesStaleTemporariesOfTheSameFileOnly) {
    for (const char* name : {"SpellIni.ini.AbC123", "SpellIni.ini.zzzzzz", "SpellIni.ini.bak",
                             "SpellIni.ini.ABCDEFG", "Other.ini.AbC123"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    files::writeAtomically(file(), "x");
    QStringList expected{"Other.ini.AbC123", "SpellIni.ini", "SpellIni.ini.ABCDEFG",
                         "SpellIni.ini.bak"};
    QStringList got = names();
    got.sort();
    EXPECT_EQ(got, expected);
}

TEST(AtomicFileNames, TemporaryPattern) {
    struct Case {
        const char* name;
        bool temporary;
    } cases[] = {{"a.txt.Ab12Zz", true},  {"a.txt.Ab12Z", false},  {"a.txt.Ab12Zzz", false},
                 {"a.txt_Ab12Zz", false}, {"b.txt.Ab12Zz", false}, {"a.txt.Ab-2Zz", false}};
    for (const Case& c : cases)
        EXPECT_EQ(files::isTemporaryOf("a.txt", c.name), c.temporary) << c.name;
}

}  // namespace
