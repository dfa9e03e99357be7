// The main window's settings as a value: what load makes of stored texts, and what save
// writes back.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/settings.h"
#include "platform/ini/ini.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qt_print.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    settings::MainWindow load(const QByteArray& text) {
        writeFile(path(), text);
        return settings::MainWindow::load(ini::IniFile(path()));
    }
    QString written() { return QString::fromUtf8(readAll(path())); }
    QString path() const { return dir.filePath(QStringLiteral("SpellIni.ini")); }

    QTemporaryDir dir;
};

TEST_F(SettingsTest, EmptyFileGivesTheDefaults) {
    const settings::MainWindow s = load("");
    EXPECT_EQ(s.apiKey, "No");
    EXPECT_EQ(s.databaseFileName, "");
    EXPECT_FALSE(s.bounds.has_value());
    EXPECT_EQ(s.limits.title, "80");
    EXPECT_EQ(s.limits.description, "200");
    EXPECT_EQ(s.limits.keywords, "50");
    EXPECT_FALSE(s.ribbonLayout.has_value());
    EXPECT_TRUE(s.spell.asYouType);
    EXPECT_EQ(s.spell.fields, (std::array<bool, 6>{true, true, true, true, true, true}));
    EXPECT_EQ(s.annotation.fontSize, 10);
    EXPECT_EQ(s.annotation.fontStyle, "Regular");
    EXPECT_EQ(s.annotation.fontColor, 0);
    EXPECT_EQ(s.aiCounter, 0);
    EXPECT_FALSE(s.activeRecord.has_value());
}

TEST_F(SettingsTest, StoredTextsAndTheirFallbacks) {
    const settings::MainWindow s = load(
        "[MainForm]\nWidth=wide\nHeight=900\n[Ribbon]\nLayout=x\n"
        "[SpellCheck]\nSpellDesc=False\nSpellSummary=TRUE\n[TextMax]\nKeywords=lots\n"
        "[ActiveRecord]\nID=5000000000\n[AISettings]\nGeminiKey=\n");
    ASSERT_TRUE(s.bounds.has_value());
    EXPECT_EQ(s.bounds->width, std::nullopt);
    EXPECT_EQ(s.bounds->height, 900);
    EXPECT_EQ(s.bounds->left, 10);
    EXPECT_EQ(s.bounds->top, 10);
    EXPECT_EQ(s.ribbonLayout, std::nullopt);
    EXPECT_EQ(s.spell.fields, (std::array<bool, 6>{true, false, true, false, true, true}));
    // Converted only when the window takes them.
    EXPECT_EQ(s.limits.keywords, "lots");
    EXPECT_EQ(s.activeRecord, 5'000'000'000);
    EXPECT_EQ(s.apiKey, "");

    EXPECT_EQ(load("[ActiveRecord]\nID=none\n").activeRecord, 0);
    EXPECT_EQ(load("[ActiveRecord]\nID= $10 \n").activeRecord, 16);
}

TEST_F(SettingsTest, SaveWritesInTheCloseOrderAndKeepsWhatItDoesNotWrite) {
    load("[TextMax]\nTitle=120\n[AISettings]\nGeminiKey=kept\nAgencyIndex=2\n");
    settings::MainWindow s;
    s.bounds = settings::WindowBounds{1300, 900, 30, 20};
    s.activeRecord = 5'000'000'001;
    s.ribbonLayout = 2;
    s.spell.fields[0] = false;
    s.annotation = {44, QStringLiteral("Bold"), 255};
    s.aiCounter = 7;
    s.databaseFileName = settings::storedDatabaseFileName(QStringLiteral("/data/Stock/work.db"));
    ini::IniFile file(path());
    s.save(file);
    EXPECT_EQ(written(),
              // Lines it does not write keep their own line breaks.
              "[TextMax]\nTitle=120\n[AISettings]\nGeminiKey=kept\nAgencyIndex=2\n"
              "Counter=7\r\n"
              "[MainForm]\r\nWidth=1300\r\nHeight=900\r\nLeft=30\r\nTop=20\r\n"
              "[ActiveRecord]\r\nID=5000000001\r\n[Ribbon]\r\nLayout=2\r\n"
              "[SpellCheck]\r\nSpellAsYouType=True\r\nSpellTitle=False\r\nSpellDesc=True\r\n"
              "SpellKeys=True\r\nSpellSummary=True\r\nSpellBatchTitle=True\r\n"
              "SpellBatchKeys=True\r\n"
              "[Annotation]\r\nFontSize=44\r\nFontStyle=Bold\r\nFontColor=255\r\n"
              "[Database]\r\nFileName=DB\\work.db\r\n");
}

TEST(SettingsPaths, DatabasePathFromTheStoredFileName) {
    const QString folder = QStringLiteral("/opt/pixolet/");
    EXPECT_EQ(settings::databasePath({}, folder), "/opt/pixolet/DB/KeywordsDB.db");
    EXPECT_EQ(settings::databasePath(QStringLiteral("Archive\\old.db"), folder),
              "/opt/pixolet/Archive/old.db");
    EXPECT_EQ(settings::databasePath(QStringLiteral("/data/work.db"), folder), "/data/work.db");
}

}  // namespace
