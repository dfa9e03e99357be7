#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <limits>

#include "app/form1.h"
#include "platform/widgets/edits.h"
#include "records/keyword_editor.h"
#include "records/keyword_list.h"
#include "records/main_state.h"
#include "tests/support/program_fixture.h"
#include "tests/support/window_checks.h"

namespace {

// One character per position of the document: 'R' red bold, '.' default attributes, '?' any
// other formatting, '|' a line break.
QString marks(const QTextDocument* document) {
    QString out;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            QChar kind = u'?';
            const bool plain = !f.hasProperty(QTextFormat::ForegroundBrush) &&
                               !f.hasProperty(QTextFormat::FontWeight) && !f.fontItalic() &&
                               !f.fontUnderline();
            if (plain)
                kind = u'.';
            else if (f.foreground().color() == QColor(255, 0, 0) && f.fontWeight() == QFont::Bold &&
                     !f.fontItalic() && !f.fontUnderline())
                kind = u'R';
            out += QString(fragment.length(), kind);
        }
        if (block.next().isValid()) out += u'|';
    }
    return out;
}

// A list of n keywords "k1, k2, ...".
QString keywordList(int n) {
    QStringList words;
    for (int i = 1; i <= n; ++i) words << QStringLiteral("k%1").arg(i);
    return words.join(QStringLiteral(", "));
}

}  // namespace

TEST(HighlightKeyword, MarksOccurrencesOnEveryLineAndKeepsTheCaret) {
    TcxRichEdit edit;
    edit.setPlainText(QStringLiteral("sea, cat\nCATS, dog\ncategory"));
    // Earlier formatting goes: italic on "dog".
    QTextCursor italic(edit.document());
    italic.setPosition(15);
    italic.setPosition(18, QTextCursor::KeepAnchor);
    QTextCharFormat f;
    f.setFontItalic(true);
    italic.mergeCharFormat(f);
    QTextCursor caret = edit.textCursor();
    caret.setPosition(2);
    caret.setPosition(7, QTextCursor::KeepAnchor);
    edit.setTextCursor(caret);

    HighlightKeyword(&edit, QStringLiteral("cat"));
    EXPECT_EQ(marks(edit.document()), QStringLiteral(".....RRR|RRR......|RRR....."));
    EXPECT_EQ(edit.textCursor().position(), 7);
    EXPECT_FALSE(edit.textCursor().hasSelection());
    EXPECT_FALSE(edit.updating());

    HighlightKeyword(&edit, QString());  // an empty word leaves the marking alone
    EXPECT_EQ(marks(edit.document()), QStringLiteral(".....RRR|RRR......|RRR....."));
    HighlightKeyword(&edit, QStringLiteral("dog"));
    EXPECT_EQ(marks(edit.document()), QStringLiteral("........|......RRR|........"));
}

class KeywordEditorTest : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        startOnCreateCard();
    }

    void setKeywords(const QString& text) {
        control<TcxRichEdit>("cxRichEdit1")->setPlainText(text);
    }
    QString keywords() const { return control<TcxRichEdit>("cxRichEdit1")->toPlainText(); }
    QString keywordMarks() const { return marks(control<TcxRichEdit>("cxRichEdit1")->document()); }
    void selectKeywords(int from, int to) {
        QTextCursor cursor = control<TcxRichEdit>("cxRichEdit1")->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        control<TcxRichEdit>("cxRichEdit1")->setTextCursor(cursor);
    }
};

TEST_F(KeywordEditorTest, CountersAtTheirThresholds) {
    ASSERT_EQ(Form1->state().TitleMax(), 80);
    ASSERT_EQ(Form1->state().DescriptionMax(), 200);
    ASSERT_EQ(Form1->state().KeywordsMax(), 50);
    const struct {
        int length;
        QString shown;
        bool red;
    } titles[] = {{70, "10", false}, {71, "9", true}, {0, "80", false}};
    for (const auto& c : titles) {
        control<TcxTextEdit>("cxTextEdit1")->setText(QString(c.length, u't'));
        EXPECT_EQ(Form1->Label7->text(), c.shown) << c.length;
        EXPECT_EQ(isRed(Form1->Label7), c.red) << c.length;
    }
    // Typing goes through the same rule.
    control<TcxTextEdit>("cxTextEdit1")->setText(QString(70, u't'));
    QTest::keyClicks(control<TcxTextEdit>("cxTextEdit1"), QStringLiteral("x"));
    EXPECT_EQ(Form1->Label7->text(), "9");
    EXPECT_TRUE(isRed(Form1->Label7));

    // A line break counts as two characters.
    const struct {
        QString text;
        QString shown;
        bool red;
    } descriptions[] = {{QString(179, u'd'), "21", false},
                        {QString(180, u'd'), "20", true},
                        {QString(89, u'd') + u'\n' + QString(88, u'd'), "21", false},
                        {QString(89, u'd') + u'\n' + QString(89, u'd'), "20", true}};
    for (const auto& c : descriptions) {
        control<TcxMemo>("cxMemo1")->setPlainText(c.text);
        EXPECT_EQ(Form1->Label12->text(), c.shown) << c.text.size();
        EXPECT_EQ(isRed(Form1->Label12), c.red) << c.text.size();
    }

    const struct {
        int count;
        bool red;
    } lists[] = {{44, false}, {45, true}, {50, true}, {51, true}, {0, false}};
    for (const auto& c : lists) {
        setKeywords(keywordList(c.count));
        EXPECT_EQ(Form1->Label9->text(), QString::number(c.count));
        EXPECT_EQ(isRed(Form1->Label9), c.red) << c.count;
    }
}

TEST_F(KeywordEditorTest, LimitsAreReadWhenARuleRuns) {
    control<TcxTextEdit>("cxTextEdit1")->setText(QString(50, u't'));
    control<TcxMemo>("cxMemo1")->setPlainText(QString(50, u'd'));
    Form1->state().setTitleMax(40);
    Form1->state().setDescriptionMax(30);
    Form1->state().setKeywordsMax(3);
    control<TcxTextEdit>("cxTextEdit1")->setText(QString(45, u't'));
    control<TcxMemo>("cxMemo1")->setPlainText(QString(45, u'd'));
    setKeywords(QStringLiteral("a, b"));
    EXPECT_EQ(Form1->Label7->text(), "-5");
    EXPECT_TRUE(isRed(Form1->Label7));
    EXPECT_EQ(Form1->Label12->text(), "-15");
    EXPECT_TRUE(isRed(Form1->Label12));
    EXPECT_EQ(Form1->Label9->text(), "2");
    EXPECT_TRUE(isRed(Form1->Label9));
}

// Limits from a settings file at the ends of the integer range count without overflow.
TEST_F(ProgramFixture, CountersOfExtremeStoredLimits) {
    makeDatabase("DB/KeywordsDB.db");
    writeSettings("[TextMax]\nTitle=-2147483648\nDescription=-2147483648\nKeywords=-2147483648\n");
    startProgram();
    ASSERT_EQ(Form1->state().TitleMax(), std::numeric_limits<int>::min());
    control<TcxTextEdit>("cxTextEdit1")->setText("sunset");
    control<TcxMemo>("cxMemo1")->setPlainText("sea");
    control<TcxRichEdit>("cxRichEdit1")->setPlainText("a, b");
    EXPECT_EQ(Form1->Label7->text(), "-2147483654");
    EXPECT_EQ(Form1->Label12->text(), "-2147483651");
    EXPECT_EQ(Form1->Label9->text(), "2");
    EXPECT_TRUE(isRed(Form1->Label9));

    Form1->state().setLimits(std::numeric_limits<int>::max(), std::numeric_limits<int>::max(),
                             std::numeric_limits<int>::max());
    control<TcxTextEdit>("cxTextEdit1")->setText("sun");
    control<TcxRichEdit>("cxRichEdit1")->setPlainText("a");
    EXPECT_EQ(Form1->Label7->text(), "2147483644");
    EXPECT_FALSE(isRed(Form1->Label9));
}

TEST_F(KeywordEditorTest, DescriptionTakesNoMoreThanItsLimitFromTheUser) {
    TcxMemo* memo = control<TcxMemo>("cxMemo1");
    ASSERT_EQ(memo->maxLength(), 200);
    memo->setPlainText(QString(199, u'd'));
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);  // a line break needs two
    EXPECT_EQ(memo->toPlainText().size(), 199);
    QTest::keyClicks(memo, QStringLiteral("xy"));
    EXPECT_EQ(memo->toPlainText(), QString(199, u'd') + u'x');
    EXPECT_EQ(Form1->Label12->text(), "0");

    // Typing over a selection has the selection's room.
    memo->selectAll();
    QTest::keyClicks(memo, QStringLiteral("a"));
    EXPECT_EQ(memo->toPlainText(), "a");

    // Pasted text is cut to what fits, a line break counted as two.
    memo->setPlainText(QString(196, u'd'));
    memo->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("a\nbc"));
    memo->paste();
    EXPECT_EQ(memo->toPlainText(), QString(196, u'd') + QStringLiteral("a\nb"));
    EXPECT_EQ(Form1->Label12->text(), "0");

    // Text placed by the program is kept whole.
    memo->setPlainText(QString(230, u'd'));
    EXPECT_EQ(Form1->Label12->text(), "-30");
}

// Tab and Shift+Tab in the description move on to the neighbouring fields; no tab character
// reaches the description (and so the batch summary and the record).
TEST_F(KeywordEditorTest, TabInTheDescriptionMovesTheFocus) {
    TcxMemo* memo = control<TcxMemo>("cxMemo1");
    memo->setFocus();
    QTest::keyClicks(memo, QStringLiteral("sun"));
    QTest::keyClick(memo, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), control("cxRichEdit1"));
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), control("cxTextEdit1"));
    EXPECT_EQ(memo->toPlainText(), "sun");
    EXPECT_EQ(Form1->Label12->text(), "197");
}

TEST_F(KeywordEditorTest, SeparatorsAreRefusedAtExactlyTheLimit) {
    TcxRichEdit* edit = control<TcxRichEdit>("cxRichEdit1");
    setKeywords(keywordList(50));
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, QStringLiteral(",:;x"));
    EXPECT_EQ(keywords(), keywordList(50) + u'x');

    setKeywords(keywordList(51));
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, QStringLiteral(","));
    EXPECT_EQ(keywords(), keywordList(51) + u',');
    EXPECT_EQ(Form1->Label9->text(), "52");
}

TEST_F(KeywordEditorTest, SeparatorFiltersOfTheAddAndCheckAndBatchFields) {
    QTest::keyClicks(control<TcxTextEdit>("cxCheckEdit"), QStringLiteral("c,a:t;."));
    EXPECT_EQ(control<TcxTextEdit>("cxCheckEdit")->text(), "cat");
    QInputMethodEvent composed;  // text from an input method passes the same rule
    composed.setCommitString(QStringLiteral("s.,"));
    QApplication::sendEvent(control<TcxTextEdit>("cxCheckEdit"), &composed);
    EXPECT_EQ(control<TcxTextEdit>("cxCheckEdit")->text(), "cats");
    for (TcxTextEdit* field :
         {control<TcxTextEdit>("cxTextEdit2"), control<TcxTextEdit>("cxTextEdit3")}) {
        QTest::keyClicks(field, QStringLiteral("a,b:c;d.e"));
        EXPECT_EQ(field->text(), "abcd.e") << field->objectName().toStdString();
    }
    EXPECT_EQ(control<TcxTextEdit>("cxTextEdit3")->placeholderText(), "Enter batch searching tags");
}

TEST_F(KeywordEditorTest, EnterAppendsTheWordAndClearsTheField) {
    const struct {
        const char* before;
        const char* after;
    } cases[] = {{"", "sky"}, {"sea", "sea, sky"}, {"sea,", "sea, sky"}, {"sea, ", "sea, , sky"}};
    for (const auto& c : cases) {
        setKeywords(QString::fromUtf8(c.before));
        control<TcxTextEdit>("cxCheckEdit")->setText(QStringLiteral("sky"));
        QTest::keyClick(control<TcxTextEdit>("cxCheckEdit"), Qt::Key_Return);
        EXPECT_EQ(keywords(), QString::fromUtf8(c.after)) << c.before;
        EXPECT_EQ(control<TcxTextEdit>("cxCheckEdit")->text(), "");
        EXPECT_EQ(keywordMarks(), QString(keywords().size(), u'.'));
        EXPECT_EQ(Form1->Label9->text(), QString::number(KeywordList::count(keywords())));
    }

    // Nothing at the limit, nor with an empty field.
    setKeywords(keywordList(50));
    control<TcxTextEdit>("cxCheckEdit")->setText(QStringLiteral("sky"));
    QTest::keyClick(control<TcxTextEdit>("cxCheckEdit"), Qt::Key_Return);
    EXPECT_EQ(keywords(), keywordList(50));
    EXPECT_EQ(control<TcxTextEdit>("cxCheckEdit")->text(), "sky");
    setKeywords(QStringLiteral("sea"));
    control<TcxTextEdit>("cxCheckEdit")->clear();
    QTest::keyClick(control<TcxTextEdit>("cxCheckEdit"), Qt::Key_Return);
    EXPECT_EQ(keywords(), "sea");
}

TEST_F(KeywordEditorTest, TypingMarksFromTheThirdCharacter) {
    setKeywords(QStringLiteral("cat, Cat, CAT, category, Äpfel"));
    TcxRichEdit* edit = control<TcxRichEdit>("cxRichEdit1");
    QTest::keyClicks(control<TcxTextEdit>("cxCheckEdit"), QStringLiteral("ca"));
    EXPECT_EQ(keywordMarks(), QString(30, u'.'));
    QTextCursor caret = edit->textCursor();
    caret.setPosition(12);
    edit->setTextCursor(caret);
    QTest::keyClicks(control<TcxTextEdit>("cxCheckEdit"), QStringLiteral("t"));
    EXPECT_EQ(keywordMarks(), QStringLiteral("RRR..RRR..RRR..RRR............"));
    EXPECT_EQ(edit->textCursor().position(), 12);
    EXPECT_FALSE(edit->textCursor().hasSelection());

    // Back to two characters: no marking, the caret at the start.
    QTest::keyClick(control<TcxTextEdit>("cxCheckEdit"), Qt::Key_Backspace);
    EXPECT_EQ(keywordMarks(), QString(30, u'.'));
    EXPECT_EQ(edit->textCursor().position(), 0);

    control<TcxTextEdit>("cxCheckEdit")->setText(QStringLiteral("äpfel"));
    EXPECT_EQ(keywordMarks(), QString(30, u'.'));
    control<TcxTextEdit>("cxCheckEdit")->setText(QStringLiteral("ÄPFEL"));
    EXPECT_EQ(keywordMarks(), QString(25, u'.') + QString(5, u'R'));
}

TEST_F(KeywordEditorTest, DoubleClickMarksTheSelectedWord) {
    // "sunset, sunset sunset, sunsets"
    setKeywords(QStringLiteral("sunset, sunset sunset, sunsets"));
    control<TcxTextEdit>("cxCheckEdit")->setText(QStringLiteral("ab"));
    const struct {
        int from, to;  // the selection the platform made
        const char* marked;
    } cases[] = {
        {8, 15, "RRRRRR..RRRRRR.RRRRRR..RRRRRR."},   // "sunset "
        {0, 7, "RRRRRR..RRRRRR.RRRRRR..RRRRRR."},    // "sunset,"
        {15, 23, "RRRRRRR........RRRRRRR........"},  // "sunset, " marks "sunset,"
    };
    for (const auto& c : cases) {
        control<TcxRichEdit>("cxRichEdit1")->setFocus();
        selectKeywords(c.from, c.to);
        Form1->CreateCard->FKeywordEditor->KeywordsDblClick();
        EXPECT_EQ(keywordMarks(), QString::fromUtf8(c.marked)) << c.from;
        EXPECT_TRUE(control<TcxTextEdit>("cxCheckEdit")->hasFocus());
        EXPECT_EQ(control<TcxTextEdit>("cxCheckEdit")->text(), "ab");
        EXPECT_FALSE(control<TcxRichEdit>("cxRichEdit1")->textCursor().hasSelection());
    }

    // A selection shorter than three characters clears the marking and keeps the caret.
    selectKeywords(0, 2);
    Form1->CreateCard->FKeywordEditor->KeywordsDblClick();
    EXPECT_EQ(keywordMarks(), QString(30, u'.'));
    EXPECT_EQ(control<TcxRichEdit>("cxRichEdit1")->textCursor().position(), 2);
}

TEST_F(KeywordEditorTest, MouseDoubleClickMarksAndAClickClears) {
    TcxRichEdit* edit = control<TcxRichEdit>("cxRichEdit1");
    setKeywords(QStringLiteral("sunset, sea, sunsets"));
    QTextCursor at(edit->document());
    at.setPosition(2);
    const QPoint inSunset = edit->cursorRect(at).center();
    QTest::mouseDClick(edit->viewport(), Qt::LeftButton, {}, inSunset);
    QTest::mouseRelease(edit->viewport(), Qt::LeftButton, {}, inSunset);
    EXPECT_EQ(keywordMarks(), QStringLiteral("RRRRRR.......RRRRRR."));
    EXPECT_TRUE(control<TcxTextEdit>("cxCheckEdit")->hasFocus());

    // Only the left button clicks.
    edit->setFocus();
    at.setPosition(9);
    QTest::mouseClick(edit->viewport(), Qt::RightButton, {}, edit->cursorRect(at).center());
    QTest::mouseDClick(edit->viewport(), Qt::RightButton, {}, edit->cursorRect(at).center());
    EXPECT_EQ(keywordMarks(), QStringLiteral("RRRRRR.......RRRRRR."));
    EXPECT_TRUE(edit->hasFocus());

    // A click that leaves a selection changes nothing; one that leaves none clears.
    selectKeywords(0, 3);
    Form1->CreateCard->FKeywordEditor->KeywordsClick();
    EXPECT_EQ(keywordMarks(), QStringLiteral("RRRRRR.......RRRRRR."));
    at.setPosition(9);
    QTest::mouseClick(edit->viewport(), Qt::LeftButton, {}, edit->cursorRect(at).center());
    EXPECT_EQ(keywordMarks(), QString(20, u'.'));
    EXPECT_EQ(edit->textCursor().position(), 9);
}

TEST_F(KeywordEditorTest, LeavingABlankKeywordsFieldShowsItsCount) {
    Form1->Label9->setText(
        QString::number(Form1->state().KeywordsMax()));  // as the Settings window does
    control<TcxRichEdit>("cxRichEdit1")->setFocus();
    control<TcxTextEdit>("cxTextEdit1")->setFocus();
    EXPECT_EQ(Form1->Label9->text(), "0");

    // The add-and-check field then appends to the blank field.
    control<TcxTextEdit>("cxCheckEdit")->setText(QStringLiteral("sky"));
    QTest::keyClick(control<TcxTextEdit>("cxCheckEdit"), Qt::Key_Return);
    EXPECT_EQ(keywords(), "sky");

    // A field with keywords keeps its counter when left.
    Form1->Label9->setText(QStringLiteral("50"));
    control<TcxRichEdit>("cxRichEdit1")->setFocus();
    control<TcxTextEdit>("cxTextEdit1")->setFocus();
    EXPECT_EQ(Form1->Label9->text(), "50");
}
