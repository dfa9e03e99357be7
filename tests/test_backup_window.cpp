// The Backup and Restore window with real archives on disk: the location, the backup with the
// database closed around it, and the restore onto the placeholder that ends in the Open
// command.
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/form1.h"
#include "platform/ribbon/ribbon.h"
#include "platform/sql/sql.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/backupform.h"
#include "records/dm.h"
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
    EXPECT_EQ(readAll(path("DB/Archive/2019.db")), "old records");
    EXPECT_EQ(readAll(path("SpellIni.ini")), "[TextMax]\nTitle=80\n");
    EXPECT_EQ(readAll(path("GettyDict.txt")), "kid->child\r\n");
    // The Open command ran: the chosen database is open, the placeholder gone.
    expectOnDatabase(main, 2);
    EXPECT_EQ(itemsOf(Form1->GroupCombo), QStringList({"Animals", "Nature"}));
    EXPECT_FALSE(QFileInfo::exists(placeholder()));
    EXPECT_TRUE(DM->FDConnection1->parameters().contains("Synchronous=Full"));

    // A second restore makes the placeholder anew (it stays while its Open is cancelled).
    restore(archive());
    EXPECT_TRUE(dialogs.texts("error").isEmpty()) << dialogs.texts("error").join('|').toStdString();
    EXPECT_TRUE(QFileInfo::exists(placeholder()));
    EXPECT_EQ(DM->FDConnection1->database(), placeholder());
}

// Cancelled at the Open dialog, the restore leaves the empty placeholder open: an empty grid,
// no groups. The next restore works all the same.
TEST_F(BackupWindow, ARestoreCancelledAtTheOpenDialogLeavesThePlaceholderOpen) {
    start();
    backup();
    Form1->GroupCombo->setEditText("Typed");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        restore(archive());
        EXPECT_TRUE(dialogs.texts("error").isEmpty())
            << dialogs.texts("error").join('|').toStdString();
        EXPECT_EQ(dialogs.texts("message"), QStringList{kExtracted});
        EXPECT_EQ(DM->FDConnection1->database(), placeholder());
        EXPECT_EQ(DM->FDQuery1->sql(), "Select * FROM tblTags");
        EXPECT_EQ(DM->FDQuery1->recordCount(), 0);
        EXPECT_EQ(Form1->StatusBar1->panelText(6), "0");
        EXPECT_EQ(Form1->GroupCombo->count(), 0);
        EXPECT_EQ(Form1->GroupCombo->currentText(), "Typed");
        EXPECT_EQ(queryFile(placeholder(), "SELECT name FROM pragma_table_info('tblTags')"),
                  QStringList({"ID", "Group", "Title", "Keys", "AllKeys"}));
        // The restored database itself is untouched by the placeholder.
        EXPECT_EQ(queryFile(main, "SELECT count(*) FROM tblTags"), QStringList{"2"});
        dialogs.clear();
    }
    // A backup taken now holds the placeholder; restoring it passes over that entry.
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

// An archive of the Windows program ("\" between the parts of a name) and a hostile one: the
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
