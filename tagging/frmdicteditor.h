#pragma once

#include <QDialog>

#include "tagging/word_lists.h"

class QLabel;
class QPushButton;
class QTableView;
class TcxTextEdit;
class TStatusBar;
class WordListModel;
class SortedWords;
class MainWindowPort;

// The Getty dictionary editor: the corrections ("GettyDict.txt") and the banned words
// ("GettyBlackList.txt") that the Getty prompt carries. The rows live in the two grids
// until "Save" writes both files or a merge import rewrites one of them.
class TfrmDictEditor : public QDialog {
    Q_OBJECT
public:
    TfrmDictEditor(MainWindowPort& main, QWidget* parent);

    // Columns of the two grids.
    static constexpr int colOld = 0;            // "Word"
    static constexpr int colGetty = 1;          // "Correction"
    static constexpr int colBlacklistWord = 0;  // "Blacklisted words"

    QLabel* cxLabel1 = nullptr;
    QWidget* cxGrid1 = nullptr;
    QTableView* tvDict = nullptr;
    QLabel* cxLabel2 = nullptr;
    QWidget* cxGrid2 = nullptr;
    QTableView* tvBlackList = nullptr;
    QLabel* cxLabel4 = nullptr;
    TcxTextEdit* edtWord = nullptr;
    QLabel* cxLabel5 = nullptr;
    TcxTextEdit* edtWordCorrect = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnUpdateSuggest = nullptr;
    QLabel* cxLabel6 = nullptr;
    TcxTextEdit* edtBlacklisted = nullptr;
    QPushButton* btnAddBlacklisted = nullptr;
    QPushButton* btnUpdateBlacklist = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnSave = nullptr;
    TStatusBar* dxStatusBar1 = nullptr;

    // Runs each time the hidden window is shown: both lists are read from their files.
    void FormShow();
    void btnAddClick();
    void btnAddBlacklistedClick();
    void btnSaveClick();
    void btnCloseClick();
    void btnHelpClick();
    void btnUpdateSuggestClick();
    void btnUpdateBlacklistClick();
    // Enter in the three edits (Key is '\r'); setting Key to 0 consumes it.
    void edtWordKeyPress(QChar& Key);
    void edtWordCorrectKeyPress(QChar& Key);
    void edtBlacklistedKeyPress(QChar& Key);

    // The rows as the grids hold them, in the order they were added.
    QList<wordlists::Correction> dictionaryRows() const;
    QStringList blacklistRows() const;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadDictionaryGrid();
    void LoadBlacklistGrid();
    void SaveDictionaryGrid();
    void SaveBlacklistGrid();
    void UpdateListCounts();

    void buildLayout();
    QTableView* makeGrid(QWidget* grid, const char* viewName, SortedWords* sorted);
    void wireEdit(TcxTextEdit* edit, void (TfrmDictEditor::*onEnter)(QChar&));
    // Focuses the first row, in display order, whose word equals word without regard to
    // case, and scrolls it into view; false when there is none.
    bool focusWord(const QString& word);
    void focusRow(QTableView* view, SortedWords* sorted, int sourceRow);

    WordListModel* m_dict = nullptr;
    SortedWords* m_dictSorted = nullptr;
    WordListModel* m_black = nullptr;
    SortedWords* m_blackSorted = nullptr;

    MainWindowPort& m_main;
};

extern TfrmDictEditor* frmDictEditor;
