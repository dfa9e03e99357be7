#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TcxComboBox;
class MainWindowPort;

// The Group Administration window: moves every record of one group into another group,
// existing or new, or deletes them all. Shown modally; each showing starts afresh from the
// groups of the open database, and every close hands its group list to the main window.
class TGroupFrm : public QDialog {
    Q_OBJECT
public:
    TGroupFrm(MainWindowPort& main, QWidget* parent);

    QLabel* cxLabel1 = nullptr;
    TcxComboBox* FromGroupCombo = nullptr;  // the group acted on
    TcxComboBox* ToGroupCombo = nullptr;    // the destination, listed or typed
    QLabel* cxLabel2 = nullptr;
    QLabel* cxLabel3 = nullptr;
    QLabel* cxLabel4 = nullptr;
    QPushButton* deleteBtn = nullptr;
    QPushButton* MoveBtn = nullptr;
    QPushButton* CloseBtn = nullptr;
    QPushButton* btnHelp = nullptr;

    void FormShow();
    void FromGroupComboPropertiesChange();
    void ToGroupComboPropertiesChange();
    void deleteBtnClick();
    void MoveBtnClick();
    void btnHelpClick();
    void CloseBtnClick();
    void FormClose();

    // Every way out (Close, Escape, the window system) passes FormClose.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    // Fills combo with the groups of the open database; only its items change.
    void FillGroupCombo(TcxComboBox* combo);
    // ToGroupCombo filled, its list copied into FromGroupCombo.
    void FillBothLists();

    MainWindowPort& m_main;
};

extern TGroupFrm* GroupFrm;
