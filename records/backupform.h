#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class MainWindowPort;

// The Backup and Restore window: writes the program's data files into one zip archive, and
// puts them back from such an archive, after which the user chooses the database to open.
// Shown modally; the chosen location (LocationLabel's caption) is kept from one showing to
// the next.
class TBackupForm : public QDialog {
    Q_OBJECT
public:
    TBackupForm(MainWindowPort& main, QWidget* parent);

    QGroupBox* cxGroupBox1 = nullptr;  // "Backup"
    QLabel* cxLabel1 = nullptr;
    QPushButton* cxButton2 = nullptr;  // "Choose location"
    QLabel* LocationLabel = nullptr;   // "..." until a location is chosen, then its path
    QPushButton* BackupBtn = nullptr;
    QGroupBox* cxGroupBox2 = nullptr;  // "Restore"
    QLabel* cxLabel2 = nullptr;
    QPushButton* cxButton3 = nullptr;  // "Restore"
    QPushButton* btnHelp = nullptr;
    QPushButton* cxButton1 = nullptr;  // "Close"

    void FormShow();
    void cxButton2Click();
    void BackupBtnClick();
    void cxButton3Click();
    void btnHelpClick();
    void cxButton1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    // Puts the connection on an empty placeholder database in the program folder.
    void OpenPlaceholder();
    // After a restore whose Open opened no database: back to the database before (a path,
    // empty for none), or else on the placeholder with a message.
    void LeavePlaceholder(const QString& before);

    MainWindowPort& m_main;
};

extern TBackupForm* BackupForm;
