#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/ini/ini.h"
#include "tagging/tagger_rules.h"
#include "tagging/tagger_settings.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qt_print.h"

namespace {

TEST(TaggerRules, KeywordRangeKeepsTheLowerBoundTwoBelowTheUpper) {
    const struct {
        int from, to, expectedFrom, expectedMaximum;
    } cases[] = {
        {39, 42, 39, 40},  // as designed
        {39, 30, 28, 28},  // lowered past the lower bound: it follows
        {28, 45, 28, 43},  // raised again: the lower bound stays
        {40, 42, 40, 40},  // exactly two below
        {41, 42, 40, 40},  // one below is not enough
        {8, 10, 8, 8},
    };
    for (const auto& c : cases) {
        const tagger::KeywordRange r = tagger::keywordRange(c.from, c.to);
        EXPECT_EQ(r.from, c.expectedFrom) << c.from << " -> " << c.to;
        EXPECT_EQ(r.fromMaximum, c.expectedMaximum) << c.from << " -> " << c.to;
    }
}

TEST(TaggerRules, ShutterstockBoxesNeverShowTheSamePositionOutsideABatch) {
    const struct {
        int changed, other;
        bool batch;
        int kept;
    } cases[] = {
        {15, 15, false, -1},  // the same position: the box just changed loses it
        {15, 14, false, 15}, {-1, -1, false, -1},  // no selection in either box is no clash
        {15, -1, false, 15}, {26, 26, false, -1},  // appended names are compared by position too
        {15, 15, true, 15},                        // a batch run suspends the rule
    };
    for (const auto& c : cases)
        EXPECT_EQ(tagger::shutterstockSelection(c.changed, c.other, c.batch), c.kept)
            << c.changed << " / " << c.other << (c.batch ? " in a batch" : "");
}

TEST(TaggerRules, OnlyTheExactNoMeansThereIsNoKey) {
    EXPECT_EQ(tagger::geminiKeyToHandOver("No"), std::nullopt);
    for (const char* key : {"no", "NO", "", " No", "AIza-key"})
        EXPECT_EQ(tagger::geminiKeyToHandOver(key), std::optional<QString>(key)) << key;
}

class TaggerSettingsFile : public ::testing::Test {
protected:
    QString write(const QByteArray& text) {
        const QString path = dir.filePath("SpellIni.ini");
        writeFile(path, text);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(TaggerSettingsFile, MissingFileGivesTheDefaultsWithoutBounds) {
    const ini::IniFile file(dir.filePath("SpellIni.ini"));
    const tagger::Settings s = tagger::Settings::load(file);
    EXPECT_FALSE(s.bounds.has_value());
    EXPECT_EQ(s.agencyIndex, 0);
    EXPECT_TRUE(s.agenticChecked);
    EXPECT_DOUBLE_EQ(s.temperature, 0.77);
    EXPECT_TRUE(s.peopleCheck);
    EXPECT_TRUE(s.categoryCheck);
    EXPECT_EQ(s.keysFrom, 39);
    EXPECT_EQ(s.keysTo, 42);
    EXPECT_EQ(s.imageColumnWidth, 64);
}

TEST_F(TaggerSettingsFile, BoundsAreReadOnlyWithAStoredWidth) {
    {
        const ini::IniFile file(write("[frmAITagger]\r\nHeight=900\r\nLeft=5\r\nTop=6\r\n"));
        EXPECT_FALSE(tagger::Settings::load(file).bounds.has_value());
    }
    const ini::IniFile file(write("[frmAITagger]\r\nWidth=1200\r\nHeight=x\r\n"));
    const tagger::Settings s = tagger::Settings::load(file);
    ASSERT_TRUE(s.bounds.has_value());
    EXPECT_EQ(s.bounds->width, 1200);
    EXPECT_EQ(s.bounds->height, std::nullopt);  // the window keeps its own
    EXPECT_EQ(s.bounds->left, 10);
    EXPECT_EQ(s.bounds->top, 10);
}

TEST_F(TaggerSettingsFile, UnreadableValuesGiveTheirDefaultsAndSwitchesAreIntegers) {
    const ini::IniFile file(
        write("[AISettings]\r\nAgencyIndex=one\r\nAgenticChecked=2\r\nTemperature=nan\r\n"
              "PeopleCheck=True\r\nCategoryCheck=0\r\nKeysFrom=\r\nKeysTo=45\r\n"
              "ImageColumnWidth=$50\r\n"));
    const tagger::Settings s = tagger::Settings::load(file);
    EXPECT_EQ(s.agencyIndex, 0);
    EXPECT_TRUE(s.agenticChecked);  // any integer but 0
    EXPECT_DOUBLE_EQ(s.temperature, 0.77);
    EXPECT_TRUE(s.peopleCheck);  // not an integer: the default
    EXPECT_FALSE(s.categoryCheck);
    EXPECT_EQ(s.keysFrom, 39);
    EXPECT_EQ(s.keysTo, 45);
    EXPECT_EQ(s.imageColumnWidth, 80);
}

TEST_F(TaggerSettingsFile, SaveWritesTwelveKeysInOrderBesideTheMainWindowsKeys) {
    const QString path = write("[AISettings]\r\nCounter=7\r\nGeminiKey=abc\r\n");
    tagger::Settings s;
    s.bounds = settings::WindowBounds{1100, 870, -4, 20};
    s.agencyIndex = -1;
    s.agenticChecked = false;
    s.temperature = 0.8;
    s.keysFrom = 28;
    s.keysTo = 30;
    s.imageColumnWidth = 96;
    {
        ini::IniFile file(path);
        s.save(file);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()),
              "[AISettings]\r\nCounter=7\r\nGeminiKey=abc\r\nAgencyIndex=-1\r\n"
              "AgenticChecked=0\r\nTemperature=0.8\r\nPeopleCheck=1\r\nCategoryCheck=1\r\n"
              "KeysFrom=28\r\nKeysTo=30\r\nImageColumnWidth=96\r\n"
              "[frmAITagger]\r\nWidth=1100\r\nHeight=870\r\nLeft=-4\r\nTop=20\r\n");

    const tagger::Settings back = tagger::Settings::load(ini::IniFile(path));
    ASSERT_TRUE(back.bounds.has_value());
    EXPECT_EQ(back.bounds->width, 1100);
    EXPECT_EQ(back.bounds->height, 870);
    EXPECT_EQ(back.bounds->left, -4);
    EXPECT_EQ(back.bounds->top, 20);
    EXPECT_EQ(back.agencyIndex, -1);
    EXPECT_FALSE(back.agenticChecked);
    EXPECT_DOUBLE_EQ(back.temperature, 0.8);
    EXPECT_EQ(back.keysFrom, 28);
    EXPECT_EQ(back.keysTo, 30);
    EXPECT_EQ(back.imageColumnWidth, 96);
}

}  // namespace
