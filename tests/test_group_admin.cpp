// The Group Administration window on real database files: the lists, the enabling of the
// buttons, moving and deleting a group's records, and the group list it hands back.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/form1.h"
#include "platform/ribbon/ribbon.h"
#include "platform/sql/sql.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"
#include "records/groupfrm.h"
#include "tests/support/program_fixture.h"
#include "tests/support/window_checks.h"

namespace {

const QString kDeleteQuestion = QStringLiteral(
    "All records in selected group will be deleted!\rAre you sure you want to proceed?");

class GroupAdmin : public ProgramFixture {
protected:
    void start(const std::vector<TestRecord>& records = {{"Nature", "Sunset", "sun", "rtf 1"},
                                                         {"Animals", "Cat", "cat", "rtf 2"},
                                                         {"Nature", "Lake", "lake", "rtf 3"},
                                                         {"Nature", "Hill", "hill", "rtf 4"},
                                                         {"City", "Road", "road", "rtf 5"}}) {
        database = makeDatabase("DB/KeywordsDB.db", records);
        startProgram();
        GroupFrm->show();
        ASSERT_TRUE(GroupFrm->isVisible());
    }

    static TcxComboBox* from() { return GroupFrm->FromGroupCombo; }
    static TcxComboBox* to() { return GroupFrm->ToGroupCombo; }

    // Each row as "ID|Group|Title|Keys|AllKeys|Datum", by ID.
    QStringList rows() const {
        return queryFile(database,
                         "SELECT ID || '|' || \"Group\" || '|' || Title || '|' || Keys || '|' || "
                         "AllKeys || '|' || Datum FROM tblTags ORDER BY ID");
    }
    QStringList groupsOnDisk() const {
        return queryFile(database, "SELECT DISTINCT \"Group\" FROM tblTags ORDER BY 1");
    }

    void execute(const char* statement) const { executeFile(database, statement); }

    // Chooses the From and To texts as typed.
    static void choose(const QString& fromText, const QString& toText) {
        from()->setEditText(fromText);
        to()->setEditText(toText);
    }

    static bool buttons(bool deleting, bool moving) {
        return GroupFrm->deleteBtn->isEnabled() == deleting &&
               GroupFrm->MoveBtn->isEnabled() == moving;
    }

    QString database;
};

TEST_F(GroupAdmin, WindowAndItsControls) {
    start();
    expectFixedTopDialog(GroupFrm, "Group Administration", QSize(371, 232));
    expectCaptions({
        {"cxLabel1", "Move all records from one group to another existing or new group."},
        {"cxLabel2", "From group"},
        {"cxLabel3", "To group"},
        {"cxLabel4", "->"},
        {"deleteBtn", "Delete all records"},
        {"MoveBtn", "Move all records"},
        {"CloseBtn", "Close"},
        {"btnHelp", "Help"},
    });
    // Centred on the main window.
    const QPoint mainCentre = Form1->frameGeometry().center();
    const QPoint ownCentre = GroupFrm->frameGeometry().center();
    EXPECT_LE((mainCentre - ownCentre).manhattanLength(), 2);

    QDir(folder()).mkpath("Help/Working_with_groups");
    QFile page(path("Help/Working_with_groups/index.html"));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.close();
    GroupFrm->btnHelp->click();
    EXPECT_EQ(shell.opened, QStringList{path("Help/Working_with_groups/index.html")});
}

TEST_F(GroupAdmin, EachShowingStartsAfreshFromTheOpenDatabase) {
    start();
    EXPECT_EQ(itemsOf(to()), QStringList({"Animals", "City", "Nature"}));
    EXPECT_EQ(itemsOf(from()), itemsOf(to()));
    EXPECT_TRUE(from()->currentText().isEmpty());
    EXPECT_TRUE(to()->currentText().isEmpty());
    EXPECT_TRUE(buttons(false, false));

    choose("Nature", "Elsewhere");
    EXPECT_TRUE(buttons(true, true));
    GroupFrm->CloseBtn->click();
    EXPECT_FALSE(GroupFrm->isVisible());
    execute("INSERT INTO tblTags (\"Group\", Title, Keys) VALUES ('Zoo', 'Bear', 'bear')");
    GroupFrm->show();
    EXPECT_EQ(itemsOf(from()), QStringList({"Animals", "City", "Nature", "Zoo"}));
    EXPECT_TRUE(from()->currentText().isEmpty());
    EXPECT_TRUE(to()->currentText().isEmpty());
    EXPECT_TRUE(buttons(false, false));
}

TEST_F(GroupAdmin, AnEmptyTableListsNothingAndEnablesNothing) {
    start({});
    EXPECT_EQ(from()->count(), 0);
    EXPECT_EQ(to()->count(), 0);
    EXPECT_TRUE(buttons(false, false));
    QTest::keyClicks(from(), "Nature");
    EXPECT_TRUE(buttons(false, false));
}

TEST_F(GroupAdmin, BothActionsNeedAFromGroupOfTheListByItsExactText) {
    start();
    const struct {
        const char* fromText;
        bool listed;
    } cases[] = {
        {"Nature", true},   {"Animals", true}, {"nature", false}, {"Nature ", false},
        {" Nature", false}, {"Natur", false},  {"Travel", false}, {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fromText);
        from()->setEditText(c.fromText);
        EXPECT_TRUE(buttons(c.listed, c.listed));
        // The To text governs nothing but Delete's following the From box again.
        GroupFrm->MoveBtn->setEnabled(true);
        to()->setEditText("Anything");
        EXPECT_TRUE(buttons(c.listed, true));
        GroupFrm->MoveBtn->setEnabled(c.listed);
    }
    // Typed key by key: a group of another letter case is not completed into the listed one,
    // and Enter in a box presses no button (no question is asked).
    from()->clearEditText();
    from()->setFocus();
    QTest::keyClicks(from(), "city");
    QTest::keyClick(from(), Qt::Key_Return);
    EXPECT_EQ(from()->currentText(), "city");
    EXPECT_TRUE(buttons(false, false));
    from()->setEditText("City");
    QTest::keyClick(from(), Qt::Key_Return);
    EXPECT_TRUE(dialogs.allTexts().isEmpty());
    // Picked from the list.
    from()->clearEditText();
    from()->setCurrentIndex(from()->findText("Animals"));
    EXPECT_TRUE(buttons(true, true));
}

TEST_F(GroupAdmin, AWrongDestinationChangesNothing) {
    start();
    const QStringList before = rows();
    for (const char* toText : {"Nature", "", "   ", "\t"}) {
        SCOPED_TRACE(toText);
        dialogs.clear();
        choose("Nature", toText);
        ASSERT_TRUE(GroupFrm->MoveBtn->isEnabled());
        GroupFrm->MoveBtn->click();
        EXPECT_EQ(dialogs.texts("message"), QStringList{"Wrong destination group!"});
        EXPECT_TRUE(buttons(true, true));
        EXPECT_EQ(from()->currentText(), "Nature");
    }
    EXPECT_EQ(rows(), before);
    EXPECT_TRUE(dialogs.texts("error").isEmpty());
    // The window's messages stand where the platform puts them.
    EXPECT_TRUE(dialogs.centredOnScreen().isEmpty());
}

TEST_F(GroupAdmin, MoveGivesEveryRecordOfTheGroupTheDestinationAsTyped) {
    const struct {
        const char* name;
        QString toText;
        QStringList groups;
    } cases[] = {
        {"a new name", "Landscape", {"Animals", "City", "Landscape"}},
        {"surrounding blanks", " Travel ", {" Travel ", "Animals", "City"}},
        {"another letter case", "NATURE", {"Animals", "City", "NATURE"}},
        {"an existing group", "City", {"Animals", "City"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("DB/KeywordsDB.db"));
        start();
        Form1->GroupCombo->setEditText("Nature");
        choose("Nature", c.toText);
        GroupFrm->MoveBtn->click();
        EXPECT_EQ(dialogs.texts("message"), QStringList{"Groups successfully changed"});
        EXPECT_TRUE(dialogs.texts("error").isEmpty());
        // Only the group changed, and only of the From group's rows.
        const QString g = c.toText;
        EXPECT_EQ(rows(), QStringList({"1|" + g + "|Sunset|sun|rtf 1|2026-01-01",
                                       "2|Animals|Cat|cat|rtf 2|2026-01-01",
                                       "3|" + g + "|Lake|lake|rtf 3|2026-01-01",
                                       "4|" + g + "|Hill|hill|rtf 4|2026-01-01",
                                       "5|City|Road|road|rtf 5|2026-01-01"}));
        // The lists, the window's and the main window's, show the groups now; neither box of
        // the window names a current group. The main window's box keeps the group typed there.
        EXPECT_EQ(itemsOf(to()), c.groups);
        EXPECT_EQ(itemsOf(from()), c.groups);
        EXPECT_EQ(itemsOf(Form1->GroupCombo), c.groups);
        for (QComboBox* combo : {static_cast<QComboBox*>(from()), static_cast<QComboBox*>(to())}) {
            EXPECT_EQ(combo->currentIndex(), -1);
            EXPECT_TRUE(combo->currentText().isEmpty());
        }
        EXPECT_EQ(Form1->GroupCombo->currentText(), QString("Nature"));
        EXPECT_TRUE(buttons(false, false));
        EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tbltags");
        EXPECT_TRUE(DM->FDQuery1->active());
        EXPECT_EQ(DM->FDQuery1->recNo(), 0);
        EXPECT_FALSE(DM->FDQuery1->controlsDisabled());
        EXPECT_EQ(Form1->StatusBar1->panelText(6), "5");
        endProgram();
        dialogs.clear();
    }
}

TEST_F(GroupAdmin, MovingAGroupWithoutRecordsStillSucceeds) {
    start();
    // Listed when the window was shown, gone since.
    execute("DELETE FROM tblTags WHERE \"Group\" = 'City'");
    choose("City", "Town");
    GroupFrm->MoveBtn->click();
    EXPECT_EQ(dialogs.texts("message"), QStringList{"Groups successfully changed"});
    EXPECT_EQ(groupsOnDisk(), QStringList({"Animals", "Nature"}));
    EXPECT_EQ(itemsOf(to()), QStringList({"Animals", "Nature"}));
}

TEST_F(GroupAdmin, APostThatFailsPartWayKeepsTheRowsBeforeItAndReopensTheListing) {
    start();
    // The third row of the selection (ID 4) cannot be changed.
    execute(
        "CREATE TRIGGER refuse BEFORE UPDATE OF \"Group\" ON tblTags WHEN OLD.ID = 4 "
        "BEGIN SELECT RAISE(ABORT, 'record 4 is kept'); END");
    Form1->GroupCombo->setEditText("Typed");
    choose("Nature", "Landscape");
    GroupFrm->MoveBtn->click();
    EXPECT_EQ(dialogs.texts("error"), QStringList{"record 4 is kept"});
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    EXPECT_EQ(queryFile(database, "SELECT \"Group\" FROM tblTags ORDER BY ID"),
              QStringList({"Landscape", "Animals", "Landscape", "Nature", "City"}));
    EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tbltags");
    EXPECT_TRUE(DM->FDQuery1->active());
    EXPECT_EQ(DM->FDQuery1->recordCount(), 5);
    EXPECT_FALSE(DM->FDQuery1->controlsDisabled());
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "5");
    EXPECT_TRUE(buttons(false, false));
    // The lists and texts stay as they were: nothing after the failed row ran.
    EXPECT_EQ(itemsOf(to()), QStringList({"Animals", "City", "Nature"}));
    EXPECT_EQ(from()->currentText(), "Nature");
    EXPECT_EQ(to()->currentText(), "Landscape");
    EXPECT_EQ(Form1->GroupCombo->currentText(), "Typed");
    // The window goes on working: the rest moves once the trigger is gone.
    execute("DROP TRIGGER refuse");
    from()->clearEditText();
    from()->setEditText("Nature");
    GroupFrm->MoveBtn->click();
    EXPECT_EQ(groupsOnDisk(), QStringList({"Animals", "City", "Landscape"}));
}

TEST_F(GroupAdmin, DeleteAsksAtTheWindowsCentreAndRemovesTheGroupsRecordsOnYes) {
    start();
    Form1->GroupCombo->setEditText("Typed");
    const QStringList mainList = itemsOf(Form1->GroupCombo);
    choose("Nature", "Elsewhere");

    dialogs.answers.push_back(dialogs::Answer::No);
    GroupFrm->deleteBtn->click();
    ASSERT_EQ(dialogs.texts("confirm"), QStringList{kDeleteQuestion});
    const QRect outer = GroupFrm->frameGeometry();
    EXPECT_EQ(dialogs.lastPlacedAt,
              QPoint(outer.left() + outer.width() / 2, outer.top() + outer.height() / 2));
    EXPECT_EQ(rows().size(), 5);

    DM->FDQuery1->setSQL("SELECT * FROM tblTags WHERE Title = 'Cat'");
    DM->FDQuery1->open();
    dialogs.answers.push_back(dialogs::Answer::Yes);
    GroupFrm->deleteBtn->click();
    EXPECT_EQ(queryFile(database, "SELECT Title FROM tblTags ORDER BY ID"),
              QStringList({"Cat", "Road"}));
    EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tblTags");
    EXPECT_EQ(DM->FDQuery1->recordCount(), 2);
    EXPECT_FALSE(DM->FDQuery1->controlsDisabled());
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "2");
    // The window's lists lose the group; texts and buttons stay as they were; no message.
    EXPECT_EQ(itemsOf(to()), QStringList({"Animals", "City"}));
    EXPECT_EQ(itemsOf(from()), QStringList({"Animals", "City"}));
    EXPECT_EQ(from()->currentText(), "Nature");
    EXPECT_EQ(to()->currentText(), "Elsewhere");
    EXPECT_TRUE(buttons(true, true));
    EXPECT_EQ(dialogs.texts("message"), QStringList());
    // The main window's list follows once the window closes; its text is left alone.
    EXPECT_EQ(itemsOf(Form1->GroupCombo), mainList);
    GroupFrm->CloseBtn->click();
    EXPECT_EQ(itemsOf(Form1->GroupCombo), QStringList({"Animals", "City"}));
    EXPECT_EQ(Form1->GroupCombo->currentText(), "Typed");
    EXPECT_TRUE(dialogs.texts("error").isEmpty());
}

TEST_F(GroupAdmin, AFailingDeleteStillReopensTheListingAndResumesTheControls) {
    start();
    execute(
        "CREATE TRIGGER refuse BEFORE DELETE ON tblTags "
        "BEGIN SELECT RAISE(ABORT, 'nothing may be deleted'); END");
    choose("Nature", "");
    dialogs.answers.push_back(dialogs::Answer::Yes);
    GroupFrm->deleteBtn->click();
    EXPECT_EQ(dialogs.texts("error"), QStringList{"nothing may be deleted"});
    EXPECT_EQ(rows().size(), 5);
    EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tblTags");
    EXPECT_TRUE(DM->FDQuery1->active());
    EXPECT_FALSE(DM->FDQuery1->controlsDisabled());
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "5");
}

TEST_F(GroupAdmin, EveryCloseHandsAFreshListToTheMainWindow) {
    start();
    GroupFrm->hide();
    execute("INSERT INTO tblTags (\"Group\", Title, Keys) VALUES ('Zoo', 'Bear', 'bear')");
    Form1->GroupCombo->replaceItems({"Stale"});
    Form1->GroupCombo->setEditText("Typed");
    GroupFrm->show();
    GroupFrm->CloseBtn->click();
    EXPECT_EQ(itemsOf(Form1->GroupCombo), QStringList({"Animals", "City", "Nature", "Zoo"}));
    EXPECT_EQ(Form1->GroupCombo->currentText(), "Typed");
    // Escape closes it the same way.
    Form1->GroupCombo->replaceItems({"Stale"});
    GroupFrm->show();
    QTest::keyClick(GroupFrm, Qt::Key_Escape);
    EXPECT_FALSE(GroupFrm->isVisible());
    EXPECT_EQ(itemsOf(Form1->GroupCombo), QStringList({"Animals", "City", "Nature", "Zoo"}));
}

// The group typed on the Create card is that of a batch not yet saved: what the window does to
// the groups changes the main window's list, never that text.
TEST_F(GroupAdmin, TheGroupTypedForTheNextBatchOutlivesMovesAndDeletes) {
    const struct {
        const char* name;
        QString typed;
        const char* fromText;
        const char* toText;  // none: the group is deleted
        QStringList groups;
    } cases[] = {
        {"the typed group moved",
         "Nature",
         "Nature",
         "Landscape",
         {"Animals", "City", "Landscape"}},
        {"another group moved into it", "City", "Animals", "City", {"City", "Nature"}},
        {"a group moved, a new one typed", "Travel", "City", "Town", {"Animals", "Nature", "Town"}},
        {"the typed group deleted", "Nature", "Nature", nullptr, {"Animals", "City"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path("DB/KeywordsDB.db"));
        start();
        GroupFrm->hide();
        Form1->showCreateCard();
        Form1->GroupCombo->setFocus();
        QTest::keyClicks(Form1->GroupCombo, c.typed);
        ASSERT_EQ(Form1->GroupCombo->currentText(), c.typed);
        QMetaObject::invokeMethod(
            GroupFrm,
            [&] {
                QTest::keyClicks(from(), c.fromText);
                if (c.toText) {
                    QTest::keyClicks(to(), c.toText);
                    QTest::mouseClick(GroupFrm->MoveBtn, Qt::LeftButton);
                } else {
                    dialogs.answers.push_back(dialogs::Answer::Yes);
                    QTest::mouseClick(GroupFrm->deleteBtn, Qt::LeftButton);
                }
                QTest::mouseClick(GroupFrm->CloseBtn, Qt::LeftButton);
            },
            Qt::QueuedConnection);
        Form1->dxBarLargeButton12->trigger();
        EXPECT_FALSE(GroupFrm->isVisible());
        EXPECT_EQ(groupsOnDisk(), c.groups);
        EXPECT_EQ(itemsOf(Form1->GroupCombo), c.groups);
        EXPECT_EQ(Form1->GroupCombo->currentText(), c.typed);
        EXPECT_TRUE(dialogs.texts("error").isEmpty());
        endProgram();
        dialogs.clear();
    }
}

TEST_F(GroupAdmin, TheRibbonCommandShowsTheWindowModally) {
    start();
    GroupFrm->hide();
    EXPECT_TRUE(commandShowsModally(Form1->dxBarLargeButton12, GroupFrm, GroupFrm->CloseBtn));
}

}  // namespace
