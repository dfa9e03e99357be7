#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

#include "app/form1.h"
#include "platform/widgets/edits.h"
#include "records/main_state.h"
#include "records/summary_writer.h"
#include "tests/support/paragraphs.h"
#include "tests/support/program_fixture.h"

namespace {

// The background of every character: 'Y' yellow, '.' white, '_' none; '/' a line break.
QString marks(const QTextDocument* document) {
    QString out;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin()) out += '/';
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            QChar mark = '_';
            if (format.hasProperty(QTextFormat::BackgroundBrush))
                mark = format.background().color() == QColor(255, 255, 0)     ? 'Y'
                       : format.background().color() == QColor(255, 255, 255) ? '.'
                                                                              : '?';
            out += QString(it.fragment().length(), mark);
        }
    }
    return out;
}

// The format of the character at position.
QTextCharFormat formatAt(QTextDocument* document, int position) {
    QTextCursor cursor(document);
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    return cursor.charFormat();
}

class BatchSummaryTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        startOnCreateCard();
        summary = Form1->cxRichEdit2;
        doc = summary->document();
    }

    void fillEditor(const QString& title, const QString& description, const QString& keywords) {
        control<TcxTextEdit>("cxTextEdit1")->setText(title);
        control<TcxMemo>("cxMemo1")->setPlainText(description);
        control<TcxRichEdit>("cxRichEdit1")->setPlainText(keywords);
    }
    void add(const QString& title, const QString& description, const QString& keywords) {
        fillEditor(title, description, keywords);
        QTest::mouseClick(control<QPushButton>("AddBtn"), Qt::LeftButton);
    }
    void search(const QString& text) {
        control<TcxTextEdit>("SearchEdit2")->setText(text);
        QTest::keyClick(control<TcxTextEdit>("SearchEdit2"), Qt::Key_Return);
    }
    void replace(const QString& text) {
        control<TcxTextEdit>("ReplaceEdit1")->setText(text);
        QTest::keyClick(control<TcxTextEdit>("ReplaceEdit1"), Qt::Key_Return);
    }
    void select(int from, int to) {
        QTextCursor cursor = summary->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        summary->setTextCursor(cursor);
    }

    TcxRichEdit* summary = nullptr;
    QTextDocument* doc = nullptr;
};

TEST_F(BatchSummaryTest, AddOnAnEmptyDocumentWritesFiveParagraphsAndClearsTheEditor) {
    control<TcxTextEdit>("cxCheckEdit")->setText("sea");
    fillEditor("Sunset über Lake", "Golden light\nover water", "sun, lake");
    ASSERT_EQ(QStringList({Form1->Label7->text(), Form1->Label12->text(), Form1->Label9->text()}),
              QStringList({"64", "176", "2"}));

    QTest::mouseClick(control<QPushButton>("AddBtn"), Qt::LeftButton);

    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(paragraphs(doc), QStringList({"B:SUNSET üBER LAKE", "R:", "R:Golden light",
                                            "R:over water", "R:", "R:sun, lake", "R:"}));
    EXPECT_EQ(QStringList({Form1->Label7->text(), Form1->Label12->text(), Form1->Label9->text()}),
              QStringList({"80", "200", "0"}));
    EXPECT_TRUE(control<TcxTextEdit>("cxCheckEdit")->text().isEmpty());
    EXPECT_TRUE(control<TcxRichEdit>("cxRichEdit1")->toPlainText().isEmpty());
    EXPECT_TRUE(control<TcxMemo>("cxMemo1")->toPlainText().isEmpty());
    EXPECT_TRUE(control<TcxTextEdit>("cxTextEdit1")->text().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), control<TcxTextEdit>("cxTextEdit1"));
    EXPECT_EQ(summary->textCursor().position(), doc->characterCount() - 1);
}

TEST_F(BatchSummaryTest, SecondAddIsSeparatedAndStartsBoldAgain) {
    add("one", "first", "a, b");
    add("two", "second", "c");
    EXPECT_EQ(paragraphs(doc),
              QStringList({"B:ONE", "R:", "R:first", "R:", "R:a, b", "R:", "R:-----", "B:TWO",
                           "R:", "R:second", "R:", "R:c", "R:"}));

    // With more than the view holds, the document is scrolled to its end.
    summary->verticalScrollBar()->setValue(0);
    for (int i = 0; i < 8; ++i) add("more", "text", "k");
    EXPECT_GT(summary->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(summary->verticalScrollBar()->value(), summary->verticalScrollBar()->maximum());
}

TEST_F(BatchSummaryTest, AddAfterMarkedTextCarriesNoMark) {
    summary->setPlainText("cat");
    search("cat");
    add("t", "d", "k");
    // The empty line only ends the last line, which had no break.
    EXPECT_EQ(marks(doc), "YYY/_____/_//_//_/");
}

TEST_F(BatchSummaryTest, AddOnADocumentHoldingOnlyALineBreakKeepsItsFontAndColour) {
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    red.setFontPointSize(14);
    QTextCursor(doc).insertBlock(QTextBlockFormat(), red);
    add("t", "d", "k");
    EXPECT_EQ(paragraphs(doc).mid(1),
              QStringList({"R:", "R:-----", "B:T", "R:", "R:d", "R:", "R:k", "R:"}));
    for (int position : {2, 8, 11, 14}) {  // "-----", the title, description, keywords
        EXPECT_EQ(formatAt(doc, position).foreground().color(), QColor(255, 0, 0)) << position;
        EXPECT_EQ(formatAt(doc, position).fontPointSize(), 14) << position;
    }
}

TEST_F(BatchSummaryTest, AddWithAnEmptyFieldOnlyAsks) {
    struct Case {
        QString title, description, keywords;
        bool written;
    };
    const Case cases[] = {
        {"", "d", "k", false}, {"t", "", "k", false}, {"t", "d", "", false}, {" ", " ", " ", true}};
    for (const Case& c : cases) {
        summary->clear();
        dialogs.clear();
        add(c.title, c.description, c.keywords);
        EXPECT_EQ(!doc->isEmpty(), c.written) << c.title.toStdString();
        EXPECT_EQ(dialogs.texts("message"),
                  c.written ? QStringList() : QStringList({"Please enter all fields!"}));
        if (!c.written) {
            EXPECT_EQ(control<TcxTextEdit>("cxTextEdit1")->text(), c.title);
        }
    }
}

TEST_F(BatchSummaryTest, WriterLinesAndRunsFollowTheEndOfTheDocument) {
    // An entry with a category line that ends without a paragraph break, then the next
    // entry: its separator line follows the category line directly.
    summary::Writer writer(doc);
    summary::appendSeparator(writer);
    summary::appendEntryBody(writer, {"cat", "d", "k"});
    writer.appendEmptyLine();
    writer.setStyle(summary::Style::Bold);
    writer.writeAtEnd("Adobe Category: ");
    writer.setStyle(summary::Style::Regular);
    writer.writeAtEnd("Travel");
    summary::appendEntry(doc, {"dog", "d2", "k2"});
    EXPECT_EQ(paragraphs(doc),
              QStringList({"B:CAT", "R:", "R:d", "R:", "R:k", "R:", "B:Adobe Category: |R:Travel",
                           "R:-----", "B:DOG", "R:", "R:d2", "R:", "R:k2", "R:"}));
}

TEST_F(BatchSummaryTest, SearchMarksCountsAndRecordsEveryOccurrence) {
    summary->setPlainText("Cat cat\ncatalog");
    QVector<bool> held;
    QObject::connect(doc, &QTextDocument::contentsChange, [&] { held << summary->updating(); });
    search("cat");
    EXPECT_FALSE(held.isEmpty());
    EXPECT_FALSE(held.contains(false));
    EXPECT_EQ(control<TcxTextEdit>("SearchEdit2")->text(), "cat");  // Enter is not typed
    EXPECT_EQ(Form1->CreateCard->FoundPositions, QVector<int>({0, 4, 8}));
    EXPECT_EQ(Form1->CreateCard->FoundCount, 3);
    EXPECT_EQ(control<QLabel>("Label20")->text(), "3");
    EXPECT_TRUE(Form1->HighlightsShown);
    EXPECT_EQ(marks(doc), "YYY.YYY/YYY....");
    EXPECT_EQ(summary->textCursor().position(), 0);
    EXPECT_FALSE(summary->textCursor().hasSelection());
    EXPECT_EQ(QApplication::focusWidget(), control<TcxTextEdit>("SearchEdit2"));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(summary->updating());

    // A search across the line break, which counts as one blank.
    search("T C");
    EXPECT_EQ(Form1->CreateCard->FoundPositions, QVector<int>({2, 6}));
    EXPECT_EQ(marks(doc), "..YYY.Y/Y......");
}

TEST_F(BatchSummaryTest, SearchFoldsOnlyAToZAndNeverOverlaps) {
    summary->setPlainText("aaaa Äpfel äpfel");
    search("AA");
    EXPECT_EQ(Form1->CreateCard->FoundPositions, QVector<int>({0, 2}));
    search("äpfel");
    EXPECT_EQ(Form1->CreateCard->FoundPositions, QVector<int>({11}));
}

TEST_F(BatchSummaryTest, SearchWithoutOccurrenceSaysSoAndRemovesEarlierMarks) {
    summary->setPlainText("Cat cat\ncatalog");
    search("cat");
    select(5, 9);
    search("dog");
    EXPECT_EQ(dialogs.texts("message"), QStringList({"The searched word was not found!"}));
    EXPECT_EQ(Form1->CreateCard->FoundCount, 0);
    EXPECT_TRUE(Form1->CreateCard->FoundPositions.isEmpty());
    EXPECT_EQ(control<QLabel>("Label20")->text(), "0");
    EXPECT_EQ(marks(doc), "......./.......");
    EXPECT_EQ(summary->textCursor().position(), 0);
    EXPECT_FALSE(summary->textCursor().hasSelection());
    EXPECT_EQ(QApplication::focusWidget(), control<TcxTextEdit>("SearchEdit2"));
}

TEST_F(BatchSummaryTest, BlankSearchDoesNothingAndEmptySearchRemovesTheMarks) {
    summary->setPlainText("Cat cat\ncatalog");
    search("cat");
    search("  ");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(marks(doc), "YYY.YYY/YYY....");
    EXPECT_EQ(control<QLabel>("Label20")->text(), "3");

    select(2, 5);
    search("");
    EXPECT_EQ(marks(doc), "......./.......");
    EXPECT_EQ(control<QLabel>("Label20")->text(), "0");
    EXPECT_EQ(summary->textCursor().position(), 5);
    EXPECT_FALSE(summary->textCursor().hasSelection());
    EXPECT_EQ(Form1->CreateCard->FoundPositions, QVector<int>({0, 4, 8}));
    EXPECT_EQ(Form1->CreateCard->FoundCount, 3);
    EXPECT_TRUE(Form1->HighlightsShown);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(summary->updating());
}

TEST_F(BatchSummaryTest, ReplaceChangesEveryRecordedOccurrenceOnce) {
    for (const auto& [replacement, expected] :
         {std::pair<QString, QString>{"dog", "dog dog\ndogalog"}, {"", " \nalog"}}) {
        summary->setPlainText("Cat cat\ncatalog");
        search("cat");
        QVector<bool> held;
        const auto watch = QObject::connect(doc, &QTextDocument::contentsChange,
                                            [&] { held << summary->updating(); });
        replace(replacement);
        QObject::disconnect(watch);
        EXPECT_FALSE(held.isEmpty());
        EXPECT_FALSE(held.contains(false));
        EXPECT_EQ(summary->toPlainText(), expected);
        EXPECT_EQ(marks(doc).count('Y'), 0);
        EXPECT_TRUE(control<TcxTextEdit>("SearchEdit2")->text().isEmpty());
        EXPECT_TRUE(control<TcxTextEdit>("ReplaceEdit1")->text().isEmpty());
        EXPECT_EQ(control<QLabel>("Label20")->text(), "0");
        EXPECT_TRUE(Form1->CreateCard->FoundPositions.isEmpty());
        EXPECT_EQ(QApplication::focusWidget(), control<TcxTextEdit>("SearchEdit2"));
        EXPECT_FALSE(summary->updating());

        control<TcxTextEdit>("SearchEdit2")->setText("cat");
        replace("bird");
        EXPECT_EQ(summary->toPlainText(), expected);
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(BatchSummaryTest, ReplacedTextTakesTheStyleAndColourAtTheCaret) {
    summary->setPlainText("Cat cat\ncatalog");
    QTextCharFormat boldRed;
    boldRed.setFontWeight(QFont::Bold);
    boldRed.setForeground(QColor(255, 0, 0));
    select(0, 3);
    summary->mergeCurrentCharFormat(boldRed);
    search("cat");  // the caret stands at the bold red first occurrence
    replace("dog");
    EXPECT_EQ(paragraphs(doc), QStringList({"B:dog|R: |B:dog", "B:dog|R:alog"}));
    for (int position : {0, 4, 8})
        EXPECT_EQ(formatAt(doc, position).foreground().color(), QColor(255, 0, 0));
}

TEST_F(BatchSummaryTest, ReplaceLeavesPositionsThatNoLongerHoldTheSearchedText) {
    struct Case {
        const char* what;
        std::function<void()> change;
        QString expected;
    };
    const Case cases[] = {
        {"text removed before them",
         [&] {
             QTextCursor cursor(doc);
             cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 4);
             cursor.removeSelectedText();
         },
         "dog dog"},
        {"a character typed in front", [&] { QTextCursor(doc).insertText("x"); }, "xcat cat cat"},
        {"text typed after them", [&] { summary->append("cat"); }, "dog dog dog\ncat"},
        {"the search box changed", [&] { control<TcxTextEdit>("SearchEdit2")->setText("ca"); },
         "cat cat cat"},
        {"the search box changed in case only",
         [&] { control<TcxTextEdit>("SearchEdit2")->setText("CAT"); }, "dog dog dog"},
    };
    for (const Case& c : cases) {
        summary->setPlainText("cat cat cat");
        search("cat");
        c.change();
        replace("dog");
        EXPECT_EQ(summary->toPlainText(), c.expected) << c.what;
        EXPECT_TRUE(Form1->CreateCard->FoundPositions.isEmpty()) << c.what;
    }
}

TEST_F(BatchSummaryTest, BoldAndItalicToggleOnTheSelectionWhereverTheFocusIs) {
    summary->setPlainText("one two");
    QTextCharFormat boldItalic;
    boldItalic.setFontWeight(QFont::Bold);
    boldItalic.setFontItalic(true);
    select(0, 3);
    summary->mergeCurrentCharFormat(boldItalic);
    control<TcxTextEdit>("SearchEdit2")->setFocus();

    QTest::mouseClick(control<QToolButton>("BoldBtn"), Qt::LeftButton);
    EXPECT_EQ(paragraphs(doc), QStringList({"I:one|R: two"}));
    EXPECT_EQ(QApplication::focusWidget(), control<TcxTextEdit>("SearchEdit2"));

    select(0, 7);  // partly italic: italic is added to all of it
    QTest::mouseClick(control<QToolButton>("ItalicBtn"), Qt::LeftButton);
    EXPECT_EQ(paragraphs(doc), QStringList({"I:one two"}));
    QTest::mouseClick(control<QToolButton>("ItalicBtn"), Qt::LeftButton);
    EXPECT_EQ(paragraphs(doc), QStringList({"R:one two"}));

    // Without a selection the caret's style changes: what is typed next.
    summary->setFocus();
    select(7, 7);
    QTest::mouseClick(control<QToolButton>("BoldBtn"), Qt::LeftButton);
    QTest::keyClicks(summary, "!");
    EXPECT_EQ(paragraphs(doc), QStringList({"R:one two|B:!"}));
}

TEST_F(BatchSummaryTest, ApplyStyleUsesTheAnnotationStyleAndClearStyleThePlainOne) {
    struct Case {
        QString name;
        QString style;
    };
    const Case cases[] = {{"bold and italic", "BI"}, {"BoldItalic", "BI"}, {"BOLD", "B"},
                          {"Italic", "I"},           {"Regular", "R"},     {"Underlined", "R"}};
    Form1->state().setAnnotationFontColor(0xFF8000);  // blue 255, green 128, red 0
    Form1->state().setAnnotationFontSize(14);
    for (const Case& c : cases) {
        summary->setPlainText("ab");
        QTextCharFormat start;
        start.setFontFamilies({"DejaVu Serif"});
        start.setFontWeight(QFont::Bold);
        start.setFontItalic(true);
        start.setFontUnderline(true);
        select(0, 1);
        summary->mergeCurrentCharFormat(start);
        Form1->state().setAnnotationFontStyle(c.name);
        QTest::mouseClick(control<QToolButton>("StyleBtn"), Qt::LeftButton);
        const QTextCharFormat styled = formatAt(doc, 0);
        EXPECT_EQ(styleOf(styled), c.style) << c.name.toStdString();
        EXPECT_EQ(styled.foreground().color(), QColor(0, 128, 255));
        EXPECT_EQ(styled.fontPointSize(), 14);
        EXPECT_EQ(styled.fontFamilies().toStringList(), QStringList({"DejaVu Serif"}));
        EXPECT_EQ(styleOf(formatAt(doc, 1)), "R");  // outside the selection

        QTest::mouseClick(control<QToolButton>("SpeedButton1"), Qt::LeftButton);
        const QTextCharFormat plain = formatAt(doc, 0);
        EXPECT_EQ(styleOf(plain), "R");
        EXPECT_EQ(plain.foreground().color(), QColor(0, 0, 0));
        EXPECT_EQ(plain.fontPointSize(), 10);
        EXPECT_EQ(plain.fontFamilies().toStringList(), QStringList({"DejaVu Serif"}));
    }
}

TEST_F(BatchSummaryTest, FormattingButtonsShowTheirGlyphs) {
    for (QToolButton* button :
         {control<QToolButton>("BoldBtn"), control<QToolButton>("ItalicBtn"),
          control<QToolButton>("StyleBtn"), control<QToolButton>("SpeedButton1")})
        EXPECT_FALSE(button->icon().pixmap(16).isNull()) << button->objectName().toStdString();
}

TEST_F(BatchSummaryTest, ClearingKeepsWhatEachCommandDoesNotOwn) {
    const auto fillAll = [&] {
        fillEditor("t", "d", "k");
        control<TcxTextEdit>("cxCheckEdit")->setText("c");
        control<TcxTextEdit>("cxTextEdit2")->setText("batch");
        control<TcxTextEdit>("cxTextEdit3")->setText("tags");
        Form1->GroupCombo->addItem("Nature");
        Form1->GroupCombo->setCurrentIndex(0);
        control<TcxTextEdit>("SearchEdit2")->setText("s");
        control<TcxTextEdit>("ReplaceEdit1")->setText("r");
        control<QLabel>("Label20")->setText("3");
        summary->setPlainText("summary");
    };
    const auto state = [&] {
        return QStringList({control<TcxTextEdit>("cxTextEdit1")->text(),
                            control<TcxMemo>("cxMemo1")->toPlainText(),
                            control<TcxRichEdit>("cxRichEdit1")->toPlainText(),
                            control<TcxTextEdit>("cxCheckEdit")->text(),
                            control<TcxTextEdit>("cxTextEdit2")->text(),
                            control<TcxTextEdit>("cxTextEdit3")->text(),
                            QString::number(Form1->GroupCombo->currentIndex()),
                            Form1->GroupCombo->currentText(),
                            control<TcxTextEdit>("SearchEdit2")->text(),
                            control<TcxTextEdit>("ReplaceEdit1")->text(),
                            control<QLabel>("Label20")->text(), summary->toPlainText()});
    };

    fillAll();
    QTest::mouseClick(control<QPushButton>("ClearInputBtn"), Qt::LeftButton);
    EXPECT_EQ(state(), QStringList({"", "", "", "c", "batch", "tags", "0", "Nature", "s", "r", "3",
                                    "summary"}));
    EXPECT_EQ(QApplication::focusWidget(), control<TcxTextEdit>("cxTextEdit1"));

    fillAll();
    Form1->CreateCard->ClearInputFields();
    EXPECT_EQ(state(), QStringList({"", "", "", "c", "", "", "-1", "", "", "", "3", "summary"}));
}

TEST_F(BatchSummaryTest, EntriesAndStylesSurviveTheRtfRoundTrip) {
    add("one", "first\nline", "a, b");
    add("two", "second", "c");
    Form1->state().setAnnotationFontColor(0xFF8000);  // blue 255, green 128, red 0
    Form1->state().setAnnotationFontSize(14);
    Form1->state().setAnnotationFontStyle("Bold and Italic");
    const int separator = doc->find("-----").selectionStart();
    select(separator, separator + 5);
    QTest::mouseClick(control<QToolButton>("StyleBtn"), Qt::LeftButton);
    select(0, 3);  // the bold title "ONE"
    QTest::mouseClick(control<QToolButton>("SpeedButton1"), Qt::LeftButton);
    const QStringList before = paragraphs(doc);
    ASSERT_EQ(before.mid(6, 3), QStringList({"R:", "BI:-----", "B:TWO"}));

    TcxRichEdit copy;
    copy.setFont(summary->font());
    copy.loadRtf(summary->saveRtf());
    EXPECT_EQ(paragraphs(copy.document()), before);
    EXPECT_EQ(formatAt(copy.document(), separator).foreground().color(), QColor(0, 128, 255));
    EXPECT_EQ(formatAt(copy.document(), separator).fontPointSize(), 14);
    EXPECT_EQ(formatAt(copy.document(), 0).foreground().color(), QColor(0, 0, 0));
}

}  // namespace
