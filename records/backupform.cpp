#include "records/backupform.h"

TBackupForm* BackupForm = nullptr;

TBackupForm::TBackupForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("BackupForm"));
    setWindowTitle(QStringLiteral("Backup and Restore"));
}
