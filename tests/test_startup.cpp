#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

#include "app/form1.h"
#include "platform/ribbon/ribbon.h"
#include "platform/spell/spell.h"
#include "platform/sql/sql.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"
#include "tests/support/program_fixture.h"

namespace {

using StartupTest = ProgramFixture;

std::vector<TestRecord> threeRecords() {
    return {{"Nature", "Sunset", "sun, sea", "one"},
            {"animals", "Cat", "cat", "two"},
            {"Zoo", "Bear", "bear", "three"}};
}

// "Section/Key" of every setting line, in file order.
QStringList settingKeys(const QString& ini) {
    QStringList keys;
    QString section;
    for (const QString& line : ini.split(QRegularExpression("\r\n|\n|\r"), Qt::SkipEmptyParts)) {
        if (line.startsWith('['))
            section = line.mid(1, line.size() - 2);
        else
            keys << section + '/' + line.section('=', 0, 0);
    }
    return keys;
}

QString settingValue(const QString& ini, const QString& key) {
    QString section;
    for (const QString& line : ini.split(QRegularExpression("\r\n|\n|\r"), Qt::SkipEmptyParts)) {
        if (line.startsWith('['))
            section = line.mid(1, line.size() - 2);
        else if (section + '/' + line.section('=', 0, 0) == key)
            return line.section('=', 1);
    }
    return QStringLiteral("<absent>");
}

QList<bool> spellSwitches() {
    QList<bool> on;
    for (const char* name : {"CheckBox7", "CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4",
                             "CheckBox5", "CheckBox6"})
        on << ProgramFixture::control<TcxCheckBox>(name)->isChecked();
    return on;
}

TEST_F(StartupTest, FirstStartWithoutSettingsFileUsesDefaultsAndCloseWritesEveryKey) {
    makeDatabase("DB/KeywordsDB.db", threeRecords());
    startProgram();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
    EXPECT_EQ(Form1->TitleMax, 80);
    EXPECT_EQ(Form1->DescriptionMax, 200);
    EXPECT_EQ(Form1->KeywordsMax, 50);
    EXPECT_EQ(Form1->Label7->text(), "80");
    EXPECT_EQ(Form1->Label12->text(), "200");
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit1")->maxLength(), 80);
    EXPECT_EQ(control<TcxMemo>("cxMemo1")->maxLength(), 200);
    EXPECT_EQ(spellSwitches(), QList<bool>(7, true));
    EXPECT_TRUE(Form1->dxSpellChecker1->checkAsYouType());
    EXPECT_EQ(Form1->AnnotationFontSize, 10);
    EXPECT_EQ(Form1->AnnotationFontStyle, "Regular");
    EXPECT_EQ(Form1->AnnotationFontColor, 0);
    EXPECT_EQ(Form1->AICounter, 0);
    EXPECT_EQ(Form1->APIKey, "No");
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->SearchCard);
    EXPECT_EQ(Form1->StatusBar1->panelText(4), "KeywordsDB.db");
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "3");
    EXPECT_EQ(DM->FDQuery1->sql(), "SELECT * FROM tblTags");
    EXPECT_EQ(control<QTableView>("cxGrid1")->model()->rowCount(), 3);

    ASSERT_TRUE(closeProgram());
    const QString ini = readSettings();
    EXPECT_EQ(
        settingKeys(ini),
        QStringList({"MainForm/Width", "MainForm/Height", "MainForm/Left", "MainForm/Top",
                     "ActiveRecord/ID", "Ribbon/Layout", "SpellCheck/SpellAsYouType",
                     "SpellCheck/SpellTitle", "SpellCheck/SpellDesc", "SpellCheck/SpellKeys",
                     "SpellCheck/SpellSummary", "SpellCheck/SpellBatchTitle",
                     "SpellCheck/SpellBatchKeys", "Annotation/FontSize", "Annotation/FontStyle",
                     "Annotation/FontColor", "AISettings/Counter", "Database/FileName"}));
    EXPECT_EQ(settingValue(ini, "SpellCheck/SpellTitle"), "True");
    EXPECT_EQ(settingValue(ini, "Database/FileName"), "DB\\KeywordsDB.db");
    EXPECT_EQ(settingValue(ini, "Ribbon/Layout"), "0");
    // The first row of the listing was current.
    EXPECT_EQ(settingValue(ini, "ActiveRecord/ID"), "1");
}

// One settings file, what the start makes of it, and what the close writes back.
struct SettingsCase {
    const char* name;
    const char* ini;
    std::function<void(ProgramFixture&)> expectAfterStart;
    std::function<void(const QString& written)> expectAfterClose;
};

class StartupSettingsTest : public ProgramFixture,
                            public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(StartupSettingsTest, AppliesTheStoredSettings) {
    makeDatabase("DB/KeywordsDB.db", threeRecords());
    makeDatabase("Archive/old.db", {{"Old", "Only one", "k", "x"}});
    writeSettings(QString::fromUtf8(GetParam().ini).replace("$FOLDER", folder()));
    startProgram();
    GetParam().expectAfterStart(*this);
    if (GetParam().expectAfterClose) {
        ASSERT_TRUE(closeProgram());
        GetParam().expectAfterClose(readSettings());
    }
}

const SettingsCase kSettingsCases[] = {
    {"AbsoluteFileName", "[Database]\nFileName=$FOLDERArchive/old.db\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->StatusBar1->panelText(4), "old.db");
         EXPECT_EQ(Form1->StatusBar1->panelText(6), "1");
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "Database/FileName"), "DB\\old.db"); }},
    {"RelativeFileName", "[Database]\nFileName=Archive\\old.db\n",
     [](ProgramFixture&) { EXPECT_EQ(Form1->StatusBar1->panelText(4), "old.db"); }, nullptr},
    {"EmptyFileName", "[Database]\nFileName=\n",
     [](ProgramFixture&) { EXPECT_EQ(Form1->StatusBar1->panelText(4), "KeywordsDB.db"); }, nullptr},
    {"LayoutOutOfRangeHigh", "[Ribbon]\nLayout=3\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->dxRibbon1->ribbonLayout(), TdxRibbon::Layout::Default);
     },
     nullptr},
    {"LayoutOutOfRangeLow", "[Ribbon]\nLayout=-1\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->dxRibbon1->ribbonLayout(), TdxRibbon::Layout::Default);
     },
     nullptr},
    {"LayoutSimplified", "[Ribbon]\nLayout=2\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->dxRibbon1->ribbonLayout(), TdxRibbon::Layout::Simplified);
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "Ribbon/Layout"), "2"); }},
    {"SwitchTextIsCaseSensitive",
     "[SpellCheck]\nSpellTitle=true\nSpellAsYouType=False\nSpellKeys=1\n",
     [](ProgramFixture&) {
         EXPECT_EQ(spellSwitches(), QList<bool>({false, false, true, false, true, true, true}));
         EXPECT_FALSE(Form1->dxSpellChecker1->checkAsYouType());
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "SpellCheck/SpellTitle"), "False"); }},
    {"FontSizeKeepsLowEightBits", "[Annotation]\nFontSize=300\nFontStyle=Bold\nFontColor=255\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->AnnotationFontSize, 44);
         EXPECT_EQ(Form1->AnnotationFontStyle, "Bold");
         EXPECT_EQ(Form1->AnnotationFontColor, 255);
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "Annotation/FontSize"), "44"); }},
    {"ActiveRecordFound", "[ActiveRecord]\nID=3\n",
     [](ProgramFixture&) { EXPECT_EQ(DM->FDQuery1->fieldByName("ID").toInt(), 3); },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "ActiveRecord/ID"), "3"); }},
    {"ActiveRecordNone", "[ActiveRecord]\nID=-1\n",
     [](ProgramFixture&) { EXPECT_EQ(DM->FDQuery1->recNo(), 0); }, nullptr},
    {"ActiveRecordUnknown", "[ActiveRecord]\nID=99\n",
     [](ProgramFixture& f) {
         EXPECT_EQ(DM->FDQuery1->recNo(), 0);
         EXPECT_TRUE(f.dialogs.shown.empty());
     },
     nullptr},
    {"GeminiKeyEmpty", "[AISettings]\nGeminiKey=\nCounter=7\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->APIKey, "");
         EXPECT_EQ(Form1->AICounter, 7);
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "AISettings/GeminiKey"), ""); }},
    {"GeminiKeyAbsent", "[AISettings]\nCounter=x\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->APIKey, "No");
         EXPECT_EQ(Form1->AICounter, 0);
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "AISettings/GeminiKey"), "<absent>"); }},
    {"BoundsNeedWidth", "[MainForm]\nHeight=900\nLeft=300\nTop=200\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->size(), QSize(1051, 725));
         EXPECT_EQ(Form1->pos(), QPoint(0, 0));
     },
     nullptr},
    {"BoundsApplied", "[MainForm]\nWidth=1300\nHeight=900\nLeft=30\nTop=20\n",
     [](ProgramFixture&) { EXPECT_EQ(Form1->outerGeometry(), QRect(30, 20, 1300, 900)); },
     [](const QString& ini) {
         EXPECT_EQ(settingValue(ini, "MainForm/Width"), "1300");
         EXPECT_EQ(settingValue(ini, "MainForm/Left"), "30");
     }},
    {"TextMaxStoredStaysUnwritten", "[TextMax]\nTitle=120\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->TitleMax, 120);
         Form1->TitleMax = 60;
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "TextMax/Title"), "120"); }},
    {"TextMaxNotAnInteger", "[TextMax]\nDescription=lots\n",
     [](ProgramFixture& f) {
         EXPECT_EQ(f.dialogs.texts("error"), QStringList({"'lots' is not a valid integer value"}));
         // The start stopped there: no group list, no focus step; the window stays usable.
         EXPECT_EQ(Form1->GroupCombo->count(), 0);
         EXPECT_EQ(Form1->TitleMax, 80);
         EXPECT_EQ(Form1->StatusBar1->panelText(6), "3");
     },
     nullptr},
    {"GarbageLinesAreKept", "\x01\x02 junk ]]\n=no key\n[TextMax\nTitle=90\n[]\n",
     [](ProgramFixture& f) {
         EXPECT_EQ(Form1->TitleMax, 80);
         EXPECT_TRUE(f.dialogs.shown.empty());
     },
     [](const QString& ini) {
         // Byte for byte, line breaks included.
         EXPECT_TRUE(ini.startsWith("\x01\x02 junk ]]\n=no key\n[TextMax\nTitle=90\n[]\n"));
         EXPECT_EQ(settingValue(ini, "Database/FileName"), "DB\\KeywordsDB.db");
     }},
    {"ForeignSectionsOnly", "[OtherProgram]\nKey=Value\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->TitleMax, 80);
         EXPECT_EQ(Form1->APIKey, "No");
     },
     [](const QString& ini) {
         EXPECT_TRUE(ini.startsWith("[OtherProgram]\nKey=Value\n"));
         EXPECT_EQ(settingValue(ini, "OtherProgram/Key"), "Value");
     }},
};

INSTANTIATE_TEST_SUITE_P(Settings, StartupSettingsTest, ::testing::ValuesIn(kSettingsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartupTest, GroupListComesInByteOrderWithoutChoosingOne) {
    makeDatabase("DB/KeywordsDB.db", {{"animals", "a", "k", "x"},
                                      {"Zoo", "b", "k", "x"},
                                      {"Zoo ", "c", "k", "x"},
                                      {"zoo", "d", "k", "x"},
                                      {"animals", "e", "k", "x"}});
    startProgram();
    QStringList items;
    for (int i = 0; i < Form1->GroupCombo->count(); ++i) items << Form1->GroupCombo->itemText(i);
    EXPECT_EQ(items, QStringList({"Zoo", "Zoo ", "animals", "zoo"}));
    EXPECT_EQ(Form1->GroupCombo->currentIndex(), -1);
}

TEST_F(StartupTest, RefillingTheGroupListKeepsTheTypedGroup) {
    makeDatabase("DB/KeywordsDB.db", threeRecords());
    startProgram();
    Form1->GroupCombo->setEditText("New group");
    Form1->PopuniGroupCombo(Form1->GroupCombo);
    EXPECT_EQ(Form1->GroupCombo->currentText(), "New group");
    EXPECT_EQ(Form1->GroupCombo->count(), 3);
}

TEST_F(StartupTest, RecordCountFollowsWhatTheQueryHolds) {
    makeDatabase("DB/KeywordsDB.db");
    startProgram();
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "0");
    ASSERT_TRUE(closeProgram());
    // An empty listing leaves no current record.
    EXPECT_EQ(settingValue(readSettings(), "ActiveRecord/ID"), "-1");
}

TEST_F(StartupTest, EmptySearchResultAtCloseStoresNoRecord) {
    makeDatabase("DB/KeywordsDB.db", threeRecords());
    startProgram();
    DM->FDQuery1->setSQL("SELECT * FROM tblTags WHERE Title LIKE :titleword");
    DM->FDQuery1->setParamString("titleword", "%nothing%");
    DM->FDQuery1->open();
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "0");
    ASSERT_TRUE(closeProgram());
    EXPECT_EQ(settingValue(readSettings(), "ActiveRecord/ID"), "-1");
}

TEST_F(StartupTest, GridFollowsTheCurrentRecordBothWays) {
    makeDatabase("DB/KeywordsDB.db", threeRecords());
    writeSettings("[ActiveRecord]\nID=2\n");
    startProgram();
    // Sorted by title: Bear, Cat, Sunset; the record of the last run is current.
    QAbstractItemModel* model = control<QTableView>("cxGrid1")->model();
    EXPECT_EQ(model->index(0, 1).data().toString(), "Bear");
    EXPECT_EQ(control<QTableView>("cxGrid1")->currentIndex().row(), 1);
    EXPECT_EQ(control<QLabel>("cxDBLabel1")->text(), "Cat");
    control<QTableView>("cxGrid1")->setCurrentIndex(model->index(0, 0));
    EXPECT_EQ(DM->FDQuery1->fieldByName("Title").toString(), "Bear");
    EXPECT_EQ(control<QLabel>("cxDBLabel2")->text(), "bear");
}

TEST_F(StartupTest, CloseQueryAsksOnlyForAnUnsavedSummary) {
    makeDatabase("DB/KeywordsDB.db", threeRecords());
    startProgram();
    Form1->cxRichEdit2->setPlainText(" \n\t\n ");
    EXPECT_TRUE(closeProgram());
    EXPECT_TRUE(dialogs.texts("confirm").isEmpty());
    endProgram();

    startProgram();
    Form1->cxRichEdit2->setPlainText("SUNSET\n\nA description");
    dialogs.answers.push_back(dialogs::Answer::No);
    EXPECT_FALSE(closeProgram());
    EXPECT_EQ(
        dialogs.texts("confirm"),
        QStringList({"Data in BatchSummary field will be lost if you close application before "
                     "you save.\r\nDo you want to exit without saving?"}));
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);
    dialogs.answers.push_back(dialogs::Answer::Yes);
    EXPECT_TRUE(closeProgram());
}

TEST_F(StartupTest, FileThatIsNoDatabaseIsReportedAndTheWindowStaysUsable) {
    QDir().mkpath(path("DB"));
    QFile junk(path("DB/KeywordsDB.db"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    startProgram();
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("not a database"))
        << dialogs.texts("error")[0].toStdString();
    EXPECT_TRUE(Form1->isVisible());
    // The file is left as it was.
    EXPECT_EQ(QFileInfo(path("DB/KeywordsDB.db")).size(), 4096);
    EXPECT_TRUE(closeProgram());
}

TEST_F(StartupTest, DatabaseWithoutTheTableIsReported) {
    const QString file = makeDatabase("DB/KeywordsDB.db");
    ASSERT_EQ(queryFile(file, "SELECT 1").size(), 1);
    // Replace the program's table by another one.
    {
        sql::Connection c;
        c.setDatabase(file);
        sql::Query q(&c);
        q.setSQL("DROP TABLE tblTags");
        q.execSQL();
        q.setSQL("CREATE TABLE other (x)");
        q.execSQL();
    }
    startProgram();
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_EQ(dialogs.texts("error")[0], "no such table: tblTags");
    EXPECT_TRUE(closeProgram());
}

TEST_F(StartupTest, MissingDatabaseSaysSoAndOffersNew) {
    dialogs.saveAnswers.push_back(QString());  // the offer is declined
    startProgram();
    EXPECT_EQ(dialogs.texts("message").value(0),
              "The database file does not exist! Create a new or open an existing database.");
    // The window stays usable; the close still writes the settings.
    EXPECT_TRUE(closeProgram());
    EXPECT_NE(settingValue(readSettings(), "MainForm/Width"), "<absent>");
}

TEST_F(StartupTest, SettingsFileThatCannotBeWrittenIsReportedAtClose) {
    makeDatabase("DB/KeywordsDB.db", threeRecords());
    startProgram();
    // The settings file's place is taken by a folder.
    ASSERT_TRUE(QDir().mkdir(path("SpellIni.ini")));
    EXPECT_TRUE(closeProgram());
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_TRUE(dialogs.texts("error")[0].startsWith("Unable to write to "));
}

}  // namespace
