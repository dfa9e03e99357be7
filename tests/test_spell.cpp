// Checking as one types in the program's edit controls: marks, the start handler, the
// master switch and the context menu.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "platform/appfolder/appfolder.h"
#include "platform/spell/engine.h"
#include "platform/spell/linemarks.h"
#include "platform/spell/spell.h"
#include "platform/widgets/edits.h"
#include "tests/support/program_fixture.h"
#include "tests/support/qt_print.h"

namespace {

// A window of edit controls and a checker over a folder of its own.
class SpellWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const char* name : {"en_US.aff", "en_US.dic", "User.dic"})
            QFile::copy(stagedProgramDir() + '/' + QLatin1String(name), path(QLatin1String(name)));
        auto* layout = new QVBoxLayout(&window);
        // The window opens with the focus on a button, so no edit has started checking.
        for (QWidget* w :
             std::initializer_list<QWidget*>{button, title, memo, rich, view, password, spin})
            layout->addWidget(w);
        view->setReadOnly(true);
        password->setEchoMode(QLineEdit::Password);
        startChecker();
        window.resize(400, 500);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        button->setFocus();
        QApplication::processEvents();
    }
    void startChecker() {
        checker = std::make_unique<TSpellChecker>(folder());
        ASSERT_TRUE(QTest::qWaitFor([&] { return checker->isReady(); }, 10000));
    }
    QString folder() const { return dir.path() + '/'; }
    QString path(const QString& name) const { return folder() + name; }

    // Gives a control the focus, which starts checking there, and waits for the check.
    void focus(QWidget* control) {
        control->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == control; }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return checker->isComplete(); }));
    }
    QStringList marked(QWidget* control) const {
        QString text;
        if (auto* line = qobject_cast<QLineEdit*>(control)) text = line->text();
        if (auto* edit = qobject_cast<QTextEdit*>(control)) text = edit->toPlainText();
        if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) text = edit->toPlainText();
        QStringList words;
        for (const auto& mark : checker->marks(control))
            words.append(text.mid(mark.start, mark.length));
        return words;
    }
    static QStringList actionTexts(const QMenu* menu) {
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    }
    // Whether the picture of a widget holds red in a column range below the text's middle.
    static bool redBetween(const QImage& image, int from, int to) {
        for (int x = qMax(0, from); x < qMin(image.width(), to); ++x)
            for (int y = image.height() / 2; y < image.height(); ++y) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 110 && c.blue() < 110) return true;
            }
        return false;
    }

    QTemporaryDir dir;
    QWidget window;
    QPushButton* button = new QPushButton("OK");
    TcxTextEdit* title = new TcxTextEdit;
    TcxMemo* memo = new TcxMemo;
    TcxRichEdit* rich = new TcxRichEdit;
    TcxRichEdit* view = new TcxRichEdit;
    QLineEdit* password = new QLineEdit;
    QSpinBox* spin = new QSpinBox;
    std::unique_ptr<TSpellChecker> checker;
};

TEST_F(SpellWindow, AMisspeltWordInASingleLineEditIsUnderlinedWhereItStands) {
    title->setText("A color of the sky and then a wrold");
    focus(title);
    EXPECT_EQ(marked(title), QStringList{"wrold"});
    auto* layer = title->findChild<spell::LineMarks*>("spellMarks");
    ASSERT_NE(layer, nullptr);
    const spell::WordSpan word = checker->marks(title).value(0);

    // The underline runs under the word's characters, also when the edit has scrolled to
    // show its end.
    for (int width : {400, 90}) {
        title->setFixedWidth(width);
        title->end(false);
        const QImage picture = title->grab().toImage();
        const QLineF line = layer->underline(word);
        const int y = title->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().y();
        EXPECT_EQ(title->cursorPositionAt(QPoint(qRound(line.x1()) + 1, y)), word.start) << width;
        EXPECT_EQ(title->cursorPositionAt(QPoint(qRound(line.x2()) - 1, y)), word.end()) << width;
        EXPECT_TRUE(redBetween(picture, qRound(line.x1()), qRound(line.x2()))) << width;
        EXPECT_FALSE(redBetween(picture, 0, qRound(line.x1()) - 2)) << width;
    }
}

TEST_F(SpellWindow, RichEditsAndMemosAreUnderlinedWithoutAMarkInTheirText) {
    rich->setHtml("<b>SUNSET OVER THE LAKE</b><p>A cat wacthes the <i>sunset</i> from a boat.</p>");
    memo->setPlainText("First line\nsecnd line");
    const QByteArray rtf = rich->saveRtf();
    focus(rich);
    focus(memo);
    EXPECT_EQ(marked(rich), QStringList{"wacthes"});
    EXPECT_EQ(marked(memo), QStringList{"secnd"});

    // The mark is a wavy red underline drawn over the block's own formats.
    const QTextBlock block = rich->document()->findBlockByNumber(1);
    ASSERT_EQ(block.layout()->formats().size(), 1);
    const QTextLayout::FormatRange range = block.layout()->formats()[0];
    EXPECT_EQ(range.start, 6);
    EXPECT_EQ(range.length, 7);
    EXPECT_EQ(range.format.underlineStyle(), QTextCharFormat::WaveUnderline);
    EXPECT_EQ(range.format.underlineColor(), QColor(Qt::red));
    const QRect word = rich->cursorRect(QTextCursor(block));
    EXPECT_TRUE(
        redBetween(rich->viewport()->grab().toImage().copy(0, word.top(), 400, word.height() + 4),
                   word.left(), 400));
    // What is stored is the text as the user wrote it.
    EXPECT_EQ(rich->saveRtf(), rtf);
}

TEST_F(SpellWindow, TheStartHandlerDecidesForEachControlEachTimeCheckingStarts) {
    title->setText("a wrold");
    memo->setPlainText("a wrold");
    QList<QWidget*> asked;
    bool allowTitle = false;
    checker->setOnCheckAsYouTypeStart([&](QWidget* control, bool& allow) {
        EXPECT_TRUE(allow);
        asked.append(control);
        if (control == title) allow = allowTitle;
    });
    focus(title);
    focus(memo);
    EXPECT_EQ(asked, (QList<QWidget*>{title, memo}));
    EXPECT_FALSE(checker->isChecking(title));
    EXPECT_TRUE(marked(title).isEmpty());
    EXPECT_EQ(marked(memo), QStringList{"wrold"});

    // A changed rule applies from the next start in the control.
    allowTitle = true;
    EXPECT_FALSE(checker->isChecking(title));
    focus(title);
    EXPECT_EQ(marked(title), QStringList{"wrold"});
    allowTitle = false;
    focus(memo);
    EXPECT_EQ(marked(title), QStringList{"wrold"});
    focus(title);
    EXPECT_TRUE(marked(title).isEmpty());
    EXPECT_EQ(title->findChild<spell::LineMarks*>(), nullptr);

    // Removing one control's marks at once, as turning its switch off does.
    checker->stopCheckAsYouType(memo);
    EXPECT_TRUE(marked(memo).isEmpty());
    EXPECT_TRUE(memo->document()->begin().layout()->formats().isEmpty());

    // Password fields and the edits of spin boxes are no place for words.
    asked.clear();
    focus(password);
    spin->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(asked.isEmpty());
}

TEST_F(SpellWindow, TheMasterSwitchOffExaminesNothing) {
    title->setText("a wrold");
    rich->setPlainText("a wrold");
    focus(rich);
    EXPECT_EQ(marked(rich), QStringList{"wrold"});
    int asked = 0;
    checker->setOnCheckAsYouTypeStart([&](QWidget*, bool&) { ++asked; });
    QSignalSpy changed(checker.get(), &TSpellChecker::checkAsYouTypeChanged);

    checker->setCheckAsYouType(false);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_FALSE(checker->isChecking(rich));
    EXPECT_TRUE(rich->document()->begin().layout()->formats().isEmpty());
    focus(title);
    focus(memo);
    rich->setPlainText("more wrold");
    focus(rich);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(marked(title).isEmpty());

    // On again: checking starts in the focused control, the others when they get the focus.
    checker->setCheckAsYouType(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return checker->isComplete(); }));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(marked(rich), QStringList{"wrold"});
    EXPECT_FALSE(checker->isChecking(title));
}

TEST_F(SpellWindow, TheContextMenuOffersSuggestionsIgnoreAllAndAddToDictionary) {
    title->setText("the wrold and color");
    focus(title);
    EXPECT_EQ(checker->createContextMenu(title, 13), nullptr);  // a correct word

    std::unique_ptr<QMenu> menu(checker->createContextMenu(title, 6));
    ASSERT_NE(menu, nullptr);
    const QStringList texts = actionTexts(menu.get());
    const qsizetype ignore = texts.indexOf("Ignore All");
    ASSERT_GE(ignore, 2);
    EXPECT_LE(ignore, 9);  // at most eight suggestions and a line
    EXPECT_EQ(texts[ignore - 1], "-");
    EXPECT_EQ(texts[ignore + 1], "Add to Dictionary");
    EXPECT_EQ(texts[ignore + 2], "-");
    EXPECT_TRUE(texts.mid(0, ignore - 1).contains("world"));
    // The control's own entries follow.
    EXPECT_GT(texts.size(), ignore + 3);
    EXPECT_EQ(texts.mid(ignore + 3),
              actionTexts(std::unique_ptr<QMenu>(title->createStandardContextMenu()).get()));

    // A suggestion replaces the word as an edit of the user's, which can be undone.
    QSignalSpy edited(title, &QLineEdit::textEdited);
    menu->actions()[texts.indexOf("world")]->trigger();
    EXPECT_EQ(title->text(), "the world and color");
    EXPECT_EQ(edited.size(), 1);
    EXPECT_TRUE(marked(title).isEmpty());
    title->undo();
    EXPECT_EQ(title->text(), "the wrold and color");
    EXPECT_EQ(marked(title), QStringList{"wrold"});

    // A suggestion that does not fit under the field's limit is not cut short.
    title->setText("the wrld");
    title->setMaxLength(8);
    menu.reset(checker->createContextMenu(title, 5));
    ASSERT_NE(menu, nullptr);
    const QStringList longer = actionTexts(menu.get());
    ASSERT_TRUE(longer.contains("world"));
    menu->actions()[longer.indexOf("world")]->trigger();
    EXPECT_EQ(title->text(), "the wrld");
}

TEST_F(SpellWindow, TheRightButtonOpensTheMenuOnTheMarkedWord) {
    title->setText("a wrold");
    focus(title);
    const QLineF line = title->findChild<spell::LineMarks*>()->underline(checker->marks(title)[0]);
    const QPoint at(qRound((line.x1() + line.x2()) / 2), title->height() / 2);
    QStringList shown;
    QTimer::singleShot(0, &window, [&] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            shown = actionTexts(popup);
            popup->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, title->mapToGlobal(at));
    QApplication::sendEvent(title, &event);
    EXPECT_TRUE(shown.contains("Add to Dictionary")) << shown.join('|').toStdString();
    EXPECT_TRUE(shown.contains("world"));
}

TEST_F(SpellWindow, AddToDictionaryWritesUserDicAndTheWordIsKnownAfterARestart) {
    title->setText("Pixolet tags");
    rich->setPlainText("tagged in Pixolet");
    view->setPlainText("Pixolet's record");
    focus(title);
    focus(rich);
    focus(view);
    EXPECT_EQ(marked(view), QStringList{"Pixolet's"});
    // A read-only control offers no replacement, only the two entries.
    std::unique_ptr<QMenu> readOnly(checker->createContextMenu(view, 2));
    ASSERT_NE(readOnly, nullptr);
    EXPECT_EQ(actionTexts(readOnly.get()).mid(0, 2),
              QStringList({"Ignore All", "Add to Dictionary"}));

    std::unique_ptr<QMenu> menu(checker->createContextMenu(title, 2));
    ASSERT_NE(menu, nullptr);
    menu->actions()[actionTexts(menu.get()).indexOf("Add to Dictionary")]->trigger();
    EXPECT_TRUE(marked(title).isEmpty());
    EXPECT_TRUE(marked(rich).isEmpty());
    QFile file(path("User.dic"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "Pixolet\n");

    // "Ignore All" holds for this run only.
    rich->setPlainText("tagged in Pixolet with bokehh");
    ASSERT_TRUE(QTest::qWaitFor([&] { return checker->isComplete(); }));
    menu.reset(checker->createContextMenu(rich, 25));
    ASSERT_NE(menu, nullptr);
    menu->actions()[actionTexts(menu.get()).indexOf("Ignore All")]->trigger();
    EXPECT_TRUE(marked(rich).isEmpty());

    checker.reset();
    startChecker();
    focus(title);
    focus(rich);
    EXPECT_TRUE(marked(title).isEmpty());
    EXPECT_EQ(marked(rich), QStringList{"bokehh"});
}

TEST_F(SpellWindow, AUserDicThatCannotBeWrittenKeepsTheWordAndSaysSoOnce) {
    QFile::remove(path("User.dic"));
    ASSERT_TRUE(QDir().mkdir(path("User.dic")));
    QSignalSpy messages(checker.get(), &TSpellChecker::statusMessage);
    title->setText("Fotolia and Pond5 and Dreamstme");
    focus(title);
    EXPECT_EQ(marked(title), QStringList({"Fotolia", "Dreamstme"}));
    for (int at : {2, 24}) {
        std::unique_ptr<QMenu> menu(checker->createContextMenu(title, at));
        ASSERT_NE(menu, nullptr);
        menu->actions()[actionTexts(menu.get()).indexOf("Add to Dictionary")]->trigger();
    }
    EXPECT_TRUE(marked(title).isEmpty());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0][0].toString().contains("User.dic"));
}

TEST_F(SpellWindow, MissingDictionariesMarkNothing) {
    for (const char* name : {"en_US.aff", "en_US.dic"}) QFile::remove(path(QLatin1String(name)));
    startChecker();
    title->setText("a wrold");
    rich->setPlainText("a wrold");
    focus(title);
    focus(rich);
    EXPECT_TRUE(checker->isChecking(rich));
    EXPECT_TRUE(marked(title).isEmpty());
    EXPECT_TRUE(marked(rich).isEmpty());
    EXPECT_EQ(checker->createContextMenu(rich, 3), nullptr);
}

// The dictionaries the build stages beside the program, found whatever the current folder.
TEST(SpellProgramFolder, TheStagedDictionariesAreOpenedFromTheProgramFolder) {
    const QString previous = QDir::currentPath();
    appfolder::setProgramFolderForTests(stagedProgramDir());
    ASSERT_TRUE(QDir::setCurrent(QDir::rootPath()));
    TSpellChecker checker;
    ASSERT_TRUE(QTest::qWaitFor([&] { return checker.isReady(); }, 10000));
    QDir::setCurrent(previous);
    appfolder::setProgramFolderForTests({});
    EXPECT_TRUE(checker.engine()->hasDictionary());
    EXPECT_FALSE(checker.engine()->isCorrect(u"wrold"));
    EXPECT_TRUE(checker.engine()->isCorrect(u"world"));
}

}  // namespace
