#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "platform/errors/errors.h"
#include "platform/ini/ini.h"
#include "platform/text/text.h"
#include "tests/support/file_bytes.h"
#include "tests/support/small_tmpfs.h"

namespace {

class IniTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file() const { return dir.path() + "/SpellIni.ini"; }
};

TEST_F(IniTest, MissingFileReadsAsEmptyAndFirstWriteCreatesIt) {
    ini::IniFile settings(file());
    EXPECT_FALSE(settings.valueExists("MainForm", "Width"));
    EXPECT_EQ(settings.readString("A", "b", "def"), "def");
    EXPECT_EQ(settings.readInteger("A", "b", 7), 7);
    EXPECT_FALSE(QFileInfo::exists(file()));
    settings.writeInteger("MainForm", "Width", 1200);
    EXPECT_EQ(readAll(file()), "[MainForm]\r\nWidth=1200\r\n");
}

TEST_F(IniTest, ReadsKeysWithoutCaseAndKeepsEmptyValues) {
    writeFile(file(), "[aisettings]\r\ngeminikey=\r\nCounter=12\r\n[Other]\r\nx = 5\r\n");
    ini::IniFile settings(file());
    EXPECT_TRUE(settings.valueExists("AISettings", "GeminiKey"));
    EXPECT_EQ(settings.readString("AISettings", "GeminiKey", "No"), "");
    EXPECT_EQ(settings.readInteger("AISETTINGS", "counter", 0), 12);
    EXPECT_EQ(settings.readInteger("Other", "X", 0), 5);
}

TEST_F(IniTest, IntegerKeysFallBackToTheirDefault) {
    struct Case {
        const char* stored;
        int expected;
    } cases[] = {{"42", 42}, {"-1", -1}, {"abc", 9}, {"", 9}, {"4x", 9}, {" 17 ", 17}};
    for (const Case& c : cases) {
        writeFile(file(), QByteArray("[S]\nK=") + c.stored + "\n");
        ini::IniFile settings(file());
        EXPECT_EQ(settings.readInteger("S", "K", 9), c.expected) << c.stored;
    }
    // 64-bit values, as record IDs may be.
    struct Case64 {
        const char* stored;
        qint64 expected;
    } cases64[] = {{"4294967297", 4294967297LL},
                   {"-9223372036854775808", INT64_MIN},
                   {" 12 ", 12},
                   {"$100000000", 4294967296LL},
                   {"9223372036854775808", 9},
                   {"1e3", 9},
                   {"", 9}};
    for (const Case64& c : cases64) {
        writeFile(file(), QByteArray("[ActiveRecord]\nID=") + c.stored + "\n");
        EXPECT_EQ(ini::IniFile(file()).readInt64("ActiveRecord", "ID", 9), c.expected) << c.stored;
    }
    ini::IniFile settings(file());
    settings.writeInt64("ActiveRecord", "ID", 4294967298LL);
    EXPECT_EQ(ini::IniFile(file()).readInt64("ActiveRecord", "ID", 0), 4294967298LL);
}

TEST_F(IniTest, WritesUpdateInPlaceAndKeepUnknownLines) {
    writeFile(file(),
              "; a comment\n[Database]\nFileName=DB\\old.db\nExtra=keep me\n\n[Foreign]\nZ=1\n");
    ini::IniFile settings(file());
    settings.writeString("database", "filename", "DB\\new.db");
    settings.writeString("Database", "Added", "x");
    settings.writeString("NewSection", "Key", "v");
    // Changed and added lines end with CR LF; the others keep their own breaks.
    EXPECT_EQ(readAll(file()),
              "; a comment\n[Database]\nFileName=DB\\new.db\r\nExtra=keep me\nAdded=x\r\n\n"
              "[Foreign]\nZ=1\n[NewSection]\r\nKey=v\r\n");
    // A new object sees what is on disk now.
    EXPECT_EQ(ini::IniFile(file()).readString("Database", "FileName", ""), "DB\\new.db");
}

TEST_F(IniTest, FailedWriteRaisesAndLeavesTheOldFileWhole) {
    // The file's place is taken by a folder: nothing can be written there.
    const QString blocked = dir.path() + "/blocked.ini";
    ASSERT_TRUE(QDir().mkdir(blocked));
    ini::IniFile settings(blocked);
    EXPECT_THROW(settings.writeInteger("A", "B", 2), errors::Error);
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}

// Each setting is one line: a value with a line break would add sections and keys of its
// own ("[TextMax]" and "Title=5" below), so the write is refused and the file stays as it was.
TEST_F(IniTest, AValueWithALineBreakIsRefusedAndTheFileKeepsItsLines) {
    const QByteArray before = "[AISettings]\r\nGeminiKey=old\r\n";
    writeFile(file(), before);
    ini::IniFile settings(file());
    const QString values[] = {"KEY\r\n[TextMax]\r\nTitle=5", "KEY\n", "\rKEY", "a\nb"};
    for (const QString& value : values) {
        try {
            settings.writeString("AISettings", "GeminiKey", value);
            ADD_FAILURE() << "written: " << value.toStdString();
        } catch (const errors::Error& e) {
            EXPECT_TRUE(e.message().contains("GeminiKey")) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains("line break")) << e.message().toStdString();
        }
    }
    EXPECT_THROW(settings.writeString("New\nSection", "Key", "v"), errors::Error);
    EXPECT_THROW(settings.writeString("AISettings", "Key\r", "v"), errors::Error);
    EXPECT_EQ(readAll(file()), before);
    // What the file reads now is what it held, also for a fresh object.
    EXPECT_EQ(settings.readString("AISettings", "GeminiKey", ""), "old");
    EXPECT_FALSE(ini::IniFile(file()).valueExists("TextMax", "Title"));
    // Other control characters and Unicode's own line separators stay within the line.
    const QString kept = QStringLiteral("a\tb\u2028c");
    settings.writeString("AISettings", "GeminiKey", kept);
    EXPECT_EQ(ini::IniFile(file()).readString("AISettings", "GeminiKey", ""), kept);
}

TEST_F(IniTest, NonAsciiValuesRoundTripAsUtf8) {
    ini::IniFile settings(file());
    settings.writeString("Database", "FileName", QString::fromUtf8("DB\\Über €.db"));
    EXPECT_EQ(ini::IniFile(file()).readString("Database", "FileName", ""),
              QString::fromUtf8("DB\\Über €.db"));
}

QByteArray utf16(const QString& text, bool littleEndian) {
    return QStringEncoder(littleEndian ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE)
        .encode(text);
}

// Lines a write does not touch keep their bytes, whatever their encoding and breaks; changed
// and added lines end with CR LF in the file's encoding.
TEST_F(IniTest, UnchangedLinesKeepTheirBytesAndChangedOnesTheFilesEncoding) {
    struct Case {
        const char* name;
        QByteArray before;
        const char* value;  // written to Database/FileName
        QByteArray after;
    } cases[] = {
        {"Windows-1252, euro sign and lone CR in another section",
         "[Other]\r\nName=Caf\xE9 \x80\rLone=1\n[Database]\r\nFileName=DB\\a.db\r\n", "DB\\b.db",
         "[Other]\r\nName=Caf\xE9 \x80\rLone=1\n[Database]\r\nFileName=DB\\b.db\r\n"},
        {"Windows-1252 stays Windows-1252 for a value it can hold",
         "[Other]\r\nName=\x80\r\n[Database]\r\nFileName=x\r\n", "DB\\\xE2\x82\xAC.db",
         "[Other]\r\nName=\x80\r\n[Database]\r\nFileName=DB\\\x80.db\r\n"},
        {"Windows-1252 becomes UTF-8 for a value it cannot hold", "[Other]\r\nName=\x80\rX=\xE9\n",
         "\xE6\x95\xB0",
         "[Other]\r\nName=\xE2\x82\xAC\rX=\xC3\xA9\n[Database]\r\nFileName=\xE6\x95\xB0\r\n"},
        {"UTF-8 with its byte-order mark", "\xEF\xBB\xBF[Database]\nFileName=x\n; \xE2\x82\xAC\n",
         "\xC3\xBC", "\xEF\xBB\xBF[Database]\nFileName=\xC3\xBC\r\n; \xE2\x82\xAC\n"},
        {"a last line without a break", "[Database]\nOther=1", "y",
         "[Database]\nOther=1\r\nFileName=y\r\n"},
        {"a value written as it stands keeps its line", "[Database]\nFileName=same\n", "same",
         "[Database]\nFileName=same\n"},
        {"UTF-16 LE", "\xFF\xFE" + utf16("[Database]\nFileName=x\r; \u20AC\n", true), "\xC3\xBC",
         "\xFF\xFE" + utf16("[Database]\nFileName=\u00FC\r\n; \u20AC\n", true)},
        {"UTF-16 BE", "\xFE\xFF" + utf16("[Other]\rA=\u00E9\n", false), "z",
         "\xFE\xFF" + utf16("[Other]\rA=\u00E9\n[Database]\r\nFileName=z\r\n", false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(file(), c.before);
        ini::IniFile settings(file());
        settings.writeString("Database", "FileName", QString::fromUtf8(c.value));
        EXPECT_EQ(readAll(file()).toHex(' '), c.after.toHex(' '));
        // The file reads back by the reading rule, value and all.
        EXPECT_EQ(ini::IniFile(file()).readString("Database", "FileName", "-"),
                  QString::fromUtf8(c.value));
    }
    // Values of a Windows-1252 file read by the same rule.
    writeFile(file(), "[Other]\r\nName=Caf\xE9 \x80\rLone=1\n");
    const ini::IniFile settings(file());
    EXPECT_EQ(settings.readString("Other", "Name", ""), QString::fromUtf8("Café €"));
    EXPECT_EQ(settings.readInteger("Other", "Lone", 0), 1);
}

// A settings path that is no regular file starts on the defaults without blocking or reading
// without end, and refuses writes; a link to a regular file is read and written through.
TEST_F(IniTest, APathThatIsNoRegularFileReadsAsEmptyAndRefusesWrites) {
    const QString fifo = dir.filePath("fifo.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.filePath("folder.ini");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString zero = dir.filePath("zero.ini");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    const QString null = dir.filePath("null.ini");
    ASSERT_TRUE(QFile::link("/dev/null", null));
    // As the settings file is opened: a link of the program folder is written through.
    for (const QString& path : {fifo, folder, zero, null}) {
        SCOPED_TRACE(path.toStdString());
        ini::IniFile settings(path, files::Access::Normal, files::Links::Follow);
        EXPECT_FALSE(settings.valueExists("MainForm", "Width"));
        EXPECT_EQ(settings.readInteger("AISettings", "Counter", 7), 7);
        try {
            settings.writeInteger("AISettings", "Counter", 8);
            ADD_FAILURE() << "no error";
        } catch (const errors::Error& e) {
            EXPECT_TRUE(e.message().startsWith("Unable to write to ")) << e.message().toStdString();
        }
    }
    EXPECT_EQ(QFileInfo(fifo).isFile() || QFileInfo(fifo).isDir(), false);
    EXPECT_EQ(QFileInfo(zero).symLinkTarget(), "/dev/zero");
    EXPECT_EQ(QFileInfo(null).symLinkTarget(), "/dev/null");

    writeFile(file(), "[AISettings]\nCounter=3\n");
    const QString link = dir.filePath("link.ini");
    ASSERT_TRUE(QFile::link(file(), link));
    ini::IniFile settings(link, files::Access::Normal, files::Links::Follow);
    EXPECT_EQ(settings.readInteger("AISettings", "Counter", 0), 3);
    settings.writeInteger("AISettings", "Counter", 4);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(file()), "[AISettings]\nCounter=4\r\n");
}

// Only what an interrupted write left goes; the user's copies of the file stay.
TEST_F(IniTest, AWriteRemovesTemporaryFilesThatAnInterruptedWriteLeft) {
    for (const char* name : {".SpellIni.ini.pixolet-tmp-k3J9aQ", "SpellIni.ini.backup",
                             "SpellIni.ini.000000", "SpellIni.ini.bak"})
        writeOldFile(dir.filePath(name), "stale");
    ini::IniFile settings(file());
    settings.writeString("Database", "FileName", "DB\\KeywordsDB.db");
    QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    names.sort();
    EXPECT_EQ(names, (QStringList{"SpellIni.ini", "SpellIni.ini.000000", "SpellIni.ini.backup",
                                  "SpellIni.ini.bak"}));
}

// On a real full file system a write fails with the system's message and the old file stays
// as it was; once there is room again, writes go through.
TEST_F(IniTest, OnAFullDiskAWriteFailsAndTheOldFileStaysWhole) {
    SmallTmpfs disk;
    if (!disk.mounted()) GTEST_SKIP() << "no small tmpfs: " << disk.why().toStdString();
    const QString path = disk.path() + "/SpellIni.ini";
    const QByteArray old = "[TextMax]\r\nTitle=120\r\n[AISettings]\r\nGeminiKey=secret\r\n";
    writeFile(path, old);
    disk.fill();
    ini::IniFile settings(path);
    try {
        settings.writeString("MainForm", "Width", QString(8000, 'w'));
        ADD_FAILURE() << "no error";
    } catch (const errors::Error& e) {
        EXPECT_TRUE(e.message().contains("No space left on device")) << e.message().toStdString();
    }
    EXPECT_EQ(readAll(path), old);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{"SpellIni.ini", "filler"}));
    disk.removeFiller();
    settings.writeString("AISettings", "Counter", "1");
    EXPECT_EQ(ini::IniFile(path).readString("TextMax", "Title", ""), "120");
    EXPECT_EQ(ini::IniFile(path).readString("AISettings", "Counter", ""), "1");
}

TEST(StrToInt, StrictConversion) {
    EXPECT_EQ(text::strToInt("120"), 120);
    EXPECT_EQ(text::strToInt("-5"), -5);
    EXPECT_THROW(text::strToInt("abc"), errors::ConvertError);
    EXPECT_THROW(text::strToInt(""), errors::ConvertError);
    EXPECT_THROW(text::strToInt("1.5"), errors::ConvertError);
    try {
        text::strToInt("ten");
    } catch (const errors::ConvertError& e) {
        EXPECT_EQ(e.message(), "'ten' is not a valid integer value");
    }
}

}  // namespace
