#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTest>

#include "app/form1.h"
#include "platform/ribbon/ribbon.h"
#include "platform/sql/sql.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"
#include "records/main_state.h"
#include "tests/support/program_fixture.h"

namespace {

class DatabaseCommandsTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        main = makeDatabase("DB/KeywordsDB.db", {{"Nature", "Sunset", "sun", "a"},
                                                 {"Animals", "Cat", "cat", "b"},
                                                 {"Animals", "Dog", "dog", "c"}});
        startProgram();
    }

    // Leaves a title search for 'o' open (Dog and ...), standing on Dog.
    void openSearch() {
        DM->FDQuery1->setSQL("SELECT * FROM tblTags WHERE Title LIKE :titleword");
        DM->FDQuery1->setParamString("titleword", "%o%");
        DM->FDQuery1->open();
        ASSERT_TRUE(DM->FDQuery1->locate("ID", 3));
    }

    QStringList groups() const {
        QStringList items;
        for (int i = 0; i < Form1->GroupCombo->count(); ++i)
            items << Form1->GroupCombo->itemText(i);
        return items;
    }

    QString main;
};

TEST_F(DatabaseCommandsTest, NewCreatesTheDatabaseWithItsTable) {
    const QString created = path("DB/Stock/Sub/new.db");
    QDir().mkpath(path("DB/Stock/Sub"));
    dialogs.saveAnswers.push_back(created);
    Form1->NewButton->trigger();
    EXPECT_EQ(dialogs.texts("message"), QStringList({"Database successfully opened."}));
    const auto& request = dialogs.shown.front().request;
    EXPECT_EQ(request.title, "Create new database");
    EXPECT_EQ(request.filter, "Database|*.db");
    EXPECT_EQ(request.initialDir, folder() + "DB");
    EXPECT_EQ(DM->FDConnection1->database(), created);
    EXPECT_TRUE(DM->FDConnection1->parameters().contains("Synchronous=Full"));
    EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM TblTags");
    EXPECT_EQ(Form1->StatusBar1->panelText(4), "new.db");
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "0");
    EXPECT_TRUE(groups().isEmpty());
    EXPECT_EQ(queryFile(created,
                        "SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'TblTags'"),
              QStringList({"TblTags"}));
}

TEST_F(DatabaseCommandsTest, NewOnAnExistingDatabaseKeepsItsRecords) {
    dialogs.saveAnswers.push_back(main);
    Form1->NewButton->trigger();
    EXPECT_EQ(dialogs.texts("message"), QStringList({"Database successfully opened."}));
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "3");
    EXPECT_EQ(groups(), QStringList({"Animals", "Nature"}));
}

TEST_F(DatabaseCommandsTest, NewCancelledReopensTheFullListingOnTheSameDatabase) {
    openSearch();
    dialogs.saveAnswers.push_back(QString());
    Form1->NewButton->trigger();
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    EXPECT_EQ(DM->FDConnection1->database(), main);
    EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM TblTags");
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "3");
    EXPECT_EQ(Form1->StatusBar1->panelText(4), "KeywordsDB.db");
}

TEST_F(DatabaseCommandsTest, NewOnAFileThatIsNoDatabaseReportsAndChangesNothing) {
    const QString junk = path("DB/junk.db");
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(2048, 'j'));
    f.close();
    dialogs.saveAnswers.push_back(junk);
    // Through the event loop, as a click would run it: the default handler shows the error.
    QMetaObject::invokeMethod(
        Form1, [] { Form1->NewButton->trigger(); }, Qt::QueuedConnection);
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("not a database"));
    EXPECT_EQ(QFileInfo(junk).size(), 2048);
    // Another database can be opened afterwards.
    dialogs.openAnswers.push_back({main});
    Form1->dxBarButton2->trigger();
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "3");
    EXPECT_FALSE(DM->FDQuery1->controlsDisabled());
}

TEST_F(DatabaseCommandsTest, OpenSwitchesDatabaseAndRemovesThePlaceholder) {
    const QString other = makeDatabase("DB/other.db", {{"Zoo", "Bear", "bear", "x"}});
    makeDatabase("TempReopenDB.db");
    dialogs.openAnswers.push_back({other});
    Form1->dxBarButton2->trigger();
    EXPECT_EQ(dialogs.shown.front().request.title, "Open database");
    EXPECT_EQ(DM->FDConnection1->database(), other);
    EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tblTags");
    EXPECT_EQ(Form1->StatusBar1->panelText(4), "other.db");
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "1");
    EXPECT_EQ(groups(), QStringList({"Zoo"}));
    EXPECT_EQ(control<QLabel>("cxDBLabel1")->text(), "Bear");
    EXPECT_FALSE(QFileInfo::exists(path("TempReopenDB.db")));
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
}

TEST_F(DatabaseCommandsTest, OpenCancelledChangesNothingButThePlaceholder) {
    dialogs.openAnswers.push_back({});
    Form1->dxBarButton2->trigger();
    EXPECT_EQ(DM->FDConnection1->database(), main);
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "3");

    makeDatabase("TempReopenDB.db");
    dialogs.openAnswers.push_back({});
    Form1->dxBarButton2->trigger();
    EXPECT_FALSE(QFileInfo::exists(path("TempReopenDB.db")));

    // The placeholder stays while it is the open database.
    const QString placeholder = makeDatabase("TempReopenDB.db");
    dialogs.openAnswers.push_back({placeholder});
    Form1->dxBarButton2->trigger();
    dialogs.openAnswers.push_back({});
    Form1->dxBarButton2->trigger();
    EXPECT_TRUE(QFileInfo::exists(placeholder));
}

TEST_F(DatabaseCommandsTest, OpenOfADatabaseWithoutTheTableKeepsThePlaceholderAndTheWindowUsable) {
    const QString empty = path("DB/empty.db");
    {
        sql::Connection c;
        c.setDatabase(empty);
        c.connect();
    }
    makeDatabase("TempReopenDB.db");
    dialogs.openAnswers.push_back({empty});
    QMetaObject::invokeMethod(
        Form1, [] { Form1->dxBarButton2->trigger(); }, Qt::QueuedConnection);
    QApplication::processEvents();
    EXPECT_EQ(dialogs.texts("error"), QStringList({"no such table: tblTags"}));
    EXPECT_TRUE(QFileInfo::exists(path("TempReopenDB.db")));
    EXPECT_FALSE(DM->FDQuery1->controlsDisabled());
    dialogs.openAnswers.push_back({main});
    Form1->dxBarButton2->trigger();
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "3");
}

TEST_F(DatabaseCommandsTest, SaveAsCopiesTheClosedFileAndStaysOnTheSearchResult) {
    openSearch();
    const QString copy = path("DB/copy.db");
    dialogs.saveAnswers.push_back(copy);
    Form1->dxBarButton3->trigger();
    EXPECT_EQ(dialogs.shown.front().request.title, "Save database");
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    EXPECT_EQ(queryFile(copy, "SELECT Title FROM tblTags ORDER BY ID"),
              QStringList({"Sunset", "Cat", "Dog"}));
    EXPECT_EQ(DM->FDConnection1->database(), main);
    EXPECT_EQ(DM->FDQuery1->sql(), "SELECT * FROM tblTags WHERE Title LIKE :titleword");
    EXPECT_EQ(DM->FDQuery1->recordCount(), 1);
    EXPECT_EQ(control<QLabel>("cxDBLabel1")->text(), "Dog");
    EXPECT_EQ(Form1->StatusBar1->panelText(4), "KeywordsDB.db");
    EXPECT_EQ(groups(), QStringList({"Animals", "Nature"}));
}

TEST_F(DatabaseCommandsTest, SaveAsNeverOverwrites) {
    const QString existing = path("DB/existing.db");
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("precious");
    f.close();
    for (const QString& target : {existing, main}) {
        dialogs.clear();
        dialogs.saveAnswers.push_back(target);
        Form1->dxBarButton3->trigger();
        EXPECT_EQ(dialogs.texts("message"),
                  QStringList({"Error copying file: The specified file already exists"}));
        EXPECT_EQ(Form1->StatusBar1->panelText(6), "3");
    }
    QFile check(existing);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "precious");
    EXPECT_EQ(queryFile(main, "SELECT count(*) FROM tblTags"), QStringList({"3"}));
}

TEST_F(DatabaseCommandsTest, MaintenanceKeepsTheSearchResultAndItsRecord) {
    openSearch();
    Form1->dxBarLargeButton10->trigger();
    EXPECT_EQ(dialogs.texts("message"),
              QStringList({"Database maintenance completed successfully."}));
    EXPECT_EQ(Form1->RecordID, 3);
    EXPECT_EQ(DM->FDQuery1->sql(), "SELECT * FROM tblTags WHERE Title LIKE :titleword");
    EXPECT_EQ(DM->FDQuery1->fieldByName("ID").toInt(), 3);
    EXPECT_EQ(Form1->StatusBar1->panelText(0), "Ready ...");
    // ANALYZE ran.
    EXPECT_FALSE(
        queryFile(main, "SELECT name FROM sqlite_master WHERE name = 'sqlite_stat1'").isEmpty());
}

TEST_F(DatabaseCommandsTest, MaintenanceOnTheCreateCardLeavesTheFocusAlone) {
    Form1->CardPanel1->setCurrentWidget(Form1->CreateCard);
    Form1->activateWindow();
    control<TcxTextEdit>("cxTextEdit1")->setFocus();
    Form1->dxBarLargeButton10->trigger();
    EXPECT_EQ(QApplication::focusWidget(), control<TcxTextEdit>("cxTextEdit1"));
}

TEST_F(DatabaseCommandsTest, MaintenanceOnAnEmptyResultDoesNothing) {
    DM->FDQuery1->setSQL("SELECT * FROM tblTags WHERE Title = 'none'");
    DM->FDQuery1->open();
    Form1->StatusBar1->setPanelText(0, "Ready");
    Form1->dxBarLargeButton10->trigger();
    EXPECT_EQ(dialogs.texts("message"),
              QStringList({"Database is empty. Maintenance is not required."}));
    EXPECT_EQ(Form1->RecordID, -1);
    EXPECT_EQ(Form1->StatusBar1->panelText(0), "Ready");
}

TEST_F(DatabaseCommandsTest, MaintenanceOnALockedDatabaseReportsAndRestoresTheListing) {
    {
        const HeldLock lock(main);
        QMetaObject::invokeMethod(
            Form1, [] { Form1->dxBarLargeButton10->trigger(); }, Qt::QueuedConnection);
        QApplication::processEvents();
    }
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("locked"))
        << dialogs.texts("error")[0].toStdString();
    EXPECT_FALSE(DM->FDQuery1->controlsDisabled());
    // Once the other program lets go, the next listing and the commands work again.
    DM->FDQuery1->setSQL("Select * FROM tblTags");
    DM->FDQuery1->open();
    dialogs.clear();
    Form1->dxBarLargeButton10->trigger();
    EXPECT_EQ(dialogs.texts("message"),
              QStringList({"Database maintenance completed successfully."}));
}

TEST_F(DatabaseCommandsTest, EveryDatabaseCommandIsRefusedInEditMode) {
    Form1->Mode->setMode(EditMode::Edit);
    Form1->NewButton->trigger();
    Form1->dxBarButton2->trigger();
    Form1->dxBarButton3->trigger();
    Form1->dxBarLargeButton10->trigger();
    const QString guard =
        "You are in EDIT mode.\rPlease update database or click Cancel button before leaving "
        "Create "
        "section!";
    EXPECT_EQ(dialogs.allTexts(), QStringList({guard, guard, guard, guard}));
    EXPECT_EQ(DM->FDConnection1->database(), main);
}

using FirstStartTest = ProgramFixture;

TEST_F(FirstStartTest, FirstStartCreatesAWorkingEmptyDatabase) {
    dialogs.saveAnswers.push_back(path("DB/KeywordsDB.db"));
    startProgram();
    EXPECT_EQ(
        dialogs.texts("message"),
        QStringList({"The database file does not exist! Create a new or open an existing database.",
                     "Database successfully opened."}));
    EXPECT_EQ(dialogs.centredOnScreen(),
              QStringList{
                  "The database file does not exist! Create a new or open an existing database."});
    EXPECT_EQ(dialogs.shown[1].request.initialDir, folder() + "DB");
    EXPECT_TRUE(QFileInfo(path("DB")).isDir());
    EXPECT_EQ(Form1->StatusBar1->panelText(4), "KeywordsDB.db");
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "0");
    EXPECT_EQ(Form1->state().TitleMax(), 80);
    EXPECT_TRUE(dialogs.texts("error").isEmpty());
}

TEST_F(FirstStartTest, FirstStartWithNewCancelledStaysUsable) {
    dialogs.saveAnswers.push_back(QString());
    startProgram();
    EXPECT_TRUE(dialogs.texts("error").isEmpty()) << dialogs.texts("error").join('|').toStdString();
    EXPECT_EQ(Form1->state().TitleMax(), 80);
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "No");
    // The user creates one afterwards.
    dialogs.saveAnswers.push_back(path("DB/Later.db"));
    Form1->NewButton->trigger();
    EXPECT_EQ(Form1->StatusBar1->panelText(4), "Later.db");
}

}  // namespace
