// The Backup and Restore window with real archives on disk: the location, the backup with the
// database closed around it, and the restore onto the placeholder that ends in the Open
// command.
#include <sqlite3.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include "app/form1.h"
#include "platform/ribbon/ribbon.h"
#include "platform/sql/sql.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/backupform.h"
#include "records/createcard.h"
#include "records/dm.h"
#include "records/groupfrm.h"
#include "records/record_store.h"
#include "tests/support/archives.h"
#include "tests/support/program_fixture.h"
#include "tests/support/window_checks.h"

namespace {

const QString kExtracted = QStringLiteral(
    "Extraction completed successfully!\rPlease choose database you want to open...");

// Where the data of entry index starts, by the local headers (no data descriptors).
qsizetype dataOffset(const QByteArray& zip, int index) {
    const auto at = [&](qsizetype offset, int bytes) {
        quint32 value = 0;
        for (int i = bytes - 1; i >= 0; --i)
            value = (value << 8) | static_cast<quint8>(zip.at(offset + i));
        return static_cast<qsizetype>(value);
    };
    qsizetype header = 0;
    for (;;) {
        const qsizetype data = header + 30 + at(header + 26, 2) + at(header + 28, 2);
        if (index-- == 0) return data;
        header = data + at(header + 18, 4);
    }
}

class BackupWindow : public ProgramFixture {
protected:
    // The program on DB/KeywordsDB.db (or the database beside it that the settings name), with
    // the settings file and one Getty list; the window shown.
    void start(const QString& database = "DB/KeywordsDB.db") {
        main = makeDatabase(database,
                            {{"Nature", "Sunset", "sun", "a"}, {"Animals", "Cat", "cat", "b"}});
        if (database != "DB/KeywordsDB.db")
            writeSettings("[Database]\nFileName=" + database + "\n");
        else
            writeSettings("[TextMax]\nTitle=80\n");
        writeFile(path("GettyDict.txt"), "kid->child\r\n");
        startProgram();
        BackupForm->show();
        ASSERT_TRUE(BackupForm->isVisible());
    }

    QString archive() const { return outside.path() + "/Backup.zip"; }

    // A title search left open, as the Search card leaves it.
    static void openSearch() {
        DM->FDQuery1->setSQL("Select * FROM tblTags WHERE \"Title\" LIKE :titleword");
        DM->FDQuery1->setParamString("titleword", "%Cat%");
        DM->FDQuery1->open();
    }

    void chooseLocation(const QString& file) {
        dialogs.openAnswers.push_back({file});
        BackupForm->cxButton2->click();
    }

    void backup() {
        chooseLocation(archive());
        BackupForm->BackupBtn->click();
        ASSERT_EQ(dialogs.texts("message"), QStringList{"Backup completed!"})
            << dialogs.allTexts().join('|').toStdString();
        dialogs.clear();
    }

    // Restores archive and answers the Open command's dialog with database (or cancels it).
    void restore(const QString& archiveFile, const QString& database = {}) {
        dialogs.openAnswers.push_back({archiveFile});
        dialogs.openAnswers.push_back(database.isEmpty() ? QStringList() : QStringList{database});
        BackupForm->cxButton3->click();
    }

    // The kinds of the boxes shown, in order ("open:Open database", "message", ...).
    QStringList boxes() const {
        QStringList kinds;
        for (const auto& box : dialogs.shown)
            kinds << (box.kind == "open" ? "open:" + box.text : box.kind);
        return kinds;
    }

    static QPoint messagePoint() {
        const QRect outer = BackupForm->frameGeometry();
        return {outer.left(), outer.top() + outer.height() / 2};
    }

    // What the main window shows after the database came back.
    void expectOnDatabase(const QString& database, int records) {
        EXPECT_EQ(DM->FDConnection1->database(), database);
        EXPECT_TRUE(DM->FDConnection1->connected());
        EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tblTags");
        EXPECT_TRUE(DM->FDQuery1->active());
        EXPECT_EQ(DM->FDQuery1->recordCount(), records);
        EXPECT_TRUE(DM->FDQueryGroups->active());
        EXPECT_FALSE(DM->FDQuery1->controlsDisabled());
        EXPECT_EQ(Form1->StatusBar1->panelText(6), QString::number(records));
    }

    QString placeholder() const { return path("TempReopenDB.db"); }

    // "Add to database" with a batch summary in the Create card; the group is one the
    // database has already.
    static void saveBatch(const QString& title) {
        Form1->cxRichEdit2->setPlainText("An entry");
        Form1->CreateCard->cxTextEdit2->setText(title);
        Form1->CreateCard->cxTextEdit3->setText("tags");
        Form1->GroupCombo->setEditText("Nature");
        Form1->CreateCard->Button3->click();
    }

    // The groups the Group Administration window lists when it is shown.
    static QStringList groupWindowLists() {
        GroupFrm->show();
        const QStringList listed = itemsOf(GroupFrm->ToGroupCombo);
        GroupFrm->hide();
        return listed;
    }

    static int recordsIn(const QString& file) {
        return queryFile(file, "SELECT count(*) FROM tblTags").value(0).toInt();
    }

    QTemporaryDir outside;
    QString main;
};

TEST_F(BackupWindow, WindowAndItsControls) {
    start();
    expectFixedTopDialog(BackupForm, "Backup and Restore", QSize(341, 603));
    expectCaptions({
        {"cxGroupBox1", "Backup"},
        {"cxLabel1", "Backup all necessary files and save them to the selected location "},
        {"cxButton2", "Choose location"},
        {"LocationLabel", "..."},
        {"BackupBtn", "Backup"},
        {"cxGroupBox2", "Restore"},
        {"cxLabel2",
         "Restore data from a previously created backup archive. Click the Restore button and "
         "select archive file."},
        {"cxButton3", "Restore"},
        {"btnHelp", "Help"},
        {"cxButton1", "Close"},
    });
    EXPECT_TRUE(BackupForm->LocationLabel->font().bold());
    EXPECT_LE(
        (Form1->frameGeometry().center() - BackupForm->frameGeometry().center()).manhattanLength(),
        2);

    QDir(folder()).mkpath("Help/Backup_and_Restore");
    writeFile(path("Help/Backup_and_Restore/index.html"), "<html></html>");
    BackupForm->btnHelp->click();
    EXPECT_EQ(shell.opened, QStringList{path("Help/Backup_and_Restore/index.html")});
    BackupForm->cxButton1->click();
    EXPECT_FALSE(BackupForm->isVisible());
}

TEST_F(BackupWindow, TheLocationIsChosenOnceAndKept) {
    start();
    chooseLocation(archive());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const dialogs::FileRequest& request = dialogs.shown[0].request;
    EXPECT_EQ(dialogs.shown[0].kind, "open");
    EXPECT_EQ(request.filter, "Backup|*.zip");
    EXPECT_EQ(request.defaultSuffix, "zip");
    EXPECT_EQ(request.fileName, "Backup");
    EXPECT_EQ(request.initialDir, folder());
    // A name that does not exist yet can be chosen.
    EXPECT_FALSE(request.mustExist);
    EXPECT_EQ(BackupForm->LocationLabel->text(), archive());

    // Cancelling keeps it; so does closing and showing the window again.
    dialogs.openAnswers.push_back({});
    BackupForm->cxButton2->click();
    BackupForm->cxButton1->click();
    BackupForm->show();
    EXPECT_EQ(BackupForm->LocationLabel->text(), archive());
    // A relative answer is shown with its full path; the caption is plain text.
    QDir::setCurrent(outside.path());
    chooseLocation("<b>x</b>.zip");
    EXPECT_EQ(BackupForm->LocationLabel->text(), outside.path() + "/<b>x</b>.zip");
    EXPECT_EQ(BackupForm->LocationLabel->textFormat(), Qt::PlainText);
}

// Another program that writes the database while the backup runs. The archive holds a whole
// copy of what that program had committed; when the database cannot be read whole (its
// write lock is held), the backup is not made and the user is told so, the archive that
// stood there stays, and the grid still shows the records. The copies go into a temporary
// folder of the program's own, which is gone afterwards.
TEST_F(BackupWindow, ABackupWhileAnotherProgramWritesTheDatabase) {
    start();
    executeFile(main,
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
                "INSERT INTO tblTags (\"Group\", Title, Keys, AllKeys) SELECT 'Nature', 'Row', "
                "'row', zeroblob(100) FROM n");
    const QString temporary = outside.path() + "/tmp";
    QDir().mkpath(temporary);
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qputenv("TMPDIR", temporary.toUtf8());
    const auto restoreTmpdir = qScopeGuard([&] { qputenv("TMPDIR", tmpdir); });
    const QByteArray older = "the archive that stood here";
    const QString copy = outside.path() + "/archived.db";

    enum class Writer { SpilledTransaction, ExclusiveLock, WalWithOpenTransaction };
    const struct {
        const char* name;
        Writer writer;
        int archived;  // records in the archived database; 0: no backup made
    } cases[] = {
        {"rollback journal, uncommitted pages already in the file", Writer::SpilledTransaction, 0},
        {"an exclusive lock", Writer::ExclusiveLock, 0},
        {"WAL, committed records not yet in the file and a transaction open",
         Writer::WalWithOpenTransaction, 505},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DM->records().openListing();
        const int records = DM->FDQuery1->recordCount();
        writeFile(archive(), older);
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(main.toUtf8().constData(), &other), SQLITE_OK);
        const auto run = [&](const char* statements) {
            EXPECT_EQ(sqlite3_exec(other, statements, nullptr, nullptr, nullptr), SQLITE_OK)
                << sqlite3_errmsg(other);
        };
        switch (c.writer) {
            case Writer::SpilledTransaction:
                // A small page cache: the changed pages go into the file before the commit.
                run("PRAGMA cache_size = 10; BEGIN; UPDATE tblTags SET AllKeys = "
                    "randomblob(900)");
                ASSERT_TRUE(QFileInfo::exists(main + "-journal"));
                break;
            case Writer::ExclusiveLock:
                run("BEGIN EXCLUSIVE");
                break;
            case Writer::WalWithOpenTransaction:
                run("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0; INSERT INTO "
                    "tblTags (\"Group\", Title, Keys) VALUES ('Nature', 'New', 'a'), ('Nature', "
                    "'New', 'b'), ('Nature', 'New', 'c'); PRAGMA cache_size = 10; BEGIN; UPDATE "
                    "tblTags SET AllKeys = randomblob(900)");
                break;
        }
        dialogs.clear();
        chooseLocation(archive());
        BackupForm->BackupBtn->click();
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);

        if (c.archived == 0) {
            EXPECT_TRUE(dialogs.texts("message").isEmpty());
            ASSERT_EQ(dialogs.texts("error").size(), 1u) << boxes().join('|').toStdString();
            const QString error = dialogs.texts("error")[0];
            EXPECT_TRUE(error.startsWith("The backup was not made: " + main +
                                         " could not be "
                                         "copied: database is locked"))
                << error.toStdString();
            EXPECT_EQ(readAll(archive()), older);
            expectOnDatabase(main, records);
        } else {
            EXPECT_EQ(dialogs.texts("message"), QStringList{"Backup completed!"})
                << dialogs.allTexts().join('|').toStdString();
            writeFile(copy, entryData(archive(), "DB/KeywordsDB.db"));
            EXPECT_EQ(queryFile(copy, "PRAGMA quick_check"), QStringList{"ok"});
            EXPECT_EQ(queryFile(copy, "SELECT count(*) FROM tblTags"),
                      QStringList{QString::number(c.archived)});
            // Nothing of the transaction that was still open.
            EXPECT_EQ(queryFile(copy, "SELECT count(*) FROM tblTags WHERE length(AllKeys) > 100"),
                      QStringList{"0"});
            expectOnDatabase(main, c.archived);
        }
        EXPECT_EQ(filesBelow(temporary), QStringList());
        EXPECT_EQ(QDir(temporary).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList());
    }
}

TEST_F(BackupWindow, BackupWithoutALocationSaysSoAndLeavesTheDatabaseAlone) {
    start();
    openSearch();
    BackupForm->BackupBtn->click();
    EXPECT_EQ(dialogs.texts("message"), QStringList{"Please choose backup location first"});
    EXPECT_EQ(dialogs.lastPlacedAt, messagePoint());
    EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tblTags WHERE \"Title\" LIKE :titleword");
    EXPECT_TRUE(DM->FDQuery1->active());
    EXPECT_TRUE(QDir(outside.path()).isEmpty());
}

// A backup holds the fixed files that exist, then the databases beside the program, then those
// of the "DB" folder and its subfolders; the database is closed while it is read, and the
// full listing stands afterwards.
TEST_F(BackupWindow, BackupArchivesTheDataFilesInTheirOrder) {
    const struct {
        const char* name;
        QString database;
        QStringList extra;
        QStringList entries;
    } cases[] = {
        {"no DB folder",
         "Main.db",
         {"Beside.db"},
         {"SpellIni.ini", "en_US.dic", "en_US.aff", "User.dic", "GettyDict.txt", "Beside.db",
          "Main.db"}},
        {"a database in a subfolder of DB",
         "DB/KeywordsDB.db",
         {"DB/Archive/2019.db", "DB/notes.txt", "Other/elsewhere.db"},
         {"SpellIni.ini", "en_US.dic", "en_US.aff", "User.dic", "GettyDict.txt", "DB/KeywordsDB.db",
          "DB/Archive/2019.db"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        start(c.database);
        for (const QString& file : c.extra) writeFile(path(file), "content of " + file.toUtf8());
        // An archive that stood under the name is replaced.
        writeFile(archive(), "an older archive");
        openSearch();
        int opened = 0;
        QObject::connect(DM->FDQuery1, &sql::Query::afterOpen, DM, [&] {
            // The listing opens again only once the archive is written.
            if (!readAll(archive()).startsWith("PK")) ADD_FAILURE() << "listing before archive";
            ++opened;
        });
        chooseLocation(archive());
        BackupForm->BackupBtn->click();
        EXPECT_EQ(dialogs.texts("message"), QStringList{"Backup completed!"});
        EXPECT_EQ(dialogs.lastPlacedAt, messagePoint());
        EXPECT_TRUE(dialogs.texts("error").isEmpty());
        EXPECT_EQ(opened, 1);
        expectOnDatabase(path(c.database), 2);

        EXPECT_EQ(entryNames(archive()), c.entries);
        if (const auto listed = entryNamesByOtherTool(archive())) {
            EXPECT_EQ(*listed, c.entries);
        }
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(archive()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        endProgram();
        dialogs.clear();
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
        for (const char* name : {"en_US.dic", "en_US.aff", "User.dic"})
            QFile::copy(stagedProgramDir() + '/' + name, path(name));
    }
}

TEST_F(BackupWindow, AFailedBackupReportsAndReopensTheDatabase) {
    start();
    openSearch();
    chooseLocation(outside.path() + "/missing/Backup.zip");
    BackupForm->BackupBtn->click();
    ASSERT_EQ(dialogs.texts("error").size(), 1u);
    EXPECT_TRUE(dialogs.texts("error")[0].contains(outside.path() + "/missing/Backup.zip"))
        << dialogs.texts("error")[0].toStdString();
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    expectOnDatabase(main, 2);
}

// Without any database (a first start whose New was cancelled) the backup is whole and says
// so; nothing is opened afterwards.
TEST_F(BackupWindow, ABackupWithoutAnyDatabaseStillCompletes) {
    writeSettings("[TextMax]\nTitle=80\n");
    dialogs.saveAnswers.push_back(QString());
    startProgram();
    BackupForm->show();
    dialogs.clear();
    chooseLocation(archive());
    BackupForm->BackupBtn->click();
    EXPECT_EQ(dialogs.texts("message"), QStringList{"Backup completed!"});
    EXPECT_TRUE(dialogs.texts("error").isEmpty()) << dialogs.texts("error").join('|').toStdString();
    EXPECT_EQ(entryNames(archive()),
              QStringList({"SpellIni.ini", "en_US.dic", "en_US.aff", "User.dic"}));
    EXPECT_FALSE(DM->FDConnection1->connected());
    EXPECT_FALSE(DM->FDQuery1->controlsDisabled());
}

TEST_F(BackupWindow, RestorePutsTheFilesBackAndEndsInTheOpenCommand) {
    start();
    writeFile(path("DB/Archive/2019.db"), "old records");
    backup();
    // Since the backup: the subfolder went, the settings and the database changed.
    QDir(path("DB/Archive")).removeRecursively();
    writeFile(path("SpellIni.ini"), "[TextMax]\nTitle=99\n");
    QFile::remove(path("GettyDict.txt"));
    openSearch();

    restore(archive(), main);
    EXPECT_EQ(boxes(), QStringList({"open:", "message", "open:Open database"}));
    EXPECT_EQ(dialogs.shown[0].request.filter, "Backup Archive|*.zip");
    EXPECT_EQ(dialogs.texts("message"), QStringList{kExtracted});
    EXPECT_EQ(dialogs.centredOnScreen(), QStringList{kExtracted});
    EXPECT_EQ(readAll(path("DB/Archive/2019.db")), "old records");
    EXPECT_EQ(readAll(path("SpellIni.ini")), "[TextMax]\nTitle=80\n");
    EXPECT_EQ(readAll(path("GettyDict.txt")), "kid->child\r\n");
    // The Open command ran: the chosen database is open, the placeholder gone.
    expectOnDatabase(main, 2);
    EXPECT_EQ(itemsOf(Form1->GroupCombo), QStringList({"Animals", "Nature"}));
    EXPECT_FALSE(QFileInfo::exists(placeholder()));
    EXPECT_TRUE(DM->FDConnection1->parameters().contains("Synchronous=Full"));

    // A second restore makes the placeholder anew and removes it again.
    restore(archive(), main);
    EXPECT_TRUE(dialogs.texts("error").isEmpty()) << dialogs.texts("error").join('|').toStdString();
    expectOnDatabase(main, 2);
    EXPECT_FALSE(QFileInfo::exists(placeholder()));
}

// Whenever the Open that ends a restore opens no database, the program goes back to the
// database open before, at the same path (which may now hold the restored copy), with its
// listing, groups and name in the status bar; the placeholder is gone and a batch can be saved.
TEST_F(BackupWindow, ARestoreThatOpensNoDatabaseGoesBackToTheDatabaseOpenBefore) {
    start();
    backup();
    const QString archiveOfTwo = archive();
    const QString notes = path("DB/notes.db");
    writeFile(notes, "no database");
    const struct {
        const char* name;
        QByteArray archiveBytes;  // empty: the backup of two records
        QStringList openAnswer;
        bool restoredCopy;
        QStringList boxes;
    } cases[] = {
        {"Escape at the Open dialog", {}, {}, true, {"open:", "message", "open:Open database"}},
        {"a file that is no zip archive",
         "no zip at all",
         {},
         false,
         {"open:", "error", "open:Open database"}},
        {"a chosen database that does not open",
         {},
         {notes},
         true,
         {"open:", "message", "open:Open database", "error"}},
    };
    const QByteArray good = readAll(archiveOfTwo);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        // Since the backup the database has grown by a record.
        executeFile(main,
                    "INSERT INTO tblTags (\"Group\", Title, Keys) VALUES ('Nature', 'Later', 'x')");
        const int live = recordsIn(main);
        const QString chosen = outside.path() + "/chosen.zip";
        writeFile(chosen, c.archiveBytes.isEmpty() ? good : c.archiveBytes);
        dialogs.openAnswers.push_back({chosen});
        dialogs.openAnswers.push_back(c.openAnswer);
        BackupForm->cxButton3->click();
        EXPECT_EQ(boxes(), c.boxes) << dialogs.allTexts().join('|').toStdString();

        const int records = c.restoredCopy ? 2 : live;
        expectOnDatabase(main, records);
        EXPECT_EQ(Form1->StatusBar1->panelText(4), "KeywordsDB.db");
        EXPECT_EQ(itemsOf(Form1->GroupCombo), QStringList({"Animals", "Nature"}));
        EXPECT_FALSE(QFileInfo::exists(placeholder()));
        EXPECT_EQ(groupWindowLists(), QStringList({"Animals", "Nature"}));
        dialogs.clear();
        saveBatch("Saved");
        EXPECT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();
        EXPECT_EQ(recordsIn(main), records + 1);
        EXPECT_EQ(Form1->StatusBar1->panelText(6), QString::number(records + 1));
    }
}

// When the database open before cannot be opened again (the archive held a damaged copy of
// it) and the user opens no other, the placeholder stays open and the program says so: the
// status bar names it, the group lists are empty, and a save says plainly that no database is
// open, keeping the batch summary.
TEST_F(BackupWindow, ARestoreThatCannotGoBackStaysOnThePlaceholderAndSaysSo) {
    start();
    const QString damaged = outside.path() + "/damaged.zip";
    // The header of a database, and nothing of one after it.
    const QByteArray damagedDatabase = QByteArray("SQLite format 3", 16) + QByteArray(84, '\xff');
    writeRawArchive(damaged, {{"SpellIni.ini", "[TextMax]\nTitle=80\n"},
                              {"DB/KeywordsDB.db", damagedDatabase}});
    restore(damaged);
    EXPECT_EQ(boxes(), QStringList({"open:", "message", "open:Open database", "message"}));
    const QString told = dialogs.texts("message").value(1);
    EXPECT_TRUE(told.startsWith("The database open before the restore could not be opened again: "))
        << told.toStdString();
    EXPECT_TRUE(
        told.endsWith("\rNo database is open: the empty placeholder TempReopenDB.db "
                      "stands in until you open or create a database (Database menu)."))
        << told.toStdString();

    EXPECT_EQ(DM->FDConnection1->database(), placeholder());
    EXPECT_TRUE(DM->FDConnection1->connected());
    EXPECT_EQ(queryFile(placeholder(), "SELECT name FROM pragma_table_info('tblTags')"),
              QStringList({"ID", "Group", "Title", "Keys", "AllKeys"}));
    EXPECT_EQ(Form1->StatusBar1->panelText(4), "TempReopenDB.db");
    EXPECT_EQ(Form1->StatusBar1->panelText(6), "0");
    EXPECT_EQ(Form1->GroupCombo->count(), 0);
    dialogs.clear();
    EXPECT_EQ(groupWindowLists(), QStringList());
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.allTexts().join('|').toStdString();

    saveBatch("Kept");
    EXPECT_EQ(dialogs.texts("error"),
              QStringList{"No database is open, so the record cannot be saved.\rOpen or create a "
                          "database (Database menu) and save it there."});
    EXPECT_EQ(Form1->cxRichEdit2->toPlainText(), "An entry");
    EXPECT_EQ(Form1->CreateCard->cxTextEdit2->text(), "Kept");
    EXPECT_EQ(recordsIn(placeholder()), 0);
    dialogs.clear();

    // Opening a database from there works as always, and the placeholder goes.
    const QString other = makeDatabase("DB/Other.db", {{"Trips", "Rome", "rome", "r"}});
    dialogs.openAnswers.push_back({other});
    Form1->dxBarButton2Click();
    expectOnDatabase(other, 1);
    EXPECT_FALSE(QFileInfo::exists(placeholder()));
}

// Cancelled at the Open dialog twice: the database comes back each time with the group list
// refilled and its typed text kept. A placeholder left in the program folder is archived, and
// restoring that archive passes over its entry.
TEST_F(BackupWindow, RestoresCancelledAtTheOpenDialogKeepTheGroupText) {
    start();
    backup();
    Form1->GroupCombo->setEditText("Typed");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        restore(archive());
        EXPECT_TRUE(dialogs.texts("error").isEmpty())
            << dialogs.texts("error").join('|').toStdString();
        EXPECT_EQ(dialogs.texts("message"), QStringList{kExtracted});
        expectOnDatabase(main, 2);
        EXPECT_EQ(itemsOf(Form1->GroupCombo), QStringList({"Animals", "Nature"}));
        EXPECT_EQ(Form1->GroupCombo->currentText(), "Typed");
        EXPECT_FALSE(QFileInfo::exists(placeholder()));
        dialogs.clear();
    }
    writeFile(placeholder(), "left by another run");
    backup();
    EXPECT_TRUE(entryNames(archive()).contains("TempReopenDB.db"));
    restore(archive(), main);
    EXPECT_EQ(dialogs.texts("message"), QStringList{kExtracted});
    expectOnDatabase(main, 2);
    EXPECT_FALSE(QFileInfo::exists(placeholder()));
}

TEST_F(BackupWindow, RestoreCancelledChangesNothing) {
    start();
    openSearch();
    dialogs.openAnswers.push_back({});
    BackupForm->cxButton3->click();
    EXPECT_EQ(boxes(), QStringList{"open:"});
    EXPECT_EQ(DM->FDConnection1->database(), main);
    EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tblTags WHERE \"Title\" LIKE :titleword");
    EXPECT_EQ(itemsOf(Form1->GroupCombo), QStringList({"Animals", "Nature"}));
}

// An archive written on Windows ("\" between the parts of a name) and a hostile one: the
// files of a backup are extracted, the rest is refused and counted.
TEST_F(BackupWindow, RestoreOfArchivesByOtherTools) {
    start();
    const QString windows = outside.path() + "/windows.zip";
    const QByteArray database = readAll(main);
    writeRawArchive(windows, {{"SpellIni.ini", "[TextMax]\r\nTitle=70\r\n"},
                              {"DB\\KeywordsDB.db", database},
                              {"DB\\Old\\2019.db", database}});
    restore(windows, path("DB/Old/2019.db"));
    EXPECT_EQ(dialogs.texts("message"), QStringList{kExtracted});
    EXPECT_EQ(readAll(path("SpellIni.ini")), "[TextMax]\r\nTitle=70\r\n");
    expectOnDatabase(path("DB/Old/2019.db"), 2);
    dialogs.clear();

    const QString hostile = outside.path() + "/hostile.zip";
    const QString target = outside.path() + "/target";
    QDir().mkpath(target);
    writeRawArchive(hostile, {{"../evil.txt", "x"},
                              {QFile::encodeName(target) + "/absolute.txt", "x"},
                              {"link", target.toUtf8(), S_IFLNK | 0777},
                              {"Notes/kept.txt", "kept"}});
    restore(hostile, main);
    EXPECT_EQ(dialogs.texts("message"),
              QStringList{"Extraction completed successfully!\r4 entries of the archive were not "
                          "extracted: a restore puts back only the settings, the dictionaries, "
                          "the Getty word lists and the databases of the program folder.\rPlease "
                          "choose database you want to open..."});
    EXPECT_EQ(filesBelow(outside.path()), QStringList({"hostile.zip", "windows.zip"}));
    EXPECT_FALSE(QFileInfo::exists(folder() + "../evil.txt"));
    EXPECT_FALSE(QFileInfo(path("link")).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(path("Notes")));
    expectOnDatabase(main, 2);
}

// A damaged archive: the error first, no success message, and the user still chooses the
// database to open.
TEST_F(BackupWindow, ADamagedArchiveIsReportedAndTheOpenCommandStillRuns) {
    start();
    backup();
    // The second entry's data is garbled; the directory stays readable.
    QByteArray bytes = readAll(archive());
    ASSERT_EQ(entryNames(archive()).value(1), "en_US.dic");
    const qsizetype second = dataOffset(bytes, 1);
    ASSERT_LT(second + 64, bytes.size());
    for (qsizetype i = second + 16; i < second + 64; ++i) bytes[i] = static_cast<char>(~bytes[i]);
    writeFile(archive(), bytes);
    const QByteArray dictionary = readAll(path("en_US.dic"));
    writeFile(path("SpellIni.ini"), "changed since");
    QFile::remove(path("GettyDict.txt"));
    restore(archive(), main);
    EXPECT_EQ(boxes(), QStringList({"open:", "error", "open:Open database"}));
    EXPECT_TRUE(dialogs.texts("error")[0].contains("en_US.dic"))
        << dialogs.texts("error")[0].toStdString();
    EXPECT_TRUE(dialogs.texts("message").isEmpty());
    // The entry before it is back, the damaged one left the file whole, the rest did not run.
    EXPECT_EQ(readAll(path("SpellIni.ini")), "[TextMax]\nTitle=80\n");
    EXPECT_EQ(readAll(path("en_US.dic")), dictionary);
    EXPECT_FALSE(QFileInfo::exists(path("GettyDict.txt")));
    expectOnDatabase(main, 2);
    dialogs.clear();

    writeFile(archive(), "no zip at all");
    restore(archive(), main);
    EXPECT_EQ(boxes(), QStringList({"open:", "error", "open:Open database"}));
    expectOnDatabase(main, 2);
}

// When the placeholder cannot be made, the archive is not opened and no Open follows.
TEST_F(BackupWindow, APlaceholderThatCannotBeMadeEndsTheRestore) {
    start();
    backup();
    writeFile(path("TempReopenDB.db/inside"), "a folder in the way");
    dialogs.openAnswers.push_back({archive()});
    BackupForm->cxButton3->click();
    EXPECT_EQ(boxes(), QStringList({"open:", "error"}));
    EXPECT_TRUE(dialogs.texts("error")[0].contains("TempReopenDB.db"));
    EXPECT_TRUE(dialogs.openAnswers.empty());
    // Nothing was extracted: the database is open again as it was.
    expectOnDatabase(main, 2);
    EXPECT_EQ(Form1->StatusBar1->panelText(4), "KeywordsDB.db");
    // Once it is out of the way, a restore works.
    QDir(path("TempReopenDB.db")).removeRecursively();
    dialogs.clear();
    restore(archive(), main);
    EXPECT_EQ(dialogs.texts("message"), QStringList{kExtracted});
    expectOnDatabase(main, 2);
}

TEST_F(BackupWindow, TheRibbonCommandShowsTheWindowModally) {
    start();
    BackupForm->hide();
    EXPECT_TRUE(commandShowsModally(Form1->dxBarLargeButton9, BackupForm, BackupForm->cxButton1));
}

}  // namespace
