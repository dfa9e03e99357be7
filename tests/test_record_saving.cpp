#include <sqlite3.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "app/form1.h"
#include "platform/rtf/rtf.h"
#include "platform/sql/sql.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"
#include "tests/support/program_fixture.h"

namespace {

const char* const kRefused =
    "Batch Summary, Batch Title and Batch Searching Tags and Category must be entered!";

class RecordSavingTest : public ProgramFixture {
protected:
    void start(const std::vector<TestRecord>& records = {}) {
        db = makeDatabase("DB/KeywordsDB.db", records);
        startProgram();
        Form1->CardPanel1->setCurrentWidget(Form1->CreateCard);
        Form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    }

    // One entry through the keyword editor and "Add".
    void composeEntry(const QString& title, const QString& description, const QString& keywords) {
        control<TcxTextEdit>("cxTextEdit1")->setText(title);
        control<TcxMemo>("cxMemo1")->setPlainText(description);
        control<TcxRichEdit>("cxRichEdit1")->setPlainText(keywords);
        QTest::mouseClick(control<QPushButton>("AddBtn"), Qt::LeftButton);
    }

    void fillBatch(const QString& title, const QString& tags, const QString& group) {
        control<TcxTextEdit>("cxTextEdit2")->setText(title);
        control<TcxTextEdit>("cxTextEdit3")->setText(tags);
        Form1->GroupCombo->setEditText(group);
    }

    void save() { QTest::mouseClick(control<QPushButton>("Button3"), Qt::LeftButton); }

    // Enter in a search box of the Search card.
    void searchIn(const char* box, const QString& text) {
        auto* edit = control<TcxTextEdit>(box);
        edit->setText(text);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
    }

    QStringList column(const QString& statement) const { return queryFile(db, statement); }

    QString db;
};

TEST_F(RecordSavingTest, InsertIsRefusedUntilEveryFieldHoldsText) {
    start();
    struct Case {
        const char* name;
        const char* summary;
        const char* title;
        const char* tags;
        const char* group;
    } cases[] = {{"blank title", "entry", "  ", "tags", "G"},
                 {"blank tags", "entry", "title", "\t", "G"},
                 {"blank group", "entry", "title", "tags", " "},
                 {"empty summary", "", "title", "tags", "G"},
                 {"summary of line breaks", "\n\n", "title", "tags", "G"}};
    for (const Case& c : cases) {
        dialogs.clear();
        Form1->cxRichEdit2->setPlainText(c.summary);
        fillBatch(c.title, c.tags, c.group);
        save();
        EXPECT_EQ(dialogs.texts("message"), QStringList({kRefused})) << c.name;
        EXPECT_EQ(control<TcxTextEdit>("cxTextEdit2")->text(), c.title) << c.name;
        EXPECT_EQ(Form1->cxRichEdit2->toPlainText(), c.summary) << c.name;
    }
    EXPECT_EQ(column("SELECT count(*) FROM tblTags"), QStringList({"0"}));
}

TEST_F(RecordSavingTest, InsertStoresTheBatchAndShowsTheNewRecord) {
    start({{"Animals", "Cat", "cat", "x"}});
    composeEntry("Sunset über Lake", "Evening light", "sun, lake");
    // A search in the summary leaves marks that must not be stored.
    auto* search = control<TcxTextEdit>("SearchEdit2");
    search->setText("lake");
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Return);
    ASSERT_GT(Form1->CreateCard->FoundCount, 0);
    fillBatch("  Lakes 2026 ", " lake, sunset ", "New group");
    save();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();

    EXPECT_EQ(column("SELECT \"Group\" || '|' || Title || '|' || Keys FROM tblTags WHERE ID = 2"),
              QStringList({"New group|  Lakes 2026 | lake, sunset "}));
    EXPECT_EQ(column("SELECT Datum FROM tblTags WHERE ID = 2"),
              QStringList({QDate::currentDate().toString(Qt::ISODate)}));
    // The stored summary reads back as the entry, without yellow.
    QTextDocument stored;
    rtf::read(DM->FDQuery1->fieldByName("AllKeys").toByteArray(), &stored);
    EXPECT_TRUE(stored.toPlainText().startsWith("SUNSET üBER LAKE\n\nEvening light\n\nsun, lake"))
        << stored.toPlainText().toStdString();
    for (QTextBlock b = stored.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            EXPECT_NE(it.fragment().charFormat().background().color(), QColor(Qt::yellow));

    EXPECT_EQ(DM->FDQuery1->sql(), "SELECT ID, * FROM tblTags");
    EXPECT_EQ(DM->FDQuery1->fieldByName("ID").toInt(), 2);
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->SearchCard);
    EXPECT_EQ(Form1->StatusBar1->panelText(2), "BROWSE");
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "2");
    EXPECT_EQ(control<QLabel>("cxDBLabel1")->text(), "  Lakes 2026 ");
    EXPECT_TRUE(Form1->cxRichEdit2->toPlainText().isEmpty());
    EXPECT_TRUE(control<TcxTextEdit>("cxTextEdit2")->text().isEmpty());
    EXPECT_TRUE(Form1->GroupCombo->currentText().isEmpty());
    EXPECT_EQ(Form1->GroupCombo->findText("New group"), 1);  // Animals, New group
    EXPECT_TRUE(Form1->CreateCard->RtfStream.isEmpty());
    EXPECT_EQ(control<QLabel>("Label20")->text(), "0");
}

// Groups are told apart by their exact text: a typed group that differs from a listed one
// only in letter case is saved as typed, also after Enter in the box.
TEST_F(RecordSavingTest, ATypedGroupKeepsItsLetterCase) {
    start({{"Travel", "Old trip", "old", QByteArray()}});
    composeEntry("Boats", "Boats in the harbour", "boats, harbour");
    fillBatch("Harbour", "harbour boats", QString());
    Form1->GroupCombo->setFocus();
    QTest::keyClicks(Form1->GroupCombo, "travel");
    QTest::keyClick(Form1->GroupCombo, Qt::Key_Return);
    EXPECT_EQ(Form1->GroupCombo->currentText(), "travel");
    save();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
    EXPECT_EQ(column("SELECT \"Group\" FROM tblTags ORDER BY ID"),
              QStringList({"Travel", "travel"}));
}

TEST_F(RecordSavingTest, LargeSummariesQuotesAndNonAsciiComeBackUnchanged) {
    start();
    QString summary;
    for (int i = 0; summary.size() < 3'000'000; ++i)
        summary +=
            QStringLiteral("Entry %1 \"quoted\" 'single' {braces} \\ über € Ωμέγα 雪\n").arg(i);
    Form1->cxRichEdit2->setPlainText(summary);
    const QString title = QStringLiteral("It's a \"title\"; 50% über €");
    fillBatch(title, QStringLiteral("tags's \"x\""), QStringLiteral("Grüße"));
    save();
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
    EXPECT_EQ(DM->FDQuery1->fieldByName("Title").toString(), title);
    EXPECT_EQ(DM->FDQuery1->fieldByName("Group").toString(), QStringLiteral("Grüße"));
    Form1->SearchCard->EditRecordClick();
    // Compared as a whole: a failure names only the sizes, not three megabytes of text.
    EXPECT_TRUE(Form1->cxRichEdit2->toPlainText() == summary);
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit2")->text(), title);
}

TEST_F(RecordSavingTest, FailingInsertKeepsEverythingOnTheCreateCard) {
    start();
    composeEntry("Sunset", "Evening", "sun");
    fillBatch("Title", "tags", "Group");
    // Another program holds the database locked.
    {
        const HeldLock lock(db);
        save();
    }
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("locked"));
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);
    EXPECT_TRUE(Form1->cxRichEdit2->toPlainText().startsWith("SUNSET"));
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit2")->text(), "Title");
    EXPECT_EQ(Form1->GroupCombo->currentText(), "Group");
    EXPECT_TRUE(Form1->CreateCard->RtfStream.isEmpty());
    // Saving again works once the lock is gone.
    dialogs.clear();
    save();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(column("SELECT count(*) FROM tblTags"), QStringList({"1"}));
}

TEST_F(RecordSavingTest, EditThenUpdateStoresTheFieldsAsTheyStandAndKeepsTheDate) {
    start({{"Nature", "Sunset", "sun", rtf::write(QTextDocument("SUNSET\n\nA description"))},
           {"Animals", "Cat", "cat", "x"}});
    ASSERT_TRUE(DM->FDQuery1->locate("ID", 1));
    Form1->cxRichEdit2->setPlainText("unsaved entry");
    Form1->SearchCard->EditRecordClick();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Form1->StatusBar1->panelText(2), "EDIT");
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "Update");
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);
    EXPECT_EQ(Form1->cxRichEdit2->toPlainText(), "SUNSET\n\nA description");
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit2")->text(), "Sunset");
    EXPECT_EQ(Form1->GroupCombo->currentText(), "Nature");

    control<TcxTextEdit>("cxTextEdit2")->clear();
    control<TcxTextEdit>("cxTextEdit3")->setText("sun, evening");
    save();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
    EXPECT_EQ(column("SELECT Title || '|' || Keys || '|' || Datum FROM tblTags WHERE ID = 1"),
              QStringList({"|sun, evening|2026-01-01"}));
    EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tblTags");
    EXPECT_EQ(DM->FDQuery1->fieldByName("ID").toInt(), 1);
    EXPECT_EQ(Form1->RecordID, 1);
    EXPECT_EQ(Form1->StatusBar1->panelText(2), "BROWSE");
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "Add to Database");
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->SearchCard);
    EXPECT_TRUE(Form1->cxRichEdit2->toPlainText().isEmpty());
}

// A failed update keeps the edit on the Create card, so that Update can run again once the
// database can be written, or Cancel end the edit.
TEST_F(RecordSavingTest, FailingUpdateKeepsTheEditAndTheStoredRecord) {
    start({{"Nature", "Sunset", "sun", "x"}, {"Animals", "Cat", "cat", "y"}});
    ASSERT_TRUE(DM->FDQuery1->locate("ID", 2));
    Form1->SearchCard->EditRecordClick();
    control<TcxTextEdit>("cxTextEdit2")->setText("Changed");
    control<TcxTextEdit>("cxTextEdit3")->setText("cat, dog");
    Form1->GroupCombo->setEditText("Pets");
    Form1->cxRichEdit2->append("more");
    const QString summary = Form1->cxRichEdit2->toPlainText();
    {
        const HeldLock lock(db);
        save();
    }
    ASSERT_EQ(dialogs.texts("error").size(), 1u);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("locked"));
    EXPECT_EQ(column("SELECT Title FROM tblTags ORDER BY ID"), QStringList({"Sunset", "Cat"}));
    EXPECT_EQ(Form1->StatusBar1->panelText(2), "EDIT");
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "Update");
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);
    EXPECT_EQ(Form1->cxRichEdit2->toPlainText(), summary);
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit2")->text(), "Changed");
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit3")->text(), "cat, dog");
    EXPECT_EQ(Form1->GroupCombo->currentText(), "Pets");
    EXPECT_TRUE(Form1->CreateCard->RtfStream.isEmpty());

    // Update again once the lock is gone: the edited record, and only it, changes.
    dialogs.clear();
    save();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
    EXPECT_EQ(column("SELECT \"Group\" || '|' || Title || '|' || Keys FROM tblTags ORDER BY ID"),
              QStringList({"Nature|Sunset|sun", "Pets|Changed|cat, dog"}));
    EXPECT_EQ(DM->FDQuery1->fieldByName("ID").toLongLong(), 2);
    EXPECT_EQ(Form1->StatusBar1->panelText(2), "BROWSE");
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->SearchCard);
    EXPECT_TRUE(Form1->cxRichEdit2->toPlainText().isEmpty());

    // Cancel still ends an edit whose update failed.
    Form1->SearchCard->EditRecordClick();
    control<TcxTextEdit>("cxTextEdit2")->setText("Lost");
    {
        const HeldLock lock(db);
        save();
    }
    QTest::mouseClick(control<QPushButton>("CancelBtn"), Qt::LeftButton);
    EXPECT_EQ(Form1->StatusBar1->panelText(2), "BROWSE");
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "Add to Database");
    EXPECT_TRUE(control<TcxTextEdit>("cxTextEdit2")->text().isEmpty());
    EXPECT_EQ(column("SELECT Title FROM tblTags ORDER BY ID"), QStringList({"Sunset", "Changed"}));
}

// IDs beyond 32 bits, which another program may have written: Edit Record + Update and
// Delete Record touch exactly the row the user sees, and the last record comes back at the
// next start.
TEST_F(RecordSavingTest, RecordIdsBeyondThirtyTwoBits) {
    start({{"Nature", "Sunset", "sun", "x"}, {"Animals", "Cat", "cat", "y"}});
    endProgram();
    {
        sql::Connection c;
        c.setDatabase(db);
        sql::Query q(&c);
        q.setSQL("UPDATE tblTags SET ID = ID + 4294967296");
        q.execSQL();
    }
    ASSERT_EQ(column("SELECT ID FROM tblTags ORDER BY ID"),
              QStringList({"4294967297", "4294967298"}));
    start();
    ASSERT_TRUE(DM->FDQuery1->locate("ID", 4294967298LL));
    Form1->SearchCard->EditRecordClick();
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit2")->text(), "Cat");
    control<TcxTextEdit>("cxTextEdit2")->setText("Kitten");
    save();
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
    EXPECT_EQ(column("SELECT ID || '|' || Title FROM tblTags ORDER BY ID"),
              QStringList({"4294967297|Sunset", "4294967298|Kitten"}));
    EXPECT_EQ(Form1->RecordID, 4294967298LL);
    EXPECT_EQ(DM->FDQuery1->fieldByName("ID").toLongLong(), 4294967298LL);

    ASSERT_TRUE(closeProgram());
    EXPECT_TRUE(readSettings().contains("[ActiveRecord]\r\nID=4294967298\r\n"));
    endProgram();
    startProgram();
    EXPECT_EQ(DM->FDQuery1->fieldByName("ID").toLongLong(), 4294967298LL);
    EXPECT_EQ(control<QLabel>("cxDBLabel1")->text(), "Kitten");

    ASSERT_TRUE(DM->FDQuery1->locate("ID", 4294967297LL));
    dialogs.answers.push_back(dialogs::Answer::Yes);
    Form1->SearchCard->DeleteRecordClick();
    EXPECT_EQ(dialogs.texts("confirm").size(), 1);
    EXPECT_EQ(column("SELECT ID || '|' || Title FROM tblTags"), QStringList({"4294967298|Kitten"}));
    EXPECT_EQ(Form1->RecordID, 4294967297LL);
}

TEST_F(RecordSavingTest, CancelInBothModes) {
    start({{"Nature", "Sunset", "sun", "x"}});
    Form1->cxRichEdit2->setPlainText("draft");
    control<TcxTextEdit>("cxTextEdit2")->setText("batch");
    QTest::mouseClick(control<QPushButton>("CancelBtn"), Qt::LeftButton);
    EXPECT_TRUE(Form1->cxRichEdit2->toPlainText().isEmpty());
    EXPECT_TRUE(control<TcxTextEdit>("cxTextEdit2")->text().isEmpty());
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "Add to database");
    EXPECT_EQ(QApplication::focusWidget(), control<TcxTextEdit>("cxTextEdit1"));

    Form1->SearchCard->EditRecordClick();
    QTest::mouseClick(control<QPushButton>("CancelBtn"), Qt::LeftButton);
    EXPECT_EQ(control<QPushButton>("Button3")->text(), "Add to Database");
    EXPECT_EQ(Form1->StatusBar1->panelText(2), "BROWSE");
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);
    EXPECT_TRUE(Form1->cxRichEdit2->toPlainText().isEmpty());
    EXPECT_EQ(column("SELECT Title FROM tblTags"), QStringList({"Sunset"}));
    EXPECT_TRUE(dialogs.shown.empty());
}

// The main road: a fresh program folder, a database made through New, two entries
// stored as one record, found, edited, and found again after a restart.
TEST_F(ProgramFixture, MainRoadFromAFreshFolderToARecordFoundAfterARestart) {
    dialogs.saveAnswers.push_back(path("DB/KeywordsDB.db"));
    startProgram();
    ASSERT_EQ(dialogs.texts("message").value(1), "Database successfully opened.");
    dialogs.clear();

    QTest::keyClick(Form1, Qt::Key_F1);
    ASSERT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);
    auto* add = control<QPushButton>("AddBtn");
    QTest::keyClicks(control<TcxTextEdit>("cxTextEdit1"), "Golden sunset");
    QTest::keyClicks(control<TcxMemo>("cxMemo1"), "Sun over the sea");
    QTest::keyClicks(control<TcxRichEdit>("cxRichEdit1"), "sunset, sea, gold");
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::keyClicks(control<TcxTextEdit>("cxTextEdit1"), "Harbour at dawn");
    QTest::keyClicks(control<TcxMemo>("cxMemo1"), "Boats in the morning");
    QTest::keyClicks(control<TcxRichEdit>("cxRichEdit1"), "harbour, boats, dawn");
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::keyClicks(control<TcxTextEdit>("cxTextEdit2"), "Coast trip");
    QTest::keyClicks(control<TcxTextEdit>("cxTextEdit3"), "coast sea");
    QTest::keyClicks(Form1->GroupCombo, "Travel");
    QTest::mouseClick(control<QPushButton>("Button3"), Qt::LeftButton);
    ASSERT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->SearchCard);
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "1");

    const auto search = [&](const char* box, const QString& text) {
        auto* edit = control<TcxTextEdit>(box);
        edit->setText(text);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        return DM->FDQuery1->recordCount();
    };
    EXPECT_EQ(search("cxTextEdit4", "coast"), 1);
    EXPECT_EQ(search("cxTextEdit4", "nothing"), 0);
    EXPECT_EQ(search("cxTextEdit5", "sea, coast"), 1);
    EXPECT_EQ(search("cxTextEdit7", "Boats"), 1);
    EXPECT_TRUE(control<TcxDBRichEdit>("cxDBRichEdit1")->toPlainText().contains("HARBOUR AT DAWN"));

    Form1->SearchCard->EditRecordClick();
    control<TcxTextEdit>("cxTextEdit2")->setText("Coast trip 2026");
    QTest::mouseClick(control<QPushButton>("Button3"), Qt::LeftButton);
    EXPECT_EQ(control<QLabel>("cxDBLabel1")->text(), "Coast trip 2026");
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();

    ASSERT_TRUE(closeProgram());
    const QString ini = readSettings();
    EXPECT_TRUE(ini.contains("[Database]\r\nFileName=DB\\KeywordsDB.db\r\n"));
    EXPECT_TRUE(ini.contains("[ActiveRecord]\r\nID=1\r\n"));
    endProgram();

    startProgram();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
    EXPECT_EQ(DM->FDQuery1->fieldByName("ID").toInt(), 1);
    EXPECT_EQ(control<QLabel>("cxDBLabel1")->text(), "Coast trip 2026");
    EXPECT_EQ(Form1->GroupCombo->itemText(0), "Travel");
    EXPECT_EQ(search("cxTextEdit7", "sunset"), 1);
}

}  // namespace
