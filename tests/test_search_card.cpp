// The Search card: the three searches, Select All, yellow marks, copy, the grid popup
// and Delete Record, on real database files.
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "app/form1.h"
#include "platform/rtf/rtf.h"
#include "platform/skin/skin.h"
#include "platform/sql/sql.h"
#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"
#include "tests/support/program_fixture.h"

namespace {

// A stored batch summary holding this text, as the program stores it.
QByteArray summary(const QString& text) {
    QTextDocument document;
    document.setPlainText(text);
    return rtf::write(document);
}

const QString kQuoted = QStringLiteral("O'Brien \"quoted\" back\\slash");
const QString kCzech = QStringLiteral("Žluťoučký kůň");

std::vector<TestRecord> searchRecords() {
    return {
        {"Nature", "Sunset beach", "sunset, beach, sea",
         summary("Sunset at the beach\n\nsea, sand")},
        {"Nature", "Mountain lake", "lake; mountain", summary("Calm lake")},
        {"City", "Price 50% off", "sale, city", summary("Shop window")},
        {"City", "Route 501", "road, city", summary("Road sign")},
        {"Misc", kQuoted, "quote\\back", summary("quotes")},
        {"Misc", kCzech, "kůň", summary("horse")},
        {"Misc", "Cat and dog", "cat,dog", summary("pets")},
        {"Misc", "Skyline", "city", summary("towers")},
    };
}

QStringList allTitles() {
    QStringList titles;
    for (const TestRecord& r : searchRecords()) titles << r.title;
    titles.sort();
    return titles;
}

class SearchCard : public ProgramFixture {
protected:
    void start(const std::vector<TestRecord>& records = searchRecords()) {
        makeDatabase("DB/KeywordsDB.db", records);
        startProgram();
    }

    static void enter(QWidget* widget, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(widget, Qt::Key_Return, modifiers);
    }

    static void search(TcxTextEdit* box, const QString& text) {
        box->setText(text);
        enter(box);
    }

    // The titles the grid shows, sorted.
    static QStringList gridTitles() {
        QAbstractItemModel* model = control<QTableView>("cxGrid1")->model();
        QStringList titles;
        for (int row = 0; row < model->rowCount(); ++row)
            titles << model->data(model->index(row, 1)).toString();
        titles.sort();
        return titles;
    }

    static sql::Query* query() { return DM->FDQuery1; }
    static QString status() { return Form1->StatusBar1->panelText(0); }

    // One character per document position: 'Y' for a yellow background, '.' otherwise;
    // line breaks stay as they are.
    static QString marks() {
        const QTextDocument* document = control<TcxDBRichEdit>("cxDBRichEdit1")->document();
        QString mask = document->toPlainText();
        for (QChar& c : mask)
            if (c != '\n') c = '.';
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (fragment.charFormat().background().color() != QColor(255, 255, 0)) continue;
                for (int i = 0; i < fragment.length(); ++i) mask[fragment.position() + i] = 'Y';
            }
        return mask;
    }

    // What Select All leaves: the full listing, the four boxes empty, the focus in the
    // title box.
    static void expectSelectAll() {
        EXPECT_EQ(query()->sql(), "Select * FROM tblTags");
        EXPECT_EQ(gridTitles(), allTitles());
        for (TcxTextEdit* box :
             {control<TcxTextEdit>("SearchEdit1"), control<TcxTextEdit>("cxTextEdit4"),
              control<TcxTextEdit>("cxTextEdit5"), control<TcxTextEdit>("cxTextEdit7")})
            EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
        EXPECT_EQ(Form1->focusWidget(), control<TcxTextEdit>("cxTextEdit4"));
    }

    static void openPopup() {
        QWidget* viewport = control<QTableView>("cxGrid1")->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                                viewport->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(viewport, &event);
        ASSERT_TRUE(control<QMenu>("GridPopup")->isVisible());
    }

    static void renameTable(const QString& file, const char* from, const char* to) {
        executeFile(file, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(from, to));
    }
};

TEST_F(SearchCard, TitleSearchMatchesContainedTextAsParameter) {
    start();
    QStringList statusAtOpen;
    QObject::connect(query(), &sql::Query::afterOpen, Form1, [&] { statusAtOpen << status(); });
    const struct {
        QString input;
        QStringList titles;
    } cases[] = {
        {"sun", {"Sunset beach"}},
        // Only blanks is a text of its own: titles holding a blank.
        {" ", QStringList(allTitles()).filter(" ")},
        // "%" is the wildcard.
        {"50%", {"Price 50% off", "Route 501"}},
        {kQuoted, {kQuoted}},
        {QStringLiteral("Žluťoučký"), {kCzech}},
        {QString(10000, 'x'), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.left(40).toStdString());
        statusAtOpen.clear();
        search(control<TcxTextEdit>("cxTextEdit4"), c.input);
        QStringList expected = c.titles;
        expected.sort();
        EXPECT_EQ(gridTitles(), expected);
        EXPECT_EQ(query()->sql(), "Select * FROM tblTags WHERE \"Title\" LIKE :titleword");
        EXPECT_EQ(query()->paramValue("titleword").toString(), '%' + c.input + '%');
        EXPECT_EQ(statusAtOpen, QStringList{"Searching..."});
        EXPECT_EQ(status(), "Ready");
        EXPECT_EQ(Form1->StatusBar1->panelText(6), QString::number(expected.size()));
        EXPECT_EQ(control<TcxTextEdit>("cxTextEdit4")->text(), c.input);
    }
    EXPECT_TRUE(dialogs.allTexts().isEmpty());
}

TEST_F(SearchCard, EmptyTitleBoxOpensFullListingOnlyWhenAnotherStatementIsOpen) {
    start();
    int opens = 0;
    QObject::connect(query(), &sql::Query::afterOpen, Form1, [&] { ++opens; });
    Form1->StatusBar1->setPanelText(0, "idle");
    // The start-up listing is written in other letter case: it counts as another statement.
    enter(control<TcxTextEdit>("cxTextEdit4"));
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(query()->sql(), "Select * FROM tblTags");
    EXPECT_EQ(gridTitles(), allTitles());
    enter(control<TcxTextEdit>("cxTextEdit4"));
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(status(), "idle");
}

TEST_F(SearchCard, TagsSearchBuildsOneNumberedConditionPerPiece) {
    start();
    using Params = std::vector<std::pair<QString, QString>>;
    const struct {
        QString input;
        QString sql;
        Params params;
        QStringList titles;
    } cases[] = {
        {"sunset, beach",
         "SELECT * FROM tblTags WHERE Keys LIKE :word0 AND Keys LIKE :word2",
         {{"word0", "%sunset%"}, {"word2", "%beach%"}},
         {"Sunset beach"}},
        {"cat,,dog",
         "SELECT * FROM tblTags WHERE Keys LIKE :word0 AND Keys LIKE :word2",
         {{"word0", "%cat%"}, {"word2", "%dog%"}},
         {"Cat and dog"}},
        {",cat",
         "SELECT * FROM tblTags WHERE Keys LIKE :word1",
         {{"word1", "%cat%"}},
         {"Cat and dog"}},
        {"  lake.mountain \t",
         "SELECT * FROM tblTags WHERE Keys LIKE :word0 AND Keys LIKE :word1",
         {{"word0", "%lake%"}, {"word1", "%mountain%"}},
         {"Mountain lake"}},
        {"quote\\back",
         "SELECT * FROM tblTags WHERE Keys LIKE :word0",
         {{"word0", "%quote\\back%"}},
         {kQuoted}},
        {"o'brien:city",
         "SELECT * FROM tblTags WHERE Keys LIKE :word0 AND Keys LIKE :word1",
         {{"word0", "%o'brien%"}, {"word1", "%city%"}},
         {}},
        // Separators only, or nothing: the full listing.
        {",;", "SELECT * FROM tblTags", {}, allTitles()},
        {"", "SELECT * FROM tblTags", {}, allTitles()},
    };
    QStringList statusAtOpen;
    QObject::connect(query(), &sql::Query::afterOpen, Form1, [&] { statusAtOpen << status(); });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        search(control<TcxTextEdit>("cxTextEdit5"), "sea");  // something else is open before
        statusAtOpen.clear();
        search(control<TcxTextEdit>("cxTextEdit5"), c.input);
        EXPECT_EQ(query()->sql(), c.sql);
        Params params;
        for (const QString& name : query()->paramNames())
            params.emplace_back(name, query()->paramValue(name).toString());
        EXPECT_EQ(params, c.params);
        QStringList expected = c.titles;
        expected.sort();
        EXPECT_EQ(gridTitles(), expected);
        EXPECT_EQ(statusAtOpen, QStringList{"Searching..."});
        EXPECT_EQ(status(), "Ready");
    }
    EXPECT_TRUE(dialogs.allTexts().isEmpty());
}

TEST_F(SearchCard, AnyWordSearchMarksTheWordInTheRecordView) {
    start();
    // With a result: the word goes into "Search word" and is marked in the first record.
    search(control<TcxTextEdit>("cxTextEdit7"), "beach");
    EXPECT_EQ(query()->sql(), "Select * FROM tblTags WHERE \"AllKeys\" LIKE :allkeysword");
    EXPECT_EQ(query()->paramValue("allkeysword").toString(), "%beach%");
    EXPECT_EQ(gridTitles(), QStringList{"Sunset beach"});
    EXPECT_EQ(status(), "Ready");
    EXPECT_EQ(control<TcxTextEdit>("SearchEdit1")->text(), "beach");
    EXPECT_EQ(marks(), "..............YYYYY\n\n.........");
    EXPECT_TRUE(Form1->HighlightsShown);
    EXPECT_EQ(Form1->focusWidget(), control<TcxDBRichEdit>("cxDBRichEdit1"));
    EXPECT_EQ(control<TcxDBRichEdit>("cxDBRichEdit1")->textCursor().position(), 14);
    EXPECT_FALSE(control<TcxDBRichEdit>("cxDBRichEdit1")->textCursor().hasSelection());

    // Without a result the word box keeps its text.
    control<TcxTextEdit>("SearchEdit1")->setText("keep");
    control<TcxTextEdit>("cxTextEdit7")->setFocus();
    search(control<TcxTextEdit>("cxTextEdit7"), "no such words");
    EXPECT_TRUE(gridTitles().isEmpty());
    EXPECT_EQ(control<TcxTextEdit>("SearchEdit1")->text(), "keep");
    EXPECT_EQ(Form1->focusWidget(), control<TcxTextEdit>("cxTextEdit7"));

    // Empty: the full listing, and the boxes are cleared as by Select All.
    control<TcxTextEdit>("cxTextEdit4")->setText("a");
    control<TcxTextEdit>("cxTextEdit5")->setText("b");
    search(control<TcxTextEdit>("cxTextEdit7"), "");
    expectSelectAll();
}

TEST_F(SearchCard, SelectAllShowsTheFullListingAndClearsTheBoxes) {
    start();
    search(control<TcxTextEdit>("cxTextEdit4"), "sun");
    control<TcxTextEdit>("SearchEdit1")->setText("w");
    control<TcxTextEdit>("cxTextEdit5")->setText("k");
    QTest::mouseClick(control<QPushButton>("SelectAllBtn"), Qt::LeftButton);
    expectSelectAll();
}

TEST_F(SearchCard, MarksEveryOccurrenceWithoutOverlapOrCaseOutsideAToZ) {
    const struct {
        QString text;
        QString word;
        QString marks;
        int caret;  // -1: no occurrence, the caret stays
    } cases[] = {
        {"sunset Sunset SUNSET", "Sunset", "YYYYYY.YYYYYY.YYYYYY", 0},
        {"aaaaa", "aa", "YYYY.", 0},
        {"a sunny\nbeach day", "sunny beach", "..YYYYY\nYYYYY....", 2},
        {QStringLiteral("Café CAFÉ café"), QStringLiteral("café"), "YYYY......YYYY", 0},
        // The word is plain text here, not a pattern.
        {"50% off, 500", "50%", "YYY.........", 0},
        {"nothing here", "beach", "............", -1},
    };
    std::vector<TestRecord> records;
    for (const auto& c : cases) records.push_back({"G", c.text, "k", summary(c.text)});
    start(records);
    TcxDBRichEdit* view = control<TcxDBRichEdit>("cxDBRichEdit1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(query()->locate(QStringLiteral("Title"), c.text));
        ASSERT_EQ(view->toPlainText(), c.text);
        QTextCursor caret(view->document());
        caret.setPosition(1);
        view->setTextCursor(caret);
        std::vector<bool> heldAtChange;
        const auto spy = QObject::connect(view->document(), &QTextDocument::contentsChange, view,
                                          [&] { heldAtChange.push_back(view->updating()); });
        Form1->HighlightsShown = false;
        control<TcxTextEdit>("SearchEdit1")->setText(c.word);
        enter(control<TcxTextEdit>("SearchEdit1"));
        QObject::disconnect(spy);
        EXPECT_EQ(marks(), c.marks);
        EXPECT_EQ(Form1->HighlightsShown, c.caret >= 0);
        EXPECT_EQ(view->textCursor().position(), c.caret >= 0 ? c.caret : 1);
        EXPECT_FALSE(view->textCursor().hasSelection());
        // Every change of the pass happens while repainting is held off.
        EXPECT_FALSE(heldAtChange.empty());
        EXPECT_EQ(std::count(heldAtChange.begin(), heldAtChange.end(), false), 0);
        EXPECT_FALSE(view->updating());
        EXPECT_EQ(Form1->focusWidget(), control<TcxTextEdit>("SearchEdit1"));
        EXPECT_EQ(control<TcxTextEdit>("SearchEdit1")->text(), c.word);
    }
}

TEST_F(SearchCard, EnterInSearchWordMarksUnmarksOrLeavesTheView) {
    start({{"G", "t", "k", summary("red sky, red sea")}});
    TcxDBRichEdit* view = control<TcxDBRichEdit>("cxDBRichEdit1");
    control<TcxTextEdit>("SearchEdit1")->setText("red");
    enter(control<TcxTextEdit>("SearchEdit1"));
    const QString marked = "YYY......YYY....";
    ASSERT_EQ(marks(), marked);

    // A new word first whitens the old marks.
    control<TcxTextEdit>("SearchEdit1")->setText("sea");
    enter(control<TcxTextEdit>("SearchEdit1"));
    EXPECT_EQ(marks(), ".............YYY");
    control<TcxTextEdit>("SearchEdit1")->setText("red");
    enter(control<TcxTextEdit>("SearchEdit1"));

    // Only blanks: nothing changes.
    QTextCursor caret(view->document());
    caret.setPosition(5);
    view->setTextCursor(caret);
    control<TcxTextEdit>("SearchEdit1")->setText("  ");
    enter(control<TcxTextEdit>("SearchEdit1"));
    EXPECT_EQ(marks(), marked);
    EXPECT_EQ(view->textCursor().position(), 5);
    EXPECT_EQ(control<TcxTextEdit>("SearchEdit1")->text(), "  ");
    EXPECT_TRUE(Form1->HighlightsShown);

    // Empty: the marks go, the caret stays where it was.
    control<TcxTextEdit>("SearchEdit1")->clear();
    enter(control<TcxTextEdit>("SearchEdit1"));
    EXPECT_EQ(marks(), "................");
    EXPECT_FALSE(Form1->HighlightsShown);
    EXPECT_EQ(view->textCursor().position(), 5);
    EXPECT_FALSE(view->updating());
    EXPECT_EQ(Form1->focusWidget(), control<TcxTextEdit>("SearchEdit1"));
}

TEST_F(SearchCard, CtrlCCopiesPlainTextWithoutTrailingLineBreaks) {
    start({{"G", "t", "k", summary("First line\n\nThird line")}});
    TcxDBRichEdit* view = control<TcxDBRichEdit>("cxDBRichEdit1");
    QClipboard* clipboard = QGuiApplication::clipboard();
    QTextCursor selection(view->document());
    selection.setPosition(0);
    selection.setPosition(12, QTextCursor::KeepAnchor);  // the line and both line breaks
    view->setTextCursor(selection);
    clipboard->setText("stale");
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "First line");
    EXPECT_FALSE(clipboard->mimeData()->hasHtml());

    selection.setPosition(3);
    selection.setPosition(15, QTextCursor::KeepAnchor);
    view->setTextCursor(selection);
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(clipboard->text(), "st line\n\nThi");

    view->setTextCursor(QTextCursor(view->document()));
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "");
}

TEST_F(SearchCard, PopupEnablesRecordCommandsOnlyWithRecords) {
    start();
    QList<QAction*> commands{Form1->SearchCard->EditRecord, Form1->SearchCard->ExportRecord,
                             Form1->SearchCard->DeleteRecord};
    QStringList captions;
    for (QAction* action : control<QMenu>("GridPopup")->actions())
        captions << (action->isSeparator() ? "-" : action->text());
    EXPECT_EQ(captions, (QStringList{"Edit Record", "Export Record", "-", "Delete Record"}));

    search(control<TcxTextEdit>("cxTextEdit4"), "no such title");
    openPopup();
    for (QAction* action : commands)
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    control<QMenu>("GridPopup")->hide();

    search(control<TcxTextEdit>("cxTextEdit4"), "sun");
    openPopup();
    for (QAction* action : commands)
        EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
    control<QMenu>("GridPopup")->hide();
}

TEST_F(SearchCard, DeleteRecordAsksThenShowsTheFullListingAndKeepsTheGroups) {
    start();
    const QString file = path("DB/KeywordsDB.db");
    const QStringList groupsBefore{"City", "Misc", "Nature"};
    ASSERT_EQ(Form1->GroupCombo->count(), 3);
    search(control<TcxTextEdit>("cxTextEdit4"), "Mountain");
    ASSERT_EQ(gridTitles(), QStringList{"Mountain lake"});
    const int id = query()->fieldByName("ID").toInt();

    dialogs.answers.push_back(dialogs::Answer::No);
    Form1->SearchCard->DeleteRecord->trigger();
    EXPECT_EQ(dialogs.texts("confirm"), QStringList{"Selected record will be permanently removed "
                                                    "from database!\rDo you wish to continue?"});
    EXPECT_EQ(dialogs.centredOnScreen(), dialogs.texts("confirm"));
    EXPECT_EQ(queryFile(file, "SELECT COUNT(*) FROM tblTags"), QStringList{"8"});
    EXPECT_EQ(gridTitles(), QStringList{"Mountain lake"});

    // Yes: the record goes; the grid shows the full listing. Two records of the group
    // "Nature" existed, so the group list is left as it was.
    dialogs.answers.push_back(dialogs::Answer::Yes);
    Form1->SearchCard->DeleteRecord->trigger();
    EXPECT_EQ(Form1->RecordID, id);
    EXPECT_EQ(queryFile(file, QStringLiteral("SELECT COUNT(*) FROM tblTags WHERE ID = %1").arg(id)),
              QStringList{"0"});
    EXPECT_EQ(query()->sql(), "Select * From tblTags");
    QStringList rest = allTitles();
    rest.removeOne("Mountain lake");
    EXPECT_EQ(gridTitles(), rest);
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "7");
    EXPECT_FALSE(query()->controlsDisabled());

    // Deleting the last record of a group while others remain keeps its name in the list.
    ASSERT_TRUE(query()->locate("Title", "Sunset beach"));
    dialogs.answers.push_back(dialogs::Answer::Yes);
    Form1->SearchCard->DeleteRecord->trigger();
    QStringList groups;
    for (int i = 0; i < Form1->GroupCombo->count(); ++i) groups << Form1->GroupCombo->itemText(i);
    EXPECT_EQ(groups, groupsBefore);
    EXPECT_TRUE(dialogs.texts("error").isEmpty());
}

TEST_F(SearchCard, DeletingTheLastRecordEmptiesTheGroupList) {
    start({{"Only", "Single", "k", summary("s")}});
    ASSERT_EQ(Form1->GroupCombo->count(), 1);
    dialogs.answers.push_back(dialogs::Answer::Yes);
    Form1->SearchCard->DeleteRecord->trigger();
    EXPECT_EQ(Form1->GroupCombo->count(), 0);
    EXPECT_EQ(control<QTableView>("cxGrid1")->model()->rowCount(), 0);
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "0");
    EXPECT_TRUE(control<TcxDBRichEdit>("cxDBRichEdit1")->toPlainText().isEmpty());
    EXPECT_TRUE(Form1->GroupCombo->updatesEnabled());
}

TEST_F(SearchCard, FailedDeleteKeepsTheRecordAndTheGridFollowsTheNextListing) {
    start();
    const QString file = path("DB/KeywordsDB.db");
    {
        const HeldLock lock(file);
        dialogs.answers.push_back(dialogs::Answer::Yes);
        Form1->SearchCard->DeleteRecord->trigger();
    }
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("locked"));
    EXPECT_EQ(queryFile(file, "SELECT COUNT(*) FROM tblTags"), QStringList{"8"});
    // The grid is attached again: the next listing shows in it.
    EXPECT_FALSE(query()->controlsDisabled());
    QTest::mouseClick(control<QPushButton>("SelectAllBtn"), Qt::LeftButton);
    EXPECT_EQ(gridTitles(), allTitles());
    EXPECT_FALSE(control<TcxDBRichEdit>("cxDBRichEdit1")->toPlainText().isEmpty());
}

TEST_F(SearchCard, FailedSearchShowsTheMessageAndTheNextListingWorks) {
    start();
    const QString file = path("DB/KeywordsDB.db");
    renameTable(file, "tblTags", "tblAway");
    Form1->StatusBar1->setPanelText(0, "idle");
    search(control<TcxTextEdit>("cxTextEdit4"), "sun");
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("no such table"))
        << dialogs.texts("error")[0].toStdString();
    EXPECT_EQ(status(), "Ready");
    EXPECT_FALSE(query()->active());
    EXPECT_EQ(control<QTableView>("cxGrid1")->model()->rowCount(), 0);
    EXPECT_TRUE(control<TcxDBRichEdit>("cxDBRichEdit1")->toPlainText().isEmpty());

    // The tags and any-word searches fail the same way.
    search(control<TcxTextEdit>("cxTextEdit5"), "sea");
    search(control<TcxTextEdit>("cxTextEdit7"), "sea");
    EXPECT_EQ(dialogs.texts("error").size(), 3);
    EXPECT_EQ(status(), "Ready");
    EXPECT_EQ(control<TcxTextEdit>("SearchEdit1")->text(), "");

    renameTable(file, "tblAway", "tblTags");
    QTest::mouseClick(control<QPushButton>("SelectAllBtn"), Qt::LeftButton);
    EXPECT_EQ(gridTitles(), allTitles());

    // A full listing that failed is opened again by the next Select All.
    renameTable(file, "tblTags", "tblAway");
    search(control<TcxTextEdit>("cxTextEdit7"), "");
    EXPECT_EQ(dialogs.texts("error").size(), 4);
    EXPECT_EQ(query()->sql(), "Select * FROM tblTags");
    renameTable(file, "tblAway", "tblTags");
    QTest::mouseClick(control<QPushButton>("SelectAllBtn"), Qt::LeftButton);
    EXPECT_EQ(gridTitles(), allTitles());
    search(control<TcxTextEdit>("cxTextEdit4"), "sun");
    EXPECT_EQ(gridTitles(), QStringList{"Sunset beach"});
    EXPECT_EQ(dialogs.texts("error").size(), 4);
}

TEST_F(SearchCard, RecordViewAndGridGrowWithTheWindow) {
    start();
    const QRect view = control<TcxDBRichEdit>("cxDBRichEdit1")->geometry(),
                grid = control<QTableView>("cxGrid1")->geometry(),
                box = control<TcxTextEdit>("cxTextEdit7")->geometry(),
                word = control<TcxTextEdit>("SearchEdit1")->geometry();
    Form1->resize(Form1->size() + QSize(200, 100));
    QApplication::processEvents();
    EXPECT_EQ(control<TcxDBRichEdit>("cxDBRichEdit1")->geometry(), view.adjusted(0, 0, 200, 100));
    EXPECT_EQ(control<QTableView>("cxGrid1")->geometry(), grid.adjusted(200, 0, 200, 100));
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit7")->geometry(), box.translated(200, 0));
    EXPECT_EQ(control<TcxTextEdit>("SearchEdit1")->geometry(), word);
}

TEST_F(SearchCard, RecordViewKeepsDarkTextOnWhiteUnderADarkPalette) {
    start();
    QPalette dark = skin::palette(QStringLiteral("Calmness"));
    dark.setColor(QPalette::Base, QColor(0x2B, 0x2D, 0x30));
    dark.setColor(QPalette::Text, QColor(0xE8, 0xE8, 0xE8));
    QApplication::setPalette(dark);
    const auto restore = qScopeGuard([] { skin::applyPalette(QStringLiteral("Calmness")); });
    const QPalette palette = control<TcxDBRichEdit>("cxDBRichEdit1")->palette();
    EXPECT_EQ(palette.color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(palette.color(QPalette::Text), QColor(Qt::black));
}

TEST_F(SearchCard, EveryGridCaptionStartsInsideTheGrid) {
    start();
    QHeaderView* header = control<QTableView>("cxGrid1")->horizontalHeader();
    // The Keys column runs past the grid's right edge: a centred caption would be cut off.
    ASSERT_GT(header->sectionViewportPosition(2) + header->sectionSize(2),
              header->viewport()->width());
    EXPECT_EQ(header->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    for (int column = 0; column < 3; ++column)
        EXPECT_LT(header->sectionViewportPosition(column) + 40, header->viewport()->width())
            << column;
}

}  // namespace
