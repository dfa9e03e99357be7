#include <sys/stat.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "app/form1.h"
#include "app/program.h"
#include "platform/appfolder/appfolder.h"
#include "platform/ribbon/ribbon.h"
#include "platform/spell/spell.h"
#include "platform/sql/sql.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"
#include "records/main_state.h"
#include "tagging/frmtaggerpro.h"
#include "tests/support/program_fixture.h"
#include "tests/support/small_tmpfs.h"

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

// The main window's bounds as the file keeps them.
QRect storedBounds(const QString& ini) {
    return QRect(
        settingValue(ini, "MainForm/Left").toInt(), settingValue(ini, "MainForm/Top").toInt(),
        settingValue(ini, "MainForm/Width").toInt(), settingValue(ini, "MainForm/Height").toInt());
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
    EXPECT_EQ(Form1->state().TitleMax(), 80);
    EXPECT_EQ(Form1->state().DescriptionMax(), 200);
    EXPECT_EQ(Form1->state().KeywordsMax(), 50);
    EXPECT_EQ(Form1->Label7->text(), "80");
    EXPECT_EQ(Form1->Label12->text(), "200");
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit1")->maxLength(), 80);
    EXPECT_EQ(control<TcxMemo>("cxMemo1")->maxLength(), 200);
    EXPECT_EQ(spellSwitches(), QList<bool>(7, true));
    EXPECT_TRUE(Form1->dxSpellChecker1->checkAsYouType());
    EXPECT_EQ(Form1->state().AnnotationFontSize(), 10);
    EXPECT_EQ(Form1->state().AnnotationFontStyle(), "Regular");
    EXPECT_EQ(Form1->state().AnnotationFontColor(), 0);
    EXPECT_EQ(Form1->state().AICounter(), 0);
    EXPECT_EQ(Form1->state().APIKey(), "No");
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

// Stored bounds: the window takes them, fitted to the 1920 x 1080 test screen with the minimum
// of 1067 x 725, and the close stores what it took.
SettingsCase boundsCase(const char* name, const char* ini, QRect outer) {
    return {name, ini, [outer](ProgramFixture&) { EXPECT_EQ(Form1->outerGeometry(), outer); },
            [outer](const QString& written) { EXPECT_EQ(storedBounds(written), outer); }};
}

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
    // Without a colon a value is relative to the program folder, also after a backslash.
    {"LeadingBackslashIsRelative", "[Database]\nFileName=\\Archive\\old.db\n",
     [](ProgramFixture& f) {
         EXPECT_TRUE(f.dialogs.shown.empty()) << f.dialogs.allTexts().join('|').toStdString();
         EXPECT_EQ(Form1->StatusBar1->panelText(4), "old.db");
         EXPECT_EQ(Form1->StatusBar1->panelText(6), "1");
     },
     nullptr},
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
         EXPECT_EQ(Form1->state().AnnotationFontSize(), 44);
         EXPECT_EQ(Form1->state().AnnotationFontStyle(), "Bold");
         EXPECT_EQ(Form1->state().AnnotationFontColor(), 255);
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
         EXPECT_EQ(Form1->state().APIKey(), "");
         EXPECT_EQ(Form1->state().AICounter(), 7);
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "AISettings/GeminiKey"), ""); }},
    {"GeminiKeyAbsent", "[AISettings]\nCounter=x\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->state().APIKey(), "No");
         EXPECT_EQ(Form1->state().AICounter(), 0);
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "AISettings/GeminiKey"), "<absent>"); }},
    // The designed place and client size, raised to the designed minimum outer size with the
    // frame the platform draws.
    boundsCase("BoundsNeedWidth", "[MainForm]\nHeight=900\nLeft=300\nTop=200\n",
               QRect(0, 0, 1067, 764)),
    boundsCase("BoundsApplied", "[MainForm]\nWidth=1300\nHeight=900\nLeft=30\nTop=20\n",
               QRect(30, 20, 1300, 900)),
    boundsCase("BoundsBelowTheMinimum", "[MainForm]\nWidth=300\nHeight=200\nLeft=40\nTop=50\n",
               QRect(40, 50, 1067, 725)),
    boundsCase("BoundsWithoutAnIntegerSize", "[MainForm]\nWidth=wide\nHeight=\nLeft=40\nTop=50\n",
               QRect(40, 50, 1067, 725)),
    boundsCase("BoundsPartlyOffTheScreenStay",
               "[MainForm]\nWidth=1100\nHeight=780\nLeft=1800\nTop=600\n",
               QRect(1800, 600, 1100, 780)),
    boundsCase("BoundsWithTheTitleBarAboveTheScreen",
               "[MainForm]\nWidth=1106\nHeight=855\nLeft=37\nTop=-10\n", QRect(37, 0, 1106, 855)),
    boundsCase("BoundsOffEveryScreen", "[MainForm]\nWidth=1100\nHeight=780\nLeft=5000\nTop=-3000\n",
               QRect(820, 0, 1100, 780)),
    boundsCase("BoundsLargerThanTheScreen", "[MainForm]\nWidth=4000\nHeight=3000\nLeft=20\nTop=0\n",
               QRect(20, 0, 1920, 1080)),
    boundsCase(
        "BoundsAtTheIntegerLimits",
        "[MainForm]\nWidth=2147483647\nHeight=-2147483648\nLeft=-2147483648\nTop=2147483647\n",
        QRect(0, 355, 1920, 725)),
    boundsCase(
        "BoundsAtTheOtherIntegerLimits",
        "[MainForm]\nWidth=-2147483648\nHeight=2147483647\nLeft=2147483647\nTop=-2147483648\n",
        QRect(853, 0, 1067, 1080)),
    {"TextMaxStoredStaysUnwritten", "[TextMax]\nTitle=120\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->state().TitleMax(), 120);
         Form1->state().setTitleMax(60);
     },
     [](const QString& ini) { EXPECT_EQ(settingValue(ini, "TextMax/Title"), "120"); }},
    {"TextMaxNotAnInteger", "[TextMax]\nDescription=lots\n",
     [](ProgramFixture& f) {
         EXPECT_EQ(f.dialogs.texts("error"), QStringList({"'lots' is not a valid integer value"}));
         // The start stopped there: no group list, no focus step; the window stays usable.
         EXPECT_EQ(Form1->GroupCombo->count(), 0);
         EXPECT_EQ(Form1->state().TitleMax(), 80);
         EXPECT_EQ(Form1->StatusBar1->panelText(6), "3");
     },
     nullptr},
    {"GarbageLinesAreKept", "\x01\x02 junk ]]\n=no key\n[TextMax\nTitle=90\n[]\n",
     [](ProgramFixture& f) {
         EXPECT_EQ(Form1->state().TitleMax(), 80);
         EXPECT_TRUE(f.dialogs.shown.empty());
     },
     [](const QString& ini) {
         // Byte for byte, line breaks included.
         EXPECT_TRUE(ini.startsWith("\x01\x02 junk ]]\n=no key\n[TextMax\nTitle=90\n[]\n"));
         EXPECT_EQ(settingValue(ini, "Database/FileName"), "DB\\KeywordsDB.db");
     }},
    {"ForeignSectionsOnly", "[OtherProgram]\nKey=Value\n",
     [](ProgramFixture&) {
         EXPECT_EQ(Form1->state().TitleMax(), 80);
         EXPECT_EQ(Form1->state().APIKey(), "No");
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

    // No-break spaces are text: only codes up to 32 are trimmed.
    startProgram();
    Form1->cxRichEdit2->setPlainText(QString::fromUtf8("\n\u00a0\u00a0\n"));
    dialogs.answers.push_back(dialogs::Answer::Yes);
    EXPECT_TRUE(closeProgram());
    EXPECT_EQ(dialogs.texts("confirm").size(), 1);
    endProgram();

    dialogs.clear();
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

TEST_F(StartupTest, StoredBoundsComeBackExactlyRunAfterRun) {
    makeDatabase("DB/KeywordsDB.db", threeRecords());
    writeSettings("[MainForm]\nWidth=1100\nHeight=780\nLeft=40\nTop=50\n");
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        startProgram();
        EXPECT_EQ(Form1->outerGeometry(), QRect(40, 50, 1100, 780));
        EXPECT_EQ(Form1->frameGeometry(), QRect(40, 50, 1100, 780));
        ASSERT_TRUE(closeProgram());
        EXPECT_EQ(storedBounds(readSettings()), QRect(40, 50, 1100, 780));
        endProgram();
    }
}

TEST_F(StartupTest, TheMinimumIsAnOuterSizeWithTheFrameThePlatformDraws) {
    makeDatabase("DB/KeywordsDB.db");
    for (const auto& [ini, minimum] : {std::pair<const char*, QSize>{"", QSize(1067, 764)},
                                       {"[MainForm]\nWidth=1100\n", QSize(1067, 725)}}) {
        SCOPED_TRACE(ini);
        writeSettings(ini);
        startProgram();
        Form1->resize(100, 100);
        EXPECT_EQ(Form1->frameGeometry().size(), minimum);
        EXPECT_EQ(Form1->outerGeometry().size(), minimum);
        ASSERT_TRUE(closeProgram());
        endProgram();
    }
}

// A start that stops early (a database file that is no database, a text limit that is no
// integer) leaves every key it did not apply as the file holds it; what the user changes
// during the run is written as usual.
TEST_F(StartupTest, AStartThatStopsEarlyLeavesTheKeysItNeverApplied) {
    const struct {
        const char* name;
        bool junkDatabase;
        const char* title;
        const char* error;
    } cases[] = {{"no database", true, "90", "file is not a database"},
                 {"limit no integer", false, "lots", "'lots' is not a valid integer value"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(path("DB")).removeRecursively();
        if (c.junkDatabase) {
            QDir().mkpath(path("DB"));
            QFile junk(path("DB/KeywordsDB.db"));
            ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
            junk.write(QByteArray(4096, 'x'));
        } else {
            makeDatabase("DB/KeywordsDB.db", threeRecords());
        }
        const QString stored =
            QStringLiteral(
                "[MainForm]\r\nWidth=1100\r\nHeight=780\r\nLeft=40\r\nTop=50\r\n"
                "[ActiveRecord]\r\nID=3\r\n[Ribbon]\r\nLayout=2\r\n[SpellCheck]\r\n"
                "SpellAsYouType=True\r\nSpellTitle=False\r\nSpellDesc=True\r\nSpellKeys=False\r\n"
                "SpellSummary=False\r\nSpellBatchTitle=False\r\nSpellBatchKeys=False\r\n"
                "[Annotation]\r\nFontSize=14\r\nFontStyle=Bold\r\nFontColor=255\r\n"
                "[AISettings]\r\nCounter=42\r\nGeminiKey=key\r\n[Database]\r\n"
                "FileName=DB\\KeywordsDB.db\r\n[TextMax]\r\nTitle=%1\r\n")
                .arg(QLatin1String(c.title));
        writeSettings(stored);
        startProgram();
        ASSERT_EQ(dialogs.texts("error").size(), 1);
        EXPECT_TRUE(dialogs.texts("error")[0].contains(c.error))
            << dialogs.texts("error")[0].toStdString();
        EXPECT_TRUE(Form1->isVisible());
        // The user turns one switch on (the start left them all off).
        control<TcxCheckBox>("CheckBox1")->setChecked(true);
        ASSERT_TRUE(closeProgram());
        EXPECT_EQ(dialogs.texts("error").size(), 1);
        EXPECT_EQ(readSettings(), QString(stored).replace("SpellTitle=False", "SpellTitle=True"));
        endProgram();
        dialogs.clear();
    }
}

// Closing the main window ends the program; the other windows' close handlers do not run, so
// a window that would refuse to close does not keep the program alive, and the tagger still
// open writes nothing.
TEST_F(StartupTest, ClosingTheMainWindowEndsTheProgramWithoutClosingOtherWindows) {
    class Refusing : public QWidget {
    public:
        int asked = 0;

    protected:
        void closeEvent(QCloseEvent* event) override {
            ++asked;
            event->ignore();
        }
    } other;
    makeDatabase("DB/KeywordsDB.db", threeRecords());
    startProgram();
    EndProgramWhenMainWindowCloses();
    other.show();
    frmTaggerPro->show();
    QTimer::singleShot(0, Form1, [] { Form1->close(); });
    // Should the message loop go on, the test ends it with another code.
    QTimer::singleShot(10000, &other, [] { QCoreApplication::exit(2); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(other.asked, 0);
    EXPECT_TRUE(other.isVisible());
    EXPECT_TRUE(frmTaggerPro->isVisible());
    EXPECT_FALSE(readSettings().contains("[frmAITagger]"));
    EXPECT_TRUE(readSettings().contains("[MainForm]"));
}

// The settings file may hold the API key: it is readable by its owner only, however it was
// readable before.
TEST_F(StartupTest, TheSettingsFileIsForItsOwnerOnly) {
    makeDatabase("DB/KeywordsDB.db");
    writeSettings("[AISettings]\r\nGeminiKey=secret\r\n");
    ASSERT_TRUE(QFile::setPermissions(path("SpellIni.ini"), QFile::ReadOwner | QFile::WriteOwner |
                                                                QFile::ReadGroup |
                                                                QFile::ReadOther));
    startProgram();
    ASSERT_TRUE(closeProgram());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path("SpellIni.ini")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(settingValue(readSettings(), "AISettings/GeminiKey"), "secret");
}

// A full disk at close: the first write that fails is reported, once; the file keeps what it
// held, and no temporary file is left beside it.
TEST_F(StartupTest, AFullDiskAtCloseIsReportedOnceAndKeepsTheSettingsFileWhole) {
    SmallTmpfs disk;
    if (!disk.mounted()) GTEST_SKIP() << "no small tmpfs: " << disk.why().toStdString();
    const QString db = makeDatabase("DB/KeywordsDB.db", threeRecords());
    appfolder::setProgramFolderForTests(disk.path());
    const QByteArray stored =
        "[TextMax]\r\nTitle=120\r\n[AISettings]\r\nGeminiKey=secret\r\n"
        "[Database]\r\nFileName=" +
        db.toUtf8() + "\r\n";
    {
        QFile file(disk.path() + "/SpellIni.ini");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(stored);
    }
    startProgram();
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
    EXPECT_EQ(Form1->state().TitleMax(), 120);
    disk.fill();
    EXPECT_TRUE(closeProgram());
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("No space left on device"))
        << dialogs.texts("error")[0].toStdString();
    QFile file(disk.path() + "/SpellIni.ini");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), stored);
    EXPECT_EQ(QDir(disk.path()).entryList({"SpellIni.ini*"}, QDir::Files | QDir::Hidden),
              QStringList{"SpellIni.ini"});
    endProgram();
}

}  // namespace
