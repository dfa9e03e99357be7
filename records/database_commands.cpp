// The ribbon's database commands: New, Open, Save As, Database Maintenance.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/form1.h"
#include "platform/dialogs/dialogs.h"
#include "platform/errors/errors.h"
#include "platform/sql/sql.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/statusbar.h"
#include "records/dm.h"

namespace {

const char* const kCreateTable =
    "CREATE TABLE IF NOT EXISTS TblTags (ID INTEGER PRIMARY KEY AUTOINCREMENT, \"Group\" VARCHAR "
    "NOT NULL, Title VARCHAR NOT NULL, Keys VARCHAR NOT NULL, Datum DATE, AllKeys BLOB, Selected "
    "BOOLEAN DEFAULT FALSE)";

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
    errors::withClosingSteps(
        [&] {
            if (!chosen) return;
            sql::Connection* connection = DM->FDConnection1;
            connection->setDatabase(QFileInfo(*chosen).absoluteFilePath());
            connection->addParameter(QStringLiteral("LockingMode=Normal"));
            connection->addParameter(QStringLiteral("Synchronous=Full"));
            connection->connect();
            DM->FDQuery1->setSQL(QLatin1String(kCreateTable));
            DM->FDQuery1->execSQL();
            dialogs::get().message(QStringLiteral("Database successfully opened."));
        },
        [&] {
            // Without any database (a first start whose New was cancelled) there is
            // nothing to list: the window stays as it is, ready for New or Open.
            if (DM->FDConnection1->database().isEmpty()) return;
            DM->FDQuery1->setSQL(QStringLiteral("Select * FROM TblTags"));
            DM->FDQuery1->open();
            DM->FDQueryGroups->open();
            PopuniGroupCombo(GroupCombo);
            StatusBar1->setPanelText(4, QFileInfo(DM->FDConnection1->database()).fileName());
        });
}

void TForm1::dxBarButton2Click() {
    if (RefuseInEditMode()) return;
    const auto chosen =
        dialogs::get().openFile(databaseDialog(QStringLiteral("Open database"), DatabaseFolder()));
    if (chosen) {
        {
            sql::ControlsSuspended suspended(DM->FDQuery1);
            DM->FDConnection1->disconnect();
            DM->FDConnection1->setDatabase(QFileInfo(*chosen).absoluteFilePath());
            DM->FDConnection1->connect();
        }
        DM->FDQuery1->setSQL(QStringLiteral("Select * FROM tblTags"));
        DM->FDQuery1->open();
        DM->FDQueryGroups->open();
        PopuniGroupCombo(GroupCombo);
        StatusBar1->setPanelText(4, QFileInfo(*chosen).fileName());
    }
    // The placeholder of a restore; it stays while it is the open database.
    const QString placeholder = AppPath + QStringLiteral("TempReopenDB.db");
    if (QFileInfo::exists(placeholder) &&
        QFileInfo(DM->FDConnection1->database()) != QFileInfo(placeholder))
        QFile::remove(placeholder);
}

void TForm1::dxBarButton3Click() {
    if (RefuseInEditMode()) return;
    const auto chosen =
        dialogs::get().saveFile(databaseDialog(QStringLiteral("Save database"), DatabaseFolder()));
    if (!chosen) return;
    const QString statement = DM->FDQuery1->sql();
    const QString source = DM->FDConnection1->database();
    const QString destination = QFileInfo(*chosen).absoluteFilePath();

    sql::ControlsSuspended suspended(DM->FDQuery1);
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
    DM->FDQuery1->setSQL(statement);
    DM->FDQuery1->open();
    DM->FDQueryGroups->open();
}

void TForm1::dxBarLargeButton10Click() {
    if (RefuseInEditMode()) return;
    sql::Query* query = DM->FDQuery1;
    if (!query->active() || query->isEmpty() || query->recNo() < 0) {
        RecordID = -1;
        dialogs::get().message(QStringLiteral("Database is empty. Maintenance is not required."));
        return;
    }
    RecordID = query->fieldByName(QStringLiteral("ID")).toInt();
    const QString statement = query->sql();
    StatusBar1->setPanelText(0, QStringLiteral("Database maintenance..."));
    sql::ControlsSuspended suspended(query);
    errors::withClosingSteps(
        [&] {
            for (const char* step : {"ANALYZE;", "REINDEX;", "VACUUM;"}) {
                query->setSQL(QLatin1String(step));
                query->execSQL();
            }
            dialogs::get().message(QStringLiteral("Database maintenance completed successfully."));
        },
        [&] {
            query->setSQL(statement);
            query->open();
            const bool found = RecordID != -1 && query->locate(QStringLiteral("ID"), RecordID);
            if (found && CardPanel1->currentWidget() == SearchCard) cxGrid1->setFocus();
            StatusBar1->setPanelText(0, QStringLiteral("Ready ..."));
        });
}
