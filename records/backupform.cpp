#include "records/backupform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <memory>
#include <optional>

#include "platform/appfolder/appfolder.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/guard.h"
#include "platform/sql/sql.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/window_place.h"
#include "records/backup_archive.h"
#include "records/dm.h"
#include "records/main_window_port.h"
#include "records/record_store.h"

TBackupForm* BackupForm = nullptr;

namespace {

const QSize kClientSize(341, 603);
const QString kNoLocation = QStringLiteral("...");

// Deletes a file left behind; one that stays would break what follows, so that is an error.
void removeLeftOver(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return;
    QFile file(path);
    if (!file.remove())
        throw errors::Error(QStringLiteral("Unable to delete %1: %2")
                                .arg(QDir::toNativeSeparators(path), file.errorString()));
}

// Runs a step of the backup; its error says that the backup was not made.
template <typename Step>
auto notMadeOnError(Step step) {
    try {
        return step();
    } catch (const errors::Error& e) {
        throw errors::Error(QStringLiteral("The backup was not made: ") + e.message());
    }
}

}  // namespace

TBackupForm::TBackupForm(MainWindowPort& main, QWidget* parent) : QDialog(parent), m_main(main) {
    setObjectName(QStringLiteral("BackupForm"));
    setWindowTitle(QStringLiteral("Backup and Restore"));
    // Left through "Close".
    makeFixedTopDialog(this, kClientSize);
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    buildLayout();
}

void TBackupForm::buildLayout() {
    const auto makeLabel = [](QWidget* parent, const char* name, const char* caption, QRect place) {
        auto* label = named(new QLabel(QString::fromUtf8(caption), parent), name);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(place);
        return label;
    };
    const auto makeButton = [this](QWidget* parent, const char* name, const char* caption,
                                   QRect place, void (TBackupForm::*handler)()) {
        auto* button = named(new QPushButton(QLatin1String(caption), parent), name);
        button->setGeometry(place);
        // No default button: Enter presses only the button that has the focus.
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, errors::guarded(this, handler));
        return button;
    };

    cxGroupBox1 = named(new QGroupBox(QStringLiteral("Backup"), this), "cxGroupBox1");
    cxGroupBox1->setGeometry(10, 14, 321, 323);
    cxLabel1 = makeLabel(cxGroupBox1, "cxLabel1",
                         "Backup all necessary files and save them to the selected location ",
                         QRect(32, 56, 249, 41));
    cxButton2 = makeButton(cxGroupBox1, "cxButton2", "Choose location", QRect(32, 120, 129, 25),
                           &TBackupForm::cxButton2Click);
    LocationLabel = makeLabel(cxGroupBox1, "LocationLabel", "...", QRect(32, 151, 249, 82));
    QFont bold = LocationLabel->font();
    bold.setBold(true);
    LocationLabel->setFont(bold);
    BackupBtn = makeButton(cxGroupBox1, "BackupBtn", "Backup", QRect(32, 264, 129, 25),
                           &TBackupForm::BackupBtnClick);

    cxGroupBox2 = named(new QGroupBox(QStringLiteral("Restore"), this), "cxGroupBox2");
    cxGroupBox2->setGeometry(10, 343, 321, 218);
    cxLabel2 = makeLabel(cxGroupBox2, "cxLabel2",
                         "Restore data from a previously created backup archive. Click the "
                         "Restore button and select archive file.",
                         QRect(32, 48, 249, 57));
    cxButton3 = makeButton(cxGroupBox2, "cxButton3", "Restore", QRect(32, 128, 129, 25),
                           &TBackupForm::cxButton3Click);

    btnHelp =
        makeButton(this, "btnHelp", "Help", QRect(10, 565, 75, 25), &TBackupForm::btnHelpClick);
    cxButton1 = makeButton(this, "cxButton1", "Close", QRect(219, 565, 112, 25),
                           &TBackupForm::cxButton1Click);
}

void TBackupForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) errors::guard([this] { FormShow(); });
}

void TBackupForm::FormShow() {
    setFixedSize(kClientSize);
    if (QWidget* main = parentWidget()) centreOn(this, main);
}

void TBackupForm::cxButton2Click() {
    dialogs::FileRequest request;
    request.filter = QStringLiteral("Backup|*.zip");
    request.defaultSuffix = QStringLiteral("zip");
    request.fileName = QStringLiteral("Backup");
    request.initialDir = appfolder::programFolder();
    // The archive to write: a new name as well as an existing archive.
    request.mustExist = false;
    if (const auto chosen = dialogs::get().openFile(request))
        LocationLabel->setText(QFileInfo(*chosen).absoluteFilePath());
}

void TBackupForm::BackupBtnClick() {
    const QRect outer = frameGeometry();
    const QPoint at(outer.left(), outer.top() + outer.height() / 2);
    if (LocationLabel->text() == kNoLocation) {
        dialogs::get().messageAt(QStringLiteral("Please choose backup location first"), at);
        return;
    }
    RecordStore& store = DM->records();
    // The databases are copied first, each one whole: when one cannot be (another program
    // holds a write lock on it, it is damaged), nothing was closed and the grid stays as it
    // is. The archive is then written from the copies.
    const auto snapshot = notMadeOnError(
        [] { return std::make_unique<backup::BackupSnapshot>(appfolder::programFolder()); });
    {
        // The database file is closed while the archive is written, and opened again
        // afterwards, also when the archive could not be written; the grid then shows the
        // full listing.
        const sql::ControlsSuspended detached(store.query());
        DM->FDConnection1->disconnect();
        const auto reopen = errors::finally([&store] {
            // Without any database (a first start whose New was cancelled) there is
            // nothing to open again.
            if (DM->FDConnection1->database().isEmpty()) return;
            store.openListing();
            store.openGroups();
            DM->FDConnection1->connect();
        });
        notMadeOnError([&] { snapshot->write(LocationLabel->text()); });
    }
    dialogs::get().messageAt(QStringLiteral("Backup completed!"), at);
}

void TBackupForm::OpenPlaceholder() {
    sql::Connection* connection = DM->FDConnection1;
    // Closes both queries too.
    connection->disconnect();
    // A placeholder that an earlier restore left (it stayed the open database) already holds
    // the table: it is made afresh.
    const QString placeholder = RecordStore::placeholderPath();
    removeLeftOver(placeholder);
    removeLeftOver(placeholder + QStringLiteral("-journal"));
    connection->setDatabase(placeholder);
    connection->addParameter(QStringLiteral("LockingMode=Normal"));
    connection->addParameter(QStringLiteral("Synchronous=Full"));
    connection->connect();
    RecordStore& store = DM->records();
    store.createPlaceholderTable();
    store.openListing();
    m_main.replaceGroupList({});
}

void TBackupForm::cxButton3Click() {
    dialogs::FileRequest request;
    request.filter = QStringLiteral("Backup Archive|*.zip");
    request.defaultSuffix = QStringLiteral("zip");
    const auto chosen = dialogs::get().openFile(request);
    if (!chosen) return;
    const QString archive = QFileInfo(*chosen).absoluteFilePath();
    RecordStore& store = DM->records();
    // Taken again when the restore ends without another database open; after a successful
    // extraction the file may hold the restored copy.
    const QString before = store.onPlaceholder() ? QString() : DM->FDConnection1->database();
    if (!errors::guard([this] { OpenPlaceholder(); })) {
        // Nothing was extracted: the database is taken again as it was.
        if (!before.isEmpty()) m_main.OpenDatabase(before);
        return;
    }

    // Whatever the extraction did, the user chooses the database to open next; an error is
    // shown first.
    std::optional<backup::RestoreResult> result;
    if (errors::guard(
            [&] { result = backup::ExtractBackupArchive(archive, appfolder::programFolder()); }))
        dialogs::get().message(backup::extractionCompletedMessage(*result),
                               dialogs::Place::ScreenCentre);
    const bool opened = errors::guard([this] { m_main.runOpen(); }) && !store.onPlaceholder();
    if (!opened) LeavePlaceholder(before);
}

void TBackupForm::LeavePlaceholder(const QString& before) {
    // The empty placeholder holds no records and cannot take any: the program goes back to
    // the database open before the restore, and stays on the placeholder only when there is
    // none or it cannot be opened, saying so.
    QString why;
    if (!before.isEmpty()) {
        try {
            m_main.OpenDatabase(before);
            m_main.RemovePlaceholder();
            return;
        } catch (const errors::Error& e) {
            why = QStringLiteral(
                      "The database open before the restore could not be opened again: %1\r")
                      .arg(e.message());
        }
    }
    OpenPlaceholder();
    m_main.OpenDatabase(RecordStore::placeholderPath());
    dialogs::get().message(why + QStringLiteral("No database is open: the empty placeholder %1 "
                                                "stands in until you open or create a database "
                                                "(Database menu).")
                                     .arg(backup::kPlaceholderName));
}

void TBackupForm::btnHelpClick() {
    m_main.ShowHTMLHelp(QStringLiteral("Backup_and_Restore"));
}

void TBackupForm::cxButton1Click() {
    close();
}
