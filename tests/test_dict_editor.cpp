// The Getty dictionary editor: loading and saving both lists, the two Add commands with
// their duplicate rules, keys, deleting, merge imports with backups, help, and what the
// Getty prompt then reads from the files.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>

#include "app/form1.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "tagging/frmdicteditor.h"
#include "tagging/prompts.h"
#include "tests/support/fifo.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_fixture.h"

namespace {

class DictEditor : public ProgramFixture {
protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        makeDatabase("DB/KeywordsDB.db");
        startProgram();
        dialogs.clear();
    }

    void writeList(const char* name, const QByteArray& bytes) {
        writeFile(path(QLatin1String(name)), bytes);
    }
    QByteArray readList(const char* name) const { return readOrNone(path(QLatin1String(name))); }
    void showEditor() {
        // The main window is active first, as when the user opens the editor from the
        // tagger (the window system's focus may still rest on the hidden editor).
        Form1->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == Form1; }));
        frmDictEditor->show();
        // The activation that showing asks for arrives first.
        QApplication::processEvents();
        frmDictEditor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frmDictEditor));
    }
    // The rows as the grid shows them, top to bottom, cells joined by "|".
    static QStringList shown(QTableView* view) {
        QStringList rows;
        for (int r = 0; r < view->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < view->model()->columnCount(); ++c)
                cells << view->model()->index(r, c).data().toString();
            rows << cells.join(u'|');
        }
        return rows;
    }
    // The focused row, cells joined by "|".
    static QString current(QTableView* view) {
        const QModelIndex index = view->currentIndex();
        if (!index.isValid()) return QStringLiteral("<none>");
        QStringList cells;
        for (int c = 0; c < view->model()->columnCount(); ++c)
            cells << view->model()->index(index.row(), c).data().toString();
        return cells.join(u'|');
    }
    QString counts() const {
        return frmDictEditor->dxStatusBar1->panelText(2) + u'/' +
               frmDictEditor->dxStatusBar1->panelText(4);
    }
    void type(const char* name, const QString& text) {
        auto* edit = control<TcxTextEdit>(name);
        edit->setFocus();
        edit->clear();
        keyClicks(edit, text);
    }
    // Types text as keys; characters beyond ASCII come as key events that carry them.
    static void keyClicks(QWidget* widget, const QString& text) {
        for (QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(widget, char(c.unicode()));
                continue;
            }
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(widget, &release);
        }
    }
    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    static QString focused() {
        QWidget* w = QApplication::focusWidget();
        return w ? w->objectName() : QStringLiteral("<none>");
    }
    QPoint centreOfEditor() const {
        const QRect f = frmDictEditor->frameGeometry();
        return {f.left() + f.width() / 2 - 150, f.top() + f.height() / 2 - 75};
    }
};

TEST_F(DictEditor, TheWindowAndItsStatusBar) {
    showEditor();
    EXPECT_EQ(frmDictEditor->windowTitle(), "Getty dictionary editor");
    EXPECT_EQ(frmDictEditor->size(), QSize(579, 746));
    EXPECT_EQ(frmDictEditor->minimumSize(), frmDictEditor->maximumSize());
    EXPECT_FALSE(frmDictEditor->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(frmDictEditor->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_LE((frmDictEditor->frameGeometry().center() - Form1->frameGeometry().center())
                  .manhattanLength(),
              2);
    auto* bar = frmDictEditor->dxStatusBar1;
    ASSERT_EQ(bar->panelCount(), 5);
    EXPECT_EQ(bar->panelText(0), "Delete record (Ctrl+Del)");
    EXPECT_EQ(bar->panelText(1), "Dictionary items:");
    EXPECT_EQ(bar->panelText(3), "Blacklist items:");
    EXPECT_EQ(counts(), "0/0");
    auto* dict = control<QTableView>("tvDict");
    EXPECT_EQ(dict->model()->headerData(0, Qt::Horizontal).toString(), "Word");
    EXPECT_EQ(dict->model()->headerData(1, Qt::Horizontal).toString(), "Correction");
    EXPECT_EQ(control<QTableView>("tvBlackList")->model()->headerData(0, Qt::Horizontal),
              "Blacklisted words");
}

TEST_F(DictEditor, ListsLoadSortedAndSaveByTheFileRules) {
    writeList("GettyDict.txt", "zebra->x\r\ncat -> feline\r\nno arrow\r\n->x\r\nApple->y\n");
    writeList("GettyBlackList.txt", " dog \r\n\r\nCute\r\n");
    showEditor();
    EXPECT_EQ(shown(frmDictEditor->tvDict),
              (QStringList{"|x", "Apple|y", "cat|feline", "zebra|x"}));
    EXPECT_EQ(shown(frmDictEditor->tvBlackList), (QStringList{"Cute", "dog"}));
    EXPECT_EQ(counts(), "4/2");

    click("btnSave");
    EXPECT_EQ(readList("GettyDict.txt"), "Apple->y\r\ncat->feline\r\nzebra->x\r\n");
    EXPECT_EQ(readList("GettyBlackList.txt"), "Cute\r\ndog\r\n");
    EXPECT_EQ(dialogs.texts("information"), QStringList{"Lists successfully saved"});
    EXPECT_EQ(dialogs.lastInformationAt, centreOfEditor());
    EXPECT_FALSE(frmDictEditor->isVisible());

    // Empty lists are empty files.
    QFile::remove(path("GettyDict.txt"));
    QFile::remove(path("GettyBlackList.txt"));
    showEditor();
    click("btnSave");
    EXPECT_EQ(readList("GettyDict.txt"), "");
    EXPECT_EQ(readList("GettyBlackList.txt"), "");
}

TEST_F(DictEditor, AddingACorrection) {
    struct Case {
        const char* name;
        QByteArray file;
        QString word, correction;
        QStringList messages, informations;
        QStringList rows;    // the grid afterwards
        QString wordLeft;    // edtWord afterwards
        QString focus;       // the focused control afterwards (empty: not checked)
        QString currentRow;  // the grid's focused row afterwards
    };
    const std::vector<Case> cases = {
        {"the same pair in other letter cases is a duplicate",
         "KID->Child\r\n",
         "kid",
         "child",
         {},
         {"Duplicate Entry: This suggestion already exists in the dictionary."},
         {"KID|Child"},
         "kid",
         "edtWordCorrect",
         ""},
        {"the same word with another correction is a further row",
         "kid->child\r\nant->insect\r\n",
         "kid",
         "youngster",
         {},
         {},
         {"ant|insect", "kid|child", "kid|youngster"},
         "",
         "edtWord",
         "kid|child"},
        {"no correction",
         "",
         "kid",
         "   ",
         {"Please enter both the original word and the correction."},
         {},
         {},
         "kid",
         "",
         "<none>"},
        {"no word",
         "",
         "",
         "child",
         {"Please enter both the original word and the correction."},
         {},
         {},
         "",
         "",
         "<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeList("GettyDict.txt", c.file);
        showEditor();
        dialogs.clear();
        type("edtWord", c.word);
        type("edtWordCorrect", c.correction);
        click("btnAdd");
        EXPECT_EQ(dialogs.texts("message"), c.messages);
        EXPECT_EQ(dialogs.texts("information"), c.informations);
        if (!c.informations.isEmpty()) {
            EXPECT_EQ(dialogs.lastInformationAt, centreOfEditor());
        }
        EXPECT_EQ(shown(frmDictEditor->tvDict), c.rows);
        EXPECT_EQ(frmDictEditor->edtWord->text(), c.wordLeft);
        if (c.messages.isEmpty()) {
            EXPECT_EQ(frmDictEditor->edtWordCorrect->text(), "");
        }
        if (!c.focus.isEmpty()) {
            EXPECT_EQ(focused(), c.focus);
        }
        if (!c.currentRow.isEmpty()) {
            EXPECT_EQ(current(frmDictEditor->tvDict), c.currentRow);
        }
        EXPECT_EQ(frmDictEditor->dxStatusBar1->panelText(2), QString::number(c.rows.size()));
        click("btnClose");
    }
}

TEST_F(DictEditor, AddingABannedWord) {
    struct Case {
        const char* name;
        QByteArray dictionary, blacklist;
        QString editTo;  // the first banned row is changed in place to this first
        QString word;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"a banned word edited in place", "", "dog\r\n", "CAT", "cat", true},
        {"a dictionary word", "Cat->feline\r\n", "", "", "cat", true},
        {"only a longer word", "cats->felines\r\n", "cats\r\n", "", "cat", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeList("GettyDict.txt", c.dictionary);
        writeList("GettyBlackList.txt", c.blacklist);
        showEditor();
        QTableView* view = frmDictEditor->tvBlackList;
        if (!c.editTo.isEmpty()) {
            view->setFocus();
            view->setCurrentIndex(view->model()->index(0, 0));
            QTest::keyClick(view, Qt::Key_F2);
            QWidget* editor = QApplication::focusWidget();
            ASSERT_NE(editor, view);
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            keyClicks(editor, c.editTo);
            QTest::keyClick(editor, Qt::Key_Return);
            ASSERT_TRUE(QTest::qWaitFor([&] { return shown(view) == QStringList{c.editTo}; }));
            EXPECT_TRUE(frmDictEditor->isVisible()) << "Enter in a cell pressed a button";
        }
        const QStringList before = shown(view);
        dialogs.clear();
        type("edtBlacklisted", c.word);
        QTest::keyClick(frmDictEditor->edtBlacklisted, Qt::Key_Return);  // Enter runs Add
        EXPECT_EQ(focused(), "edtBlacklisted");
        if (c.refused) {
            EXPECT_EQ(dialogs.texts("information"), QStringList{"Word already exists."});
            EXPECT_EQ(frmDictEditor->edtBlacklisted->text(), c.word);
            EXPECT_EQ(shown(view), before);
        } else {
            EXPECT_TRUE(dialogs.shown.empty());
            EXPECT_EQ(frmDictEditor->edtBlacklisted->text(), "");
            EXPECT_EQ(shown(view), (QStringList{"cat", "cats"}));
            EXPECT_EQ(current(view), "cat");
            EXPECT_EQ(counts(), "1/2");
        }
        click("btnClose");
    }

    // An empty edit adds nothing and says nothing.
    showEditor();
    dialogs.clear();
    type("edtBlacklisted", "   ");
    click("btnAddBlacklisted");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(shown(frmDictEditor->tvBlackList), QStringList{"cats"});
}

TEST_F(DictEditor, EditsTypeLowerCaseAndEnterMovesOn) {
    writeList("GettyDict.txt", "ant->insect\r\nkid->child\r\nzoo->park\r\n");
    showEditor();
    type("edtWord", "KID");
    EXPECT_EQ(frmDictEditor->edtWord->text(), "kid");
    QTest::keyClick(frmDictEditor->edtWord, Qt::Key_Return);
    EXPECT_EQ(current(frmDictEditor->tvDict), "kid|child");
    EXPECT_EQ(focused(), "edtWordCorrect");

    type("edtWordCorrect", "Youngster");
    EXPECT_EQ(frmDictEditor->edtWordCorrect->text(), "youngster");
    QTest::keyClick(frmDictEditor->edtWordCorrect, Qt::Key_Return);
    EXPECT_EQ(focused(), "btnAdd");
    QTest::keyClick(frmDictEditor->btnAdd, Qt::Key_Return);  // a further Enter presses Add
    EXPECT_EQ(shown(frmDictEditor->tvDict),
              (QStringList{"ant|insect", "kid|child", "kid|youngster", "zoo|park"}));
    EXPECT_EQ(focused(), "edtWord");

    // A word that is not in the list, or none, only moves the focus.
    frmDictEditor->tvDict->setCurrentIndex(frmDictEditor->tvDict->model()->index(3, 0));
    for (const char* word : {"yak", ""}) {
        type("edtWord", word);
        QTest::keyClick(frmDictEditor->edtWord, Qt::Key_Return);
        EXPECT_EQ(current(frmDictEditor->tvDict), "zoo|park");
        EXPECT_EQ(focused(), "edtWordCorrect");
    }
    type("edtBlacklisted", "Straße Café");
    EXPECT_EQ(frmDictEditor->edtBlacklisted->text(), "straße café");
    EXPECT_TRUE(frmDictEditor->isVisible());
    QTest::keyClick(frmDictEditor, Qt::Key_Escape);
    EXPECT_TRUE(frmDictEditor->isVisible()) << "left only through Close or Save";
}

TEST_F(DictEditor, CtrlDelDeletesTheFocusedRowAtOnce) {
    writeList("GettyDict.txt", "ant->insect\r\nkid->child\r\n");
    writeList("GettyBlackList.txt", "cute\r\n");
    showEditor();
    QTableView* view = frmDictEditor->tvDict;
    view->setFocus();
    view->setCurrentIndex(view->model()->index(1, 1));
    QTest::keyClick(view, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(shown(view), QStringList{"ant|insect"});
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(counts(), "2/1") << "the counts wait for the next refresh";
    frmDictEditor->tvBlackList->setFocus();
    frmDictEditor->tvBlackList->setCurrentIndex(frmDictEditor->tvBlackList->model()->index(0, 0));
    QTest::keyClick(frmDictEditor->tvBlackList, Qt::Key_Delete, Qt::ControlModifier);
    click("btnSave");
    EXPECT_EQ(readList("GettyDict.txt"), "ant->insect\r\n");
    EXPECT_EQ(readList("GettyBlackList.txt"), "");
}

TEST_F(DictEditor, CloseDiscardsUnsavedRows) {
    writeList("GettyBlackList.txt", "cute\r\n");
    showEditor();
    type("edtWord", "kid");
    type("edtWordCorrect", "child");
    click("btnAdd");
    type("edtBlacklisted", "logo");
    click("btnAddBlacklisted");
    EXPECT_EQ(counts(), "1/2");
    click("btnClose");
    EXPECT_FALSE(frmDictEditor->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
    showEditor();
    EXPECT_TRUE(shown(frmDictEditor->tvDict).isEmpty());
    EXPECT_EQ(shown(frmDictEditor->tvBlackList), QStringList{"cute"});
    EXPECT_EQ(counts(), "0/1");
    EXPECT_EQ(readList("GettyDict.txt"), "<none>");
}

TEST_F(DictEditor, MergeImportsAddNewLinesAfterABackup) {
    struct Case {
        const char* name;
        const char* button;
        const char* list;
        QByteArray before, import;
        QString message;
        QByteArray after;
        QStringList rows;
    };
    const QString blackDone =
        "Blacklist Update Finished!\r\n%1 new forbidden words added.\r\n\r\n"
        "A backup was saved as \"GettyBlackList.bak\".";
    const QString dictDone =
        "Update Finished!\r\n%1 new entries added.\r\n\r\n"
        "A backup of your old list was saved as \"GettyDict.bak\".";
    const std::vector<Case> cases = {
        {"banned words already there",
         "btnUpdateBlacklist",
         "GettyBlackList",
         "CUTE\r\n",
         " Cute \r\ncute\r\n\r\n",
         blackDone.arg(0),
         "CUTE\r\n",
         {"CUTE"}},
        {"banned words into an empty list",
         "btnUpdateBlacklist",
         "GettyBlackList",
         "",
         " Cute \r\ncute\r\n\r\n",
         blackDone.arg(1),
         "Cute\r\n",
         {"Cute"}},
        {"old lines first, the view sorted",
         "btnUpdateBlacklist",
         "GettyBlackList",
         "zebra\r\n",
         "apple\r\nmango\r\n",
         blackDone.arg(2),
         "zebra\r\napple\r\nmango\r\n",
         {"apple", "mango", "zebra"}},
        {"a dictionary line without an arrow is not counted",
         "btnUpdateSuggest",
         "GettyDict",
         "zoo->park\r\n",
         "kid child\r\ncat -> feline\r\n",
         dictDone.arg(1),
         "zoo->park\r\ncat -> feline\r\n",
         {"cat|feline", "zoo|park"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString list = QLatin1String(c.list);
        QFile::remove(path(list + ".txt"));
        QFile::remove(path(list + ".bak"));
        if (!c.before.isEmpty()) writeList(qPrintable(list + ".txt"), c.before);
        writeList("import.txt", c.import);
        showEditor();
        dialogs.clear();
        dialogs.openAnswers.push_back({path("import.txt")});
        click(c.button);
        EXPECT_EQ(dialogs.texts("message"), QStringList{c.message});
        EXPECT_EQ(readList(qPrintable(list + ".txt")), c.after);
        EXPECT_EQ(readList(qPrintable(list + ".bak")),
                  c.before.isEmpty() ? QByteArray("<none>") : c.before);
        QTableView* view = list == "GettyDict" ? frmDictEditor->tvDict : frmDictEditor->tvBlackList;
        EXPECT_EQ(shown(view), c.rows);
        EXPECT_EQ(list == "GettyDict" ? frmDictEditor->dxStatusBar1->panelText(2)
                                      : frmDictEditor->dxStatusBar1->panelText(4),
                  QString::number(c.rows.size()));
        click("btnClose");
    }
}

TEST_F(DictEditor, AMergeReloadsOnlyItsOwnListAndCancelDoesNothing) {
    writeList("GettyBlackList.txt", "cute\r\n");
    writeList("import.txt", "logo\r\n");
    showEditor();
    type("edtWord", "kid");
    type("edtWordCorrect", "child");
    click("btnAdd");
    type("edtBlacklisted", "unsaved");
    click("btnAddBlacklisted");

    dialogs.openAnswers.push_back({});  // cancelled
    click("btnUpdateBlacklist");
    EXPECT_EQ(shown(frmDictEditor->tvBlackList), (QStringList{"cute", "unsaved"}));
    EXPECT_EQ(readList("GettyBlackList.bak"), "<none>");

    dialogs.openAnswers.push_back({path("import.txt")});
    click("btnUpdateBlacklist");
    EXPECT_EQ(shown(frmDictEditor->tvBlackList), (QStringList{"cute", "logo"}));
    EXPECT_EQ(shown(frmDictEditor->tvDict), QStringList{"kid|child"});
}

// A pipe chosen for a merge, or in a list's place when the window opens, is reported as a
// file that cannot be opened, and the window goes on.
TEST_F(DictEditor, APipeNeverHangsTheWindow) {
    writeList("GettyDict.txt", "kid->child\r\n");
    const QString chosen = path("import.txt"), list = path("GettyBlackList.txt");
    ASSERT_TRUE(makeFifo(chosen));
    ASSERT_TRUE(makeFifo(list));
    EXPECT_TRUE(finishesWithoutWaitingOn({chosen, list}, [&] {
        showEditor();
        dialogs.openAnswers.push_back({chosen});
        click("btnUpdateSuggest");
    }));
    EXPECT_EQ(dialogs.texts("error"),
              (QStringList{"Cannot open file \"" + list + "\". Not a regular file",
                           "Cannot open file \"" + chosen + "\". Not a regular file"}));
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    EXPECT_EQ(shown(frmDictEditor->tvDict), QStringList{"kid|child"});
    EXPECT_EQ(readList("GettyDict.txt"), "kid->child\r\n");
}

TEST_F(DictEditor, ASaveThatFailsKeepsTheWindowAndItsRows) {
    showEditor();
    // A folder where the banned-word file should be written.
    ASSERT_TRUE(QDir(folder()).mkdir("GettyBlackList.txt"));
    type("edtWord", "kid");
    type("edtWordCorrect", "child");
    click("btnAdd");
    click("btnSave");
    ASSERT_EQ(dialogs.texts("error").size(), 1);
    EXPECT_TRUE(dialogs.texts("error")[0].contains("GettyBlackList.txt"));
    EXPECT_TRUE(dialogs.texts("information").isEmpty());
    EXPECT_TRUE(frmDictEditor->isVisible());
    EXPECT_EQ(shown(frmDictEditor->tvDict), QStringList{"kid|child"});
    EXPECT_EQ(readList("GettyDict.txt"), "kid->child\r\n");
}

TEST_F(DictEditor, HelpOpensItsTopic) {
    ASSERT_TRUE(QDir(folder()).mkpath("Help/Getty_Dictionary_Editor"));
    writeList("Help/Getty_Dictionary_Editor/index.html", "<html></html>");
    showEditor();
    click("btnHelp");
    EXPECT_EQ(shell.opened, QStringList{path("Help/Getty_Dictionary_Editor/index.html")});
}

// What the editor saved, the Getty prompt reads unchanged; also a list made on Windows.
TEST_F(DictEditor, SavedListsReadIntoTheGettyPromptUnchanged) {
    writeList("GettyDict.txt",
              "stra\xDF"
              "e->street\r\nkid -> child\r\n");
    writeList("GettyBlackList.txt", "gro\xDF\r\n");
    auto prompt = [] {
        prompts::PromptSettings s;
        s.gettyDictionary = prompts::ReadGettyDictionaryText();
        s.gettyBlacklist = prompts::ReadGettyBlacklistCommaText();
        return prompts::BuildGettyPrompt(s);
    };
    EXPECT_TRUE(prompt().contains(QStringLiteral("BANNED_STRINGS: [groß, \"straße\", \"kid\"]")));

    showEditor();
    EXPECT_EQ(shown(frmDictEditor->tvDict), (QStringList{"kid|child", "straße|street"}));
    type("edtBlacklisted", "Café au lait");
    click("btnAddBlacklisted");
    click("btnSave");
    EXPECT_EQ(readList("GettyDict.txt"),
              "kid->child\r\nstra\xC3\x9F"
              "e->street\r\n");
    EXPECT_EQ(readList("GettyBlackList.txt"), "caf\xC3\xA9 au lait\r\ngro\xC3\x9F\r\n");
    EXPECT_EQ(prompts::ReadGettyDictionaryText(),
              QStringLiteral("kid->child\r\nstraße->street\r\n"));
    const QString saved = prompt();
    EXPECT_TRUE(saved.contains(QStringLiteral(
        "BANNED_STRINGS: [\"café au lait\",groß, \"kid\", \"straße\"]\r\n"
        "MANDATORY_TRANSFORMATIONS (Source->Target):\r\nkid->child\r\nstraße->street\r\n\r\n")));

    // And the editor reads back what it wrote.
    showEditor();
    EXPECT_EQ(shown(frmDictEditor->tvDict), (QStringList{"kid|child", "straße|street"}));
    EXPECT_EQ(shown(frmDictEditor->tvBlackList), (QStringList{"café au lait", "groß"}));
}

}  // namespace
