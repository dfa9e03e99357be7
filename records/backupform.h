#pragma once

#include <QDialog>

// The Backup and Restore window.
class TBackupForm : public QDialog {
    Q_OBJECT
public:
    explicit TBackupForm(QWidget* parent = nullptr);
};

extern TBackupForm* BackupForm;
