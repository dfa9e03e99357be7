#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>

#include "platform/rtf/rtf.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/image.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"
#include "records/main_state.h"
#include "tagging/window_centre.h"
#include "tests/support/batch_grid_fixture.h"
#include "tests/support/paragraphs.h"

namespace {

// The paragraphs of every entry before its category lines.
QStringList body(const QString& title) {
    return {"B:" + title, "R:", "R:A description", "R:", "R:sea, sun"};
}

class Handover : public BatchGridTest {
protected:
    void SetUp() override {
        BatchGridTest::SetUp();
        summary = Form1->cxRichEdit2->document();
    }

    // The edit fields and the category boxes; an empty name leaves a box without selection.
    void fillFields(const QString& title, const QString& adobe = {}, const QString& primary = {},
                    const QString& secondary = {}) {
        w->edtTitle->setText(title);
        w->memDescription->setPlainText("A description");
        w->memKeywords->setPlainText("sea, sun");
        const std::pair<QComboBox*, QString> boxes[] = {{w->AdobeCategory, adobe},
                                                        {w->ShutterCategory1, primary},
                                                        {w->ShutterCategory2, secondary}};
        for (const auto& [box, name] : boxes) box->setCurrentIndex(box->findText(name));
    }

    // Rows with no cells written; then a row's texts, each std::nullopt left unwritten.
    void makeRows(int count) {
        QStringList files;
        for (int i = 0; i < count; ++i)
            files << picture(QString("photos/p%1.png").arg(i), {20, 20});
        openImages(files);
        ASSERT_EQ(rows().rowCount(), count);
    }
    void writeCells(int row, std::initializer_list<std::pair<Col, QString>> cells) {
        for (const auto& [column, value] : cells) rows().setData(rows().index(row, column), value);
    }
    void writeEntryTexts(int row, const QString& title) {
        writeCells(row, {{Col::colTitle, title},
                         {Col::colDescription, "A description"},
                         {Col::colKeywords, "sea, sun"}});
    }
    void saveRow(int row) {
        w->cxTableView1->focusRow(row);
        w->Copyrowdatatobatchsummary1->trigger();
    }

    QTextDocument* summary = nullptr;
};

TEST_F(Handover, EveryEndingOfBothCommandsParagraphByParagraph) {
    const QString adobe = "Adobe Category: ";
    const QString primary = "Shutterstock Primary: ";
    const QString secondary = "Shutterstock Secondary: ";
    const struct {
        const char* name;
        QString adobe, primary, secondary;
        QStringList categoryLines;
        bool addEndsWithBreak;
    } cases[] = {
        {"none", {}, {}, {}, {}, true},
        {"Adobe only", "Travel", {}, {}, {"B:" + adobe + "|R:Travel"}, false},
        {"all three",
         "Travel",
         "Nature",
         "Arts",
         {"B:" + adobe + "|R:Travel", "B:" + primary + "|R:Nature", "B:" + secondary + "|R:Arts"},
         true},
        {"a secondary without a primary",
         "Travel",
         {},
         "Arts",
         {"B:" + adobe + "|R:Travel", "B:" + secondary + "|R:Arts"},
         true},
        {"a primary without a secondary", {}, "Nature", {}, {"B:" + primary + "|R:Nature"}, false},
    };
    makeRows(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList expected = body("SUNSET BEACH") << "R:";
        if (c.categoryLines.isEmpty()) expected.removeLast();  // the entry of the main window
        expected << c.categoryLines;

        Form1->cxRichEdit2->clear();
        fillFields("Sunset beach", c.adobe, c.primary, c.secondary);
        QTest::mouseClick(w->AddBtn, Qt::LeftButton);
        EXPECT_EQ(paragraphs(summary),
                  c.addEndsWithBreak ? expected + QStringList({"R:"}) : expected);

        // The grid row: a category cell that holds a value is written, an empty one too.
        Form1->cxRichEdit2->clear();
        rows().removeRow(0);
        rows().appendRow();
        writeEntryTexts(0, "Sunset beach");
        if (!c.adobe.isEmpty()) writeCells(0, {{Col::colAdobeCat, c.adobe}});
        if (!c.primary.isEmpty()) writeCells(0, {{Col::colShutter1, c.primary}});
        if (!c.secondary.isEmpty()) writeCells(0, {{Col::colShutter2, c.secondary}});
        saveRow(0);
        if (c.categoryLines.isEmpty()) expected << "R:";
        EXPECT_EQ(paragraphs(summary), expected + QStringList({"R:"}));
    }
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
}

TEST_F(Handover, TheNextEntryFollowsAnEndingWithoutABreakDirectly) {
    fillFields("cat", "Travel");
    QTest::mouseClick(w->AddBtn, Qt::LeftButton);
    Form1->CreateCard->cxTextEdit1->setText("dog");
    Form1->CreateCard->cxMemo1->setPlainText("d2");
    Form1->CreateCard->cxRichEdit1->setPlainText("k2");
    Form1->CreateCard->AddBtnClick();
    EXPECT_EQ(paragraphs(summary),
              body("CAT") + QStringList({"R:", "B:Adobe Category: |R:Travel", "R:-----", "B:DOG",
                                         "R:", "R:d2", "R:", "R:k2", "R:"}));

    // After an ending with a break, the next entry has an empty paragraph before "-----"; an
    // empty category cell still writes its label.
    makeRows(1);
    writeEntryTexts(0, "Owl");
    writeCells(0, {{Col::colShutter2, ""}});
    saveRow(0);
    EXPECT_EQ(paragraphs(summary).mid(13),
              QStringList({"R:", "R:-----"}) + body("OWL") +
                  QStringList({"R:", "B:Shutterstock Secondary: ", "R:"}));
}

TEST_F(Handover, AddChecksItsFieldsAndClearsThemAfterwards) {
    fillFields("Title");
    w->memKeywords->clear();
    QTest::mouseClick(w->AddBtn, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts("message"), QStringList({"Please enter all fields!"}));
    EXPECT_EQ(dialogs.centredOnScreen(), dialogs.texts("message"));
    EXPECT_TRUE(summary->isEmpty());
    EXPECT_EQ(w->edtTitle->text(), "Title");

    // Blanks are text.
    makeRows(1);
    fillFields(" ", "Travel");
    w->cxImage1->setPicture(rows().thumbnail(0).toImage());
    w->dxStatusBar1->setPanelText(0, "Tagging Complete.");
    QTest::mouseClick(w->AddBtn, Qt::LeftButton);
    EXPECT_EQ(paragraphs(summary).first(), "B: ");
    EXPECT_TRUE(w->edtTitle->text().isEmpty());
    EXPECT_TRUE(w->memKeywords->toPlainText().isEmpty());
    EXPECT_TRUE(w->cxImage1->picture().isNull());
    EXPECT_EQ(w->AdobeCategory->currentIndex(), -1);
    EXPECT_EQ(w->dxStatusBar1->panelText(0), "Ready ...");
    EXPECT_EQ(w->focusWidget(), w->edtTitle);
    EXPECT_EQ(rows().rowCount(), 1);  // the grid stays
}

TEST_F(Handover, SaveRowNeedsASelectedRowWithItsThreeTexts) {
    makeRows(2);
    w->cxTableView1->focusRow(-1);
    w->Copyrowdatatobatchsummary1->trigger();
    EXPECT_TRUE(summary->isEmpty());

    writeCells(0, {{Col::colTitle, "Fox"}, {Col::colDescription, "d"}});  // no keywords
    // Nothing is written, and what is typed next at the end is regular; a selection of the
    // user's keeps its style.
    QTextEdit* edit = Form1->cxRichEdit2;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    edit->mergeCurrentCharFormat(bold);
    saveRow(0);
    EXPECT_TRUE(summary->isEmpty());
    EXPECT_EQ(styleOf(edit->currentCharFormat()), "R");
    edit->setPlainText("mine");
    edit->selectAll();
    edit->mergeCurrentCharFormat(bold);
    saveRow(0);
    EXPECT_EQ(paragraphs(summary), QStringList({"B:mine"}));
    edit->clear();

    // A title of blanks is written by "Save row", and skipped by "Save all".
    writeEntryTexts(1, "   ");
    saveRow(1);
    EXPECT_EQ(paragraphs(summary), body("   ") + QStringList({"R:", "R:"}));
    Form1->cxRichEdit2->clear();
    w->Populatebatchsummary1->trigger();
    EXPECT_TRUE(summary->isEmpty());
    EXPECT_EQ(dialogs.texts("information"), QStringList({"Batch summary population complete."}));
    // The rows are not changed.
    EXPECT_EQ(text(1, Col::colTitle), "   ");
    EXPECT_EQ(text(0, Col::colTitle), "Fox");
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
}

TEST_F(Handover, SaveAllWritesTheCompleteRowsInOrderAndPutsTheFocusBack) {
    w->Populatebatchsummary1->trigger();
    EXPECT_EQ(dialogs.texts("message"), QStringList({"Grid is empty. Nothing to populate."}));
    EXPECT_EQ(dialogs.centredOnScreen(), dialogs.texts("message"));

    makeRows(5);
    writeEntryTexts(1, "first");
    writeCells(1, {{Col::colAdobeCat, "Travel"}});
    writeEntryTexts(3, "second");
    writeEntryTexts(0, "no keywords");
    writeCells(0, {{Col::colKeywords, " \t"}});
    writeCells(2, {{Col::colTitle, "only a title"}});
    writeEntryTexts(4, "blank description");
    writeCells(4, {{Col::colDescription, "\r\n"}});
    w->cxTableView1->focusRow(2);

    bool repainting = true;
    QObject::connect(summary, &QTextDocument::contentsChange,
                     [&] { repainting = repainting && w->cxTableView1->updatesEnabled(); });
    w->Populatebatchsummary1->trigger();
    EXPECT_FALSE(repainting);
    EXPECT_TRUE(w->cxTableView1->updatesEnabled());
    EXPECT_EQ(paragraphs(summary),
              body("FIRST") + QStringList({"R:", "B:Adobe Category: |R:Travel", "R:", "R:-----"}) +
                  body("SECOND") + QStringList({"R:", "R:"}));
    EXPECT_EQ(w->cxTableView1->focusedSelectedRow(), 2);
    EXPECT_EQ(dialogs.texts("information"), QStringList({"Batch summary population complete."}));
    EXPECT_EQ(dialogs.lastInformationAt, informationPointAt(w));
    const QRect outer = w->frameGeometry();
    EXPECT_EQ(dialogs.lastInformationAt, QPoint(outer.left() + outer.width() / 2 - 150,
                                                outer.top() + outer.height() / 2 - 75));

    // Rows that all lack keywords write nothing and still end with the box.
    Form1->cxRichEdit2->clear();
    rows().clearTags();
    w->Populatebatchsummary1->trigger();
    EXPECT_TRUE(summary->isEmpty());
    EXPECT_EQ(dialogs.texts("information").size(), 2u);
}

TEST_F(Handover, TheCardSwitchesBeforeTheTitleAndNothingElseMovesInTheMainWindow) {
    makeRows(1);
    writeEntryTexts(0, "row");
    Form1->cxRichEdit2->setPlainText(QString("line\n").repeated(200));
    QScrollBar* scroll = Form1->cxRichEdit2->verticalScrollBar();
    scroll->setValue(0);
    QWidget* focus = Form1->focusWidget();

    // What the summary holds when the card changes.
    QStringList atSwitch;
    QObject::connect(Form1->CardPanel1, &QStackedWidget::currentChanged,
                     [&] { atSwitch << summary->toPlainText().right(12); });
    const std::function<void()> commands[] = {[&] {
                                                  fillFields("add");
                                                  QTest::mouseClick(w->AddBtn, Qt::LeftButton);
                                              },
                                              [&] { saveRow(0); },
                                              [&] { w->Populatebatchsummary1->trigger(); }};
    for (const auto& command : commands) {
        Form1->showSearchCard();
        atSwitch.clear();
        command();
        EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);
        ASSERT_EQ(atSwitch.size(), 1);
        EXPECT_TRUE(atSwitch[0].endsWith("\n-----\n")) << atSwitch[0].toStdString();
        // From the Create card nothing changes there.
        atSwitch.clear();
        command();
        EXPECT_TRUE(atSwitch.isEmpty());
    }
    EXPECT_EQ(scroll->value(), 0);
    EXPECT_EQ(Form1->focusWidget(), focus);
}

TEST_F(Handover, AnEntryAddedWhileARecordIsEditedIsStoredByTheUpdate) {
    w->close();
    endProgram();
    QFile::remove(path("DB/KeywordsDB.db"));
    makeDatabase("DB/KeywordsDB.db",
                 {{"Nature", "Sunset", "sun", rtf::write(QTextDocument("STORED ENTRY"))}});
    startProgram();
    Form1->state().setAPIKey("key");
    Form1->SearchCard->EditRecordClick();
    ASSERT_EQ(Form1->StatusBar1->panelText(2), "EDIT");
    w = showTagger();
    summary = Form1->cxRichEdit2->document();

    fillFields("Added in the tagger", "Travel");
    QTest::mouseClick(w->AddBtn, Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>("Button3"), Qt::LeftButton);  // "Update"
    EXPECT_TRUE(dialogs.texts("error").isEmpty()) << dialogs.allTexts().join('|').toStdString();

    const QStringList stored = queryFile(path("DB/KeywordsDB.db"), "SELECT AllKeys FROM tblTags");
    ASSERT_EQ(stored.size(), 1);
    QTextDocument document;
    rtf::read(stored[0].toUtf8(), &document);
    EXPECT_EQ(document.toPlainText(),
              "STORED ENTRY\n-----\nADDED IN THE TAGGER\n\nA description\n\nsea, sun\n\n"
              "Adobe Category: Travel");
}

}  // namespace
