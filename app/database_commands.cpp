// The ribbon's database commands: New, Open, Save As, Database Maintenance.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStackedWidget>
#include <QTableView>

#include "app/form1.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/sql/sql.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"
#include "records/record_store.h"
#include "records/searchcard.h"

namespace {

dialogs::FileRequest databaseDialog(const QString& title, const QString& folder) {
    dialogs::FileRequest request;
    request.title = title;
    request.filter = QStringLiteral("Database|*.db");
    request.defaultSuffix = QStringLiteral("db");
    request.initialDir = folder;
    request.mustExist = true;
    return request;
}

}  // namespace

QString TForm1::DatabaseFolder() const {
    return AppPath + QStringLiteral("DB");
}

void TForm1::NewButtonClick() {
    if (RefuseInEditMode()) return;
    QDir().mkpath(DatabaseFolder());
    const auto chosen = dialogs::get().saveFile(
        databaseDialog(QStringLiteral("Create new database"), DatabaseFolder()));
    RecordStore& store = DM->records();
    const auto closing = errors::finally([&] {
        // Without any database (a first start whose New was cancelled) there is nothing
        // to list: the window stays as it is, ready for New or Open.
        if (DM->FDConnection1->database().isEmpty()) return;
        store.openListingAfterNew();
        store.openGroups();
        PopuniGroupCombo(GroupCombo);
        StatusBar1->setPanelText(4, QFileInfo(DM->FDConnection1->database()).fileName());
    });
    if (!chosen) return;
    sql::Connection* connection = DM->FDConnection1;
    connection->setDatabase(QFileInfo(*chosen).absoluteFilePath());
    connection->addParameter(QStringLiteral("LockingMode=Normal"));
    connection->addParameter(QStringLiteral("Synchronous=Full"));
    connection->connect();
    store.createTable();
    dialogs::get().message(QStringLiteral("Database successfully opened."));
}

void TForm1::dxBarButton2Click() {
    if (RefuseInEditMode()) return;
    const auto chosen =
        dialogs::get().openFile(databaseDialog(QStringLiteral("Open database"), DatabaseFolder()));
    if (chosen) OpenDatabase(QFileInfo(*chosen).absoluteFilePath());
    RemovePlaceholder();
}

void TForm1::OpenDatabase(const QString& path) {
    RecordStore& store = DM->records();
    {
        const sql::ControlsSuspended suspended(store.query());
        DM->FDConnection1->disconnect();
        DM->FDConnection1->setDatabase(path);
        DM->FDConnection1->connect();
    }
    store.openListing();
    store.openGroups();
    PopuniGroupCombo(GroupCombo);
    StatusBar1->setPanelText(4, QFileInfo(path).fileName());
}

void TForm1::RemovePlaceholder() {
    // It stays while it is the open database.
    const QString placeholder = RecordStore::placeholderPath();
    if (QFileInfo::exists(placeholder) && !DM->records().onPlaceholder())
        QFile::remove(placeholder);
}

void TForm1::dxBarButton3Click() {
    if (RefuseInEditMode()) return;
    const auto chosen =
        dialogs::get().saveFile(databaseDialog(QStringLiteral("Save database"), DatabaseFolder()));
    if (!chosen) return;
    RecordStore& store = DM->records();
    const QString statement = store.statement();
    const QString source = DM->FDConnection1->database();
    const QString destination = QFileInfo(*chosen).absoluteFilePath();

    const sql::ControlsSuspended suspended(store.query());
    DM->FDConnection1->disconnect();
    QString error;
    if (QFileInfo::exists(destination) || QFileInfo(destination) == QFileInfo(source)) {
        error = QStringLiteral("The specified file already exists");
    } else {
        QFile file(source);
        if (!file.copy(destination)) error = file.errorString();
    }
    if (!error.isEmpty()) dialogs::get().message(QStringLiteral("Error copying file: ") + error);
    DM->FDConnection1->connect();
    store.reopen(statement);
    store.openGroups();
}

void TForm1::dxBarLargeButton10Click() {
    if (RefuseInEditMode()) return;
    RecordStore& store = DM->records();
    if (!store.hasCurrentRecord()) {
        RecordID = -1;
        dialogs::get().message(QStringLiteral("Database is empty. Maintenance is not required."));
        return;
    }
    RecordID = store.currentId();
    const QString statement = store.statement();
    showStatus(QStringLiteral("Database maintenance..."));
    const sql::ControlsSuspended suspended(store.query());
    const auto closing = errors::finally([&] {
        store.reopen(statement);
        const bool found = RecordID != -1 && store.locate(RecordID);
        if (found && CardPanel1->currentWidget() == SearchCard) SearchCard->cxGrid1->setFocus();
        showStatus(QStringLiteral("Ready ..."));
    });
    store.maintain();
    dialogs::get().message(QStringLiteral("Database maintenance completed successfully."));
}
