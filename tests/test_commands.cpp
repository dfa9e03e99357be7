// The main window's commands: ribbon contents, card switching, the edit-mode guard, the
// windows the commands open, the exits and the help pages.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <functional>

#include "app/form1.h"
#include "platform/ribbon/ribbon.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/aboutfrm.h"
#include "records/backupform.h"
#include "records/groupfrm.h"
#include "records/settingsfrm.h"
#include "tagging/frmtaggerpro.h"
#include "tests/support/program_fixture.h"

namespace {

const QString kGuardMessage = QStringLiteral(
    "You are in EDIT mode.\rPlease update database or click Cancel button before leaving Create "
    "section!");

// Runs fn; a window shown modally meanwhile is noted and closed. Returns that window, or
// null when none was shown.
QWidget* modalDuring(const std::function<void()>& fn) {
    QWidget* seen = nullptr;
    bool checked = false;
    QTimer::singleShot(0, qApp, [&] {
        checked = true;
        seen = QApplication::activeModalWidget();
        if (seen) seen->close();
    });
    fn();
    if (!checked) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return checked; }));
    }
    return seen;
}

// Counts the show events that run a window's show handler.
class ShowCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && !event->spontaneous()) ++count;
        return false;
    }
};

class Commands : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        makeDatabase("DB/KeywordsDB.db", {{"Nature", "Sunset", "sun", "x"}});
        startProgram();
        Form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
        dialogs.clear();
    }

    void setMode(const char* mode) {
        Form1->Mode->setMode(QLatin1String(mode) == "EDIT" ? EditMode::Edit : EditMode::Browse);
    }

    QAction* command(const char* name) const {
        auto* item = Form1->findChild<QAction*>(QLatin1String(name));
        EXPECT_NE(item, nullptr) << name;
        return item;
    }

    // Presses a key in the control that has the focus, as the user would.
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Form1;
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
};

TEST_F(Commands, RibbonCarriesEveryCommandInOrder) {
    // tab | group | command | caption | shortcut | hint; "-" is a separator.
    const QStringList expected = {
        "Tagging|Create and Search|dxBarLargeButton1|Create (F1)|F1|",
        "Tagging|Create and Search|dxBarLargeButton2|Search (F2)|F2|",
        "Tagging|Create and Search|dxBarLargeButtonAI|AI Tagging (F3)|F3|",
        "Tagging|Database|dxBarSubItem1|Database||",
        "Tagging|Setting and Tools|dxBarLargeButton8|Settings||",
        "Tagging|Setting and Tools|dxBarLargeButton10|Database Maintenance||Database Maintenance",
        "Tagging|Setting and Tools|dxBarLargeButton9|Backup and Restore||",
        "Tagging|Setting and Tools|dxBarLargeButton12|Group Admin||Group Admin",
        "Tagging||dxBarLargeButton11|Exit (Ctrl+Q)|Ctrl+Q|",
        "Info|Application|dxBarLargeButton4|Info Center||Info Center",
        "Info|Application|dxBarLargeButton5|Help||",
        "Info|Application|-",
        "Info|Application|dxBarLargeButton7|Exit Alt+F4||",
    };
    QStringList actual;
    for (TdxRibbonTab* tab : Form1->dxRibbon1->tabs())
        for (TdxRibbonGroup* group : tab->groups())
            for (TdxBarItem* item : group->entries()) {
                const QString where = tab->caption() + '|' + group->caption() + '|';
                if (!item) {
                    actual << where + '-';
                    continue;
                }
                actual << where + QStringList{item->objectName(), item->text(),
                                              item->shortcut().toString(), item->hint()}
                                      .join('|');
                // No command is disabled or hidden; each has a glyph that draws at both sizes.
                EXPECT_TRUE(item->isVisible() && item->isEnabled())
                    << item->objectName().toStdString();
                EXPECT_FALSE(item->icon().pixmap(32, 32).isNull())
                    << item->objectName().toStdString();
                EXPECT_FALSE(item->icon().pixmap(16, 16).isNull())
                    << item->objectName().toStdString();
            }
    EXPECT_EQ(actual, expected);

    // The Database menu: three items without glyphs.
    QStringList items;
    for (TdxBarButton* item : Form1->dxBarSubItem1->items()) {
        items << item->objectName() + '=' + item->text();
        EXPECT_TRUE(item->icon().isNull());
    }
    EXPECT_EQ(items, QStringList({"NewButton=New", "dxBarButton2=Open", "dxBarButton3=Save As"}));
    EXPECT_EQ(Form1->dxRibbon1->activeTab(), 0);
    // The AI command, hidden in the layout, shows once the window is made.
    QToolButton* ai = Form1->dxRibbon1->buttonFor(Form1->dxBarLargeButtonAI);
    ASSERT_NE(ai, nullptr);
    EXPECT_TRUE(ai->isVisible());
}

TEST_F(Commands, GuardedCommandsRefuseInEditModeAndRunOtherwise) {
    struct Case {
        const char* command;
        std::function<QWidget*()> window;  // the window it shows modally, or none
    };
    const Case cases[] = {
        {"dxBarLargeButton8", [] { return static_cast<QWidget*>(SettingsFrm); }},
        {"dxBarLargeButton9", [] { return static_cast<QWidget*>(BackupForm); }},
        {"dxBarLargeButton12", [] { return static_cast<QWidget*>(GroupFrm); }},
        {"NewButton", nullptr},
        {"dxBarButton2", nullptr},
        {"dxBarButton3", nullptr},
        {"dxBarLargeButton10", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        setMode("EDIT");
        dialogs.clear();
        Form1->CardPanel1->setCurrentWidget(Form1->CreateCard);
        EXPECT_EQ(modalDuring([&] { command(c.command)->trigger(); }), nullptr);
        EXPECT_EQ(dialogs.texts("message"), QStringList{kGuardMessage});
        EXPECT_EQ(dialogs.centredOnScreen(), QStringList{kGuardMessage});
        EXPECT_EQ(dialogs.shown.size(), 1u);  // no file dialog either
        EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);

        if (!c.window) continue;
        setMode("BROWSE");
        dialogs.clear();
        EXPECT_EQ(modalDuring([&] { command(c.command)->trigger(); }), c.window());
        EXPECT_TRUE(dialogs.shown.empty());
    }
}

TEST_F(Commands, UnguardedCommandsWorkInEditMode) {
    setMode("EDIT");
    Form1->CardPanel1->setCurrentWidget(Form1->SearchCard);

    EXPECT_EQ(modalDuring([&] { command("dxBarLargeButton4")->trigger(); }), AboutFrm);
    command("dxBarLargeButton1")->trigger();
    EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);
    command("dxBarLargeButtonAI")->trigger();
    EXPECT_TRUE(frmTaggerPro->isVisible());
    // Help runs too: without pages it names the path it tried, not the guard. (The tagger has
    // said that there is no API key.)
    dialogs.clear();
    command("dxBarLargeButton5")->trigger();
    EXPECT_EQ(dialogs.texts("message"),
              QStringList{"Help file not found at: " + path("Help/Introduction/index.html")});
    frmTaggerPro->close();
}

TEST_F(Commands, F1AndF2SwitchCardsAsTheModeAllows) {
    struct Case {
        bool onSearch;
        const char* mode;
        int key;
        bool endsOnSearch;
        bool refused;
    };
    const Case cases[] = {
        {true, "BROWSE", Qt::Key_F1, false, false}, {false, "BROWSE", Qt::Key_F1, false, false},
        {true, "EDIT", Qt::Key_F1, false, false},   {false, "EDIT", Qt::Key_F1, false, false},
        {false, "BROWSE", Qt::Key_F2, true, false}, {true, "BROWSE", Qt::Key_F2, true, false},
        {false, "EDIT", Qt::Key_F2, false, true},   {true, "EDIT", Qt::Key_F2, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.onSearch ? "Search card, " : "Create card, ")
                                        << c.mode << (c.key == Qt::Key_F1 ? ", F1" : ", F2"));
        setMode(c.mode);
        dialogs.clear();
        const auto card = [](bool search) -> QWidget* {
            return search ? static_cast<QWidget*>(Form1->SearchCard) : Form1->CreateCard;
        };
        Form1->CardPanel1->setCurrentWidget(card(c.onSearch));
        // The key goes to a control of the card, as when the user types in it.
        QWidget* field = c.onSearch ? static_cast<QWidget*>(control<QTableView>("cxGrid1"))
                                    : control<TcxTextEdit>("cxTextEdit1");
        field->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return field->hasFocus(); }));
        press(c.key);
        EXPECT_EQ(Form1->CardPanel1->currentWidget(), card(c.endsOnSearch));
        EXPECT_EQ(dialogs.texts("message"), c.refused ? QStringList{kGuardMessage} : QStringList{});
    }
}

TEST_F(Commands, AITaggingShowsTheTaggerOnceAndBringsItForward) {
    ShowCounter shows;
    frmTaggerPro->installEventFilter(&shows);
    // From a field of the Create card, with the ribbon on its other tab.
    Form1->dxRibbon1->setActiveTab(1);
    Form1->CardPanel1->setCurrentWidget(Form1->CreateCard);
    control<TcxTextEdit>("cxTextEdit1")->setFocus();
    press(Qt::Key_F3);
    ASSERT_TRUE(QTest::qWaitFor([] { return frmTaggerPro->isVisible(); }));
    EXPECT_EQ(shows.count, 1);
    EXPECT_FALSE(frmTaggerPro->isModal());

    // Again, from the ribbon while it is shown: no second show handler.
    Form1->dxRibbon1->setActiveTab(0);
    Form1->dxRibbon1->buttonFor(Form1->dxBarLargeButtonAI)->click();
    QApplication::processEvents();
    EXPECT_TRUE(frmTaggerPro->isVisible());
    EXPECT_EQ(shows.count, 1);

    // Closed (hidden) and shown again: the handler runs again.
    frmTaggerPro->close();
    command("dxBarLargeButtonAI")->trigger();
    EXPECT_EQ(shows.count, 2);
    frmTaggerPro->removeEventFilter(&shows);
    frmTaggerPro->close();
}

TEST_F(Commands, EachExitAsksTheCloseQuery) {
    const QString question = QStringLiteral(
        "Data in BatchSummary field will be lost if you close application before you save.\r\nDo "
        "you want to exit without saving?");
    const std::pair<const char*, std::function<void()>> exits[] = {
        {"Ctrl+Q", [] { Commands::press(Qt::Key_Q, Qt::ControlModifier); }},
        {"Exit Alt+F4",
         [] {
             Form1->dxRibbon1->setActiveTab(1);
             Form1->dxRibbon1->buttonFor(Form1->dxBarLargeButton7)->click();
         }},
        {"Exit button", [] { QTest::mouseClick(control<QPushButton>("ExitBtn"), Qt::LeftButton); }},
    };
    Form1->cxRichEdit2->setPlainText(QStringLiteral("SUNSET\n\nRed sky\n\nsun, sky"));
    for (const auto& [name, exit] : exits) {
        SCOPED_TRACE(name);
        Form1->CardPanel1->setCurrentWidget(Form1->SearchCard);
        control<QTableView>("cxGrid1")->setFocus();
        dialogs.clear();
        dialogs.answers.push_back(dialogs::Answer::No);
        exit();
        QApplication::processEvents();
        EXPECT_EQ(dialogs.texts("confirm"), QStringList{question});
        EXPECT_EQ(dialogs.centredOnScreen(), QStringList{question});
        EXPECT_TRUE(Form1->isVisible());
        EXPECT_EQ(Form1->CardPanel1->currentWidget(), Form1->CreateCard);
    }
    // "Yes" lets the window close, and its settings are written.
    dialogs.answers.push_back(dialogs::Answer::Yes);
    QTest::mouseClick(control<QPushButton>("ExitBtn"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_TRUE(readSettings().contains("[MainForm]"));
}

TEST_F(Commands, HelpOpensThePageOfItsTopicOrSaysWhy) {
    // No page: the message names the full path tried.
    Form1->ShowHTMLHelp(QStringLiteral("Settings"));
    EXPECT_EQ(dialogs.texts("message"),
              QStringList{"Help file not found at: " + path("Help/Settings/index.html")});
    EXPECT_EQ(dialogs.centredOnScreen(), dialogs.texts("message"));
    EXPECT_TRUE(shell.opened.isEmpty());

    // A folder of that name is not a page.
    QDir(folder()).mkpath(QStringLiteral("Help/Introduction/index.html"));
    dialogs.clear();
    command("dxBarLargeButton5")->trigger();
    EXPECT_EQ(dialogs.texts("message"),
              QStringList{"Help file not found at: " + path("Help/Introduction/index.html")});
    QDir(path("Help/Introduction")).rmdir(QStringLiteral("index.html"));

    // The page exists: the shell opens it, nothing is said.
    QFile page(path("Help/Introduction/index.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html></html>");
    page.close();
    dialogs.clear();
    command("dxBarLargeButton5")->trigger();
    EXPECT_EQ(shell.opened, QStringList{path("Help/Introduction/index.html")});
    EXPECT_TRUE(dialogs.shown.empty());

    // The shell fails: the system's error code of that failure is reported.
    struct FailingShell : shell::Shell {
        bool open(const QString&) override {
            errno = ENOENT;
            return false;
        }
    } failing;
    shell::install(&failing);
    command("dxBarLargeButton5")->trigger();
    shell::install(&shell);
    EXPECT_EQ(
        dialogs.texts("message"),
        QStringList{QStringLiteral("Failed to launch browser. System Error Code: %1").arg(ENOENT)});
    EXPECT_EQ(dialogs.centredOnScreen(), dialogs.texts("message"));
}

// The pages the program folder carries: one per topic, each linking only to files that
// are there.
TEST(HelpPages, EveryTopicHasAPageWhoseLinksResolve) {
    const QDir help(stagedProgramDir() + QStringLiteral("/Help"));
    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#:]+)(?:#[^\"]*)?\""));
    for (const char* topic : {"Introduction", "Settings", "Working_with_groups",
                              "Backup_and_Restore", "AI_Tagging", "Getty_Dictionary_Editor"}) {
        SCOPED_TRACE(topic);
        QFile page(help.filePath(QLatin1String(topic) + QStringLiteral("/index.html")));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(page.readAll());
        EXPECT_TRUE(html.contains(QStringLiteral("<title>")));
        EXPECT_TRUE(html.contains(QStringLiteral("href=\"../help.css\"")));
        const QDir here(help.filePath(QLatin1String(topic)));
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(QFileInfo::exists(here.filePath(target))) << target.toStdString();
        }
    }
}

}  // namespace
