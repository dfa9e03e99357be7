#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/errors/errors.h"
#include "platform/ini/ini.h"
#include "platform/text/text.h"

namespace {

QString readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

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
    writeAll(file(), "[aisettings]\r\ngeminikey=\r\nCounter=12\r\n[Other]\r\nx = 5\r\n");
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
        writeAll(file(), QByteArray("[S]\nK=") + c.stored + "\n");
        ini::IniFile settings(file());
        EXPECT_EQ(settings.readInteger("S", "K", 9), c.expected) << c.stored;
    }
}

TEST_F(IniTest, WritesUpdateInPlaceAndKeepUnknownLines) {
    writeAll(file(),
             "; a comment\n[Database]\nFileName=DB\\old.db\nExtra=keep me\n\n[Foreign]\nZ=1\n");
    ini::IniFile settings(file());
    settings.writeString("database", "filename", "DB\\new.db");
    settings.writeString("Database", "Added", "x");
    settings.writeString("NewSection", "Key", "v");
    EXPECT_EQ(readAll(file()),
              "; a comment\r\n[Database]\r\nFileName=DB\\new.db\r\nExtra=keep me\r\nAdded=x\r\n\r\n"
              "[Foreign]\r\nZ=1\r\n[NewSection]\r\nKey=v\r\n");
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

TEST_F(IniTest, NonAsciiValuesRoundTripAsUtf8) {
    ini::IniFile settings(file());
    settings.writeString("Database", "FileName", QString::fromUtf8("DB\\Über €.db"));
    EXPECT_EQ(ini::IniFile(file()).readString("Database", "FileName", ""),
              QString::fromUtf8("DB\\Über €.db"));
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
