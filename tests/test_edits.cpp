#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "platform/widgets/dbrichedit.h"
#include "platform/widgets/edits.h"
#include "tests/support/qt_print.h"

namespace {

TEST(TextEditLimit, TypedAndPastedTextIsCutToTheRoomLeft) {
    TcxTextEdit edit;
    edit.setMaxLength(5);
    edit.show();
    QTest::keyClicks(&edit, "abcdefg");
    EXPECT_EQ(edit.text(), "abcde");

    edit.clear();
    QTest::keyClicks(&edit, "ab");
    QApplication::clipboard()->setText("XYZW");
    edit.setCursorPosition(1);
    edit.paste();
    EXPECT_EQ(edit.text(), "aXYZb");
    EXPECT_EQ(edit.cursorPosition(), 4);
}

TEST(TextEditLimit, LoweringTheLimitKeepsTheTextAndStillAllowsDeleting) {
    TcxTextEdit edit;
    edit.show();
    edit.setText("a long title");
    edit.setMaxLength(4);
    EXPECT_EQ(edit.text(), "a long title");
    // Text the program sets is kept whole too.
    edit.setText("another long title");
    EXPECT_EQ(edit.text(), "another long title");
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "another long titl");
    QTest::keyClicks(&edit, "x");
    EXPECT_EQ(edit.text(), "another long titl");
}

TEST(TextEditLimit, NoLimitTakesEverything) {
    TcxTextEdit edit;
    edit.show();
    QTest::keyClicks(&edit, QString(300, 'z'));
    EXPECT_EQ(edit.text().size(), 300);
}

// The rich edits break lines at blanks only: a word wider than the line runs on past the edge
// (reached with the horizontal scroll bar) instead of being broken anywhere, which lays out
// in time quadratic in the word's length.
TEST(RichEditWrap, ALongWordRunsOnAndLinesWithBlanksStillWrap) {
    TcxRichEdit summary;
    TcxDBRichEdit view;
    for (TcxRichEdit* edit : {&summary, static_cast<TcxRichEdit*>(&view)}) {
        SCOPED_TRACE(edit->metaObject()->className());
        edit->resize(300, 200);
        edit->show();
        EXPECT_EQ(edit->wordWrapMode(), QTextOption::WordWrap);
        EXPECT_EQ(edit->lineWrapMode(), QTextEdit::WidgetWidth);

        edit->loadRtf("{\\rtf1\\ansi " + QByteArray(20000, 'a') + "}");
        edit->document()->documentLayout()->documentSize();
        EXPECT_EQ(edit->document()->firstBlock().layout()->lineCount(), 1);
        EXPECT_GT(edit->horizontalScrollBar()->maximum(), 0);

        QByteArray words;
        while (words.size() < 20000) words += "sunset beach ";
        edit->loadRtf("{\\rtf1\\ansi " + words + "}");
        edit->document()->documentLayout()->documentSize();
        const QTextLayout* layout = edit->document()->firstBlock().layout();
        EXPECT_GT(layout->lineCount(), 10);
        for (int i = 0; i < layout->lineCount(); ++i)
            EXPECT_LE(layout->lineAt(i).naturalTextWidth(), edit->document()->textWidth());
        EXPECT_EQ(edit->horizontalScrollBar()->maximum(), 0);
    }
}

// The memos (the description fields, the About window's information text) follow the same
// rule as the rich edits.
TEST(MemoWrap, ALongWordRunsOnAndLinesWithBlanksStillWrap) {
    TcxMemo memo;
    memo.resize(300, 200);
    memo.show();
    EXPECT_EQ(memo.wordWrapMode(), QTextOption::WordWrap);
    EXPECT_EQ(memo.lineWrapMode(), QPlainTextEdit::WidgetWidth);
    const auto layoutOfFirstBlock = [&memo] {
        const QTextBlock block = memo.document()->firstBlock();
        memo.document()->documentLayout()->blockBoundingRect(block);  // lays the block out
        QApplication::processEvents();                                // and the scroll bars
        return block.layout();
    };

    memo.setPlainText(QString(20000, 'a'));
    EXPECT_EQ(layoutOfFirstBlock()->lineCount(), 1);
    EXPECT_GT(memo.horizontalScrollBar()->maximum(), 0);

    QString words;
    while (words.size() < 20000) words += QStringLiteral("sunset beach ");
    memo.setPlainText(words);
    const QTextLayout* layout = layoutOfFirstBlock();
    EXPECT_GT(layout->lineCount(), 10);
    for (int i = 0; i < layout->lineCount(); ++i)
        EXPECT_LE(layout->lineAt(i).naturalTextWidth(), memo.viewport()->width());
    EXPECT_EQ(memo.horizontalScrollBar()->maximum(), 0);
}

}  // namespace
