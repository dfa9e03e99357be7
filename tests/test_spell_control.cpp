// Spell checking as one types in the running program: the seven switches of the Create card,
// the rule for each control of both windows, the marks and the user dictionary.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include "app/form1.h"
#include "platform/spell/spell.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "tagging/frmtaggerpro.h"
#include "tests/support/program_fixture.h"

namespace {

// Every edit control the tests examine: the main window's by name, the tagger's with the
// prefix "tagger.".
const QStringList kAllControls = {"cxTextEdit1",           "cxMemo1",
                                  "cxRichEdit1",           "cxRichEdit2",
                                  "cxTextEdit2",           "cxTextEdit3",
                                  "cxCheckEdit",           "SearchEdit1",
                                  "cxTextEdit4",           "cxTextEdit5",
                                  "cxTextEdit7",           "tagger.edtTitle",
                                  "tagger.memDescription", "tagger.memKeywords",
                                  "tagger.cxCheckEdit"};

QWidget* byName(const QString& name) {
    if (name.startsWith(QLatin1String("tagger.")))
        return frmTaggerPro->findChild<QWidget*>(name.mid(7));
    return Form1->findChild<QWidget*>(name);
}

void setText(QWidget* control, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) line->setText(text);
    if (auto* rich = qobject_cast<QTextEdit*>(control)) rich->setPlainText(text);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) plain->setPlainText(text);
}

QString textOf(QWidget* control) {
    if (auto* line = qobject_cast<QLineEdit*>(control)) return line->text();
    if (auto* rich = qobject_cast<QTextEdit*>(control)) return rich->toPlainText();
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control)) return plain->toPlainText();
    return {};
}

bool hasRed(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 110 && c.blue() < 110) return true;
        }
    return false;
}

class SpellControlTest : public ProgramFixture {
protected:
    // The program on its Create card with the tagger window shown beside it and the
    // dictionaries open.
    void start() {
        startOnCreateCard();
        showTagger();
        ASSERT_TRUE(QTest::qWaitFor([] { return Form1->dxSpellChecker1->isReady(); }, 10000));
    }
    void restart() {
        ASSERT_TRUE(closeProgram());
        endProgram();
        startProgram();
        Form1->showCreateCard();
        showTagger();
        ASSERT_TRUE(QTest::qWaitFor([] { return Form1->dxSpellChecker1->isReady(); }, 10000));
    }
    static void showTagger() {
        Form1->dxBarLargeButtonAIClick();
        ASSERT_TRUE(QTest::qWaitFor([] { return frmTaggerPro->isVisible(); }));
    }
    static TSpellChecker* checker() { return Form1->dxSpellChecker1; }

    // Gives a control the focus in its active window, which starts checking there when the
    // rule allows it, and waits until its text is checked.
    static void focus(QWidget* control) {
        if (Form1->CreateCard->isAncestorOf(control)) Form1->showCreateCard();
        if (Form1->SearchCard->isAncestorOf(control)) Form1->showSearchCard();
        QWidget* window = control->window();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        control->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == control; }));
        ASSERT_TRUE(QTest::qWaitFor([] { return checker()->isComplete(); }));
    }
    static QStringList marked(QWidget* control) {
        const QString text = textOf(control);
        QStringList words;
        for (const auto& mark : checker()->marks(control))
            words.append(text.mid(mark.start, mark.length));
        return words;
    }
    // The controls in which a misspelt word is marked once each has had the focus.
    static QStringList examined(const QStringList& names) {
        for (const QString& name : names) setText(byName(name), QStringLiteral("a wrold"));
        QStringList found;
        for (const QString& name : names) {
            QWidget* control = byName(name);
            focus(control);
            if (marked(control) == QStringList{"wrold"}) found.append(name);
        }
        return found;
    }
    static void click(TcxCheckBox* box) {
        box->window()->activateWindow();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    // Opens the control's context menu from the keyboard at a text position and picks one of
    // its entries.
    static void pickFromContextMenu(TcxTextEdit* edit, int position, const QString& entry) {
        focus(edit);
        edit->setCursorPosition(position);
        bool picked = false;
        QTimer::singleShot(0, edit, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* action : menu->actions())
                if (action->text() == entry) {
                    action->trigger();
                    picked = true;
                }
            menu->close();
        });
        const QPoint at = edit->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, at, edit->mapToGlobal(at));
        QApplication::sendEvent(edit, &event);
        EXPECT_TRUE(picked) << entry.toStdString();
    }
};

struct SwitchCase {
    const char* what;
    const char* settings;  // the section "SpellCheck"; nullptr: no settings file
    QStringList refused;
};

void PrintTo(const SwitchCase& c, std::ostream* os) {
    *os << c.what;
}

class SpellSwitchesTest : public SpellControlTest,
                          public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SpellSwitchesTest, EachControlIsExaminedAsTheSwitchesReadAtStartAllow) {
    const SwitchCase& c = GetParam();
    if (c.settings) writeSettings(QStringLiteral("[SpellCheck]\n") + QLatin1String(c.settings));
    start();
    QStringList expected;
    for (const QString& name : kAllControls)
        if (!c.refused.contains(name)) expected.append(name);
    EXPECT_EQ(examined(kAllControls), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpellSwitchesTest,
    ::testing::Values(
        SwitchCase{"FirstStart", nullptr, {}},
        SwitchCase{"MasterOff", "SpellAsYouType=False\n", kAllControls},
        SwitchCase{"TitleOff", "SpellTitle=False\n", {"cxTextEdit1", "tagger.edtTitle"}},
        SwitchCase{"AllSixOff",
                   "SpellAsYouType=True\nSpellTitle=False\nSpellDesc=False\nSpellKeys=False\n"
                   "SpellSummary=False\nSpellBatchTitle=False\nSpellBatchKeys=False\n",
                   {"cxTextEdit1", "cxMemo1", "cxRichEdit1", "cxRichEdit2", "cxTextEdit2",
                    "cxTextEdit3", "tagger.edtTitle"}},
        SwitchCase{"OnlyTheExactTrueTicks",
                   "SpellSummary=true\nSpellBatchKeys=1\nSpellDesc=TRUE\n",
                   {"cxRichEdit2", "cxTextEdit3", "cxMemo1"}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SpellControlTest, SwitchesTurnedOffRemoveTheirMarksAtOnceAndOnAgainApplyAtTheNextFocus) {
    start();
    TCreateCard* card = Form1->CreateCard;
    for (TcxCheckBox* box : {card->CheckBox1, card->CheckBox2, card->CheckBox3, card->CheckBox4,
                             card->CheckBox5, card->CheckBox6, card->CheckBox7})
        EXPECT_FALSE(box->focusPolicy() & Qt::TabFocus) << box->objectName().toStdString();
    const QStringList fields = {"cxTextEdit1", "cxRichEdit1", "tagger.edtTitle",
                                "tagger.memKeywords"};
    ASSERT_EQ(examined(fields), fields);

    // "Title" off: both title fields lose their marks, the others keep theirs.
    click(card->CheckBox1);
    ASSERT_FALSE(card->CheckBox1->isChecked());
    EXPECT_TRUE(marked(card->cxTextEdit1).isEmpty());
    EXPECT_TRUE(marked(frmTaggerPro->edtTitle).isEmpty());
    EXPECT_EQ(marked(card->cxRichEdit1), QStringList{"wrold"});
    EXPECT_EQ(marked(frmTaggerPro->memKeywords), QStringList{"wrold"});

    // On again: the title is examined once it next gets the focus.
    click(card->CheckBox1);
    ASSERT_TRUE(card->CheckBox1->isChecked());
    EXPECT_FALSE(checker()->isChecking(card->cxTextEdit1));
    focus(card->cxTextEdit1);
    EXPECT_EQ(marked(card->cxTextEdit1), QStringList{"wrold"});

    // "Spell as you type" off removes every mark of both windows; on, the fields start again
    // as they get the focus.
    click(card->CheckBox7);
    ASSERT_FALSE(card->CheckBox7->isChecked());
    EXPECT_FALSE(checker()->checkAsYouType());
    for (const QString& name : fields)
        EXPECT_TRUE(marked(byName(name)).isEmpty()) << name.toStdString();
    EXPECT_TRUE(examined({"cxRichEdit1", "tagger.memKeywords"}).isEmpty());
    click(card->CheckBox7);
    EXPECT_TRUE(checker()->checkAsYouType());
    EXPECT_EQ(examined(fields), fields);
}

TEST_F(SpellControlTest, AMisspeltWordIsUnderlinedInASingleLineAndARichEditACorrectOneIsNot) {
    start();
    TCreateCard* card = Form1->CreateCard;
    focus(card->cxTextEdit1);
    QTest::keyClicks(card->cxTextEdit1, "Sunset over the lake");
    focus(card->cxRichEdit2);
    QTest::keyClicks(card->cxRichEdit2, "A cat watches the sunset");
    ASSERT_TRUE(QTest::qWaitFor([] { return checker()->isComplete(); }));
    EXPECT_TRUE(marked(card->cxTextEdit1).isEmpty());
    EXPECT_TRUE(marked(card->cxRichEdit2).isEmpty());
    EXPECT_FALSE(hasRed(card->cxTextEdit1->grab().toImage()));
    EXPECT_FALSE(hasRed(card->cxRichEdit2->viewport()->grab().toImage()));

    focus(card->cxTextEdit1);
    QTest::keyClicks(card->cxTextEdit1, " at dsuk");
    focus(card->cxRichEdit2);
    QTest::keyClick(card->cxRichEdit2, Qt::Key_Return);
    QTest::keyClicks(card->cxRichEdit2, "and a bota");
    ASSERT_TRUE(QTest::qWaitFor([] { return checker()->isComplete(); }));
    EXPECT_EQ(marked(card->cxTextEdit1), QStringList{"dsuk"});
    EXPECT_EQ(marked(card->cxRichEdit2), QStringList{"bota"});
    EXPECT_TRUE(hasRed(card->cxTextEdit1->grab().toImage()));
    EXPECT_TRUE(hasRed(card->cxRichEdit2->viewport()->grab().toImage()));
    const QTextBlock second = card->cxRichEdit2->document()->findBlockByNumber(1);
    ASSERT_EQ(second.layout()->formats().size(), 1);
    const QTextLayout::FormatRange range = second.layout()->formats()[0];
    EXPECT_EQ(range.start, 6);
    EXPECT_EQ(range.length, 4);
    EXPECT_EQ(range.format.underlineStyle(), QTextCharFormat::WaveUnderline);
}

TEST_F(SpellControlTest, AddToDictionaryWritesUserDicInTheProgramFolderForTheNextStart) {
    start();
    TcxTextEdit* title = Form1->CreateCard->cxTextEdit1;
    title->setText("Pixolet tags a wrold");
    focus(title);
    ASSERT_EQ(marked(title), QStringList({"Pixolet", "wrold"}));
    pickFromContextMenu(title, 2, "Add to Dictionary");
    EXPECT_EQ(marked(title), QStringList{"wrold"});
    QFile file(path("User.dic"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "Pixolet\n");
    file.close();

    restart();
    title = Form1->CreateCard->cxTextEdit1;
    setText(frmTaggerPro->memDescription, "Pixolet tags a wrold");
    title->setText("Pixolet tags a wrold");
    focus(frmTaggerPro->memDescription);
    focus(title);
    EXPECT_EQ(marked(frmTaggerPro->memDescription), QStringList{"wrold"});
    EXPECT_EQ(marked(title), QStringList{"wrold"});
}

TEST_F(SpellControlTest, AUserDicThatCannotBeWrittenKeepsTheWordAndSaysSoInTheStatusLine) {
    QFile::remove(path("User.dic"));
    ASSERT_TRUE(QDir().mkdir(path("User.dic")));
    start();
    TcxTextEdit* title = Form1->CreateCard->cxTextEdit1;
    title->setText("Pixolet tags a wrold");
    focus(title);
    pickFromContextMenu(title, 2, "Add to Dictionary");
    EXPECT_EQ(marked(title), QStringList{"wrold"});
    EXPECT_TRUE(Form1->StatusBar1->panelText(0).contains("User.dic"))
        << Form1->StatusBar1->panelText(0).toStdString();
    EXPECT_TRUE(dialogs.allTexts().filter("User.dic").isEmpty());
}

}  // namespace
