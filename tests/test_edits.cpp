#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>

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

}  // namespace
