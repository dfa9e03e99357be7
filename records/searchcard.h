#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;
class TcxDBRichEdit;
class TcxStyle;
class TcxTextEdit;
class Anchors;
class CardFrame;
namespace sql {
class DataSource;
class Query;
}  // namespace sql

// The Search card: the three searches, Select All, the record grid, the record view with its
// yellow marks, and the grid's popup with Edit Record, Export Record and Delete Record. It
// shows whatever the data module's main query holds.
class TSearchCard : public QWidget {
    Q_OBJECT
public:
    TSearchCard(CardFrame& frame, QWidget* parent);

    // Binds the grid, the labels and the record view to the main query; the data module is
    // made after the main window.
    void BindDataSource(sql::Query* query);

    QTableView* cxGrid1 = nullptr;
    // The style of the grid's selected row, in the main window's focused-row colour.
    TcxStyle* cxStyle1 = nullptr;
    TcxDBRichEdit* cxDBRichEdit1 = nullptr;  // the record view
    QLabel* cxDBLabel1 = nullptr;            // the current record's title
    QLabel* cxDBLabel2 = nullptr;            // the current record's tags
    sql::DataSource* DataSource1 = nullptr;
    TcxTextEdit* SearchEdit1 = nullptr;  // marks a word in the record view
    TcxTextEdit* cxTextEdit4 = nullptr;  // title search
    TcxTextEdit* cxTextEdit5 = nullptr;  // tags search
    TcxTextEdit* cxTextEdit7 = nullptr;  // any-word search
    QPushButton* SelectAllBtn = nullptr;
    QMenu* GridPopup = nullptr;
    QAction* EditRecord = nullptr;
    QAction* ExportRecord = nullptr;
    QAction* N1 = nullptr;
    QAction* DeleteRecord = nullptr;

    void cxTextEdit4KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void cxTextEdit5KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void cxTextEdit7KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void SelectAllBtnClick();
    void SearchEdit1KeyPress(QChar& Key);
    // Marks every occurrence of the text of SearchEdit1 in the record view.
    void ShowYellowHighlights();
    // Removes every mark from the record view.
    void RemoveYellowHighlights();
    void cxDBRichEdit1KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void GridPopupPopup();
    void EditRecordClick();
    void ExportRecordClick();
    void DeleteRecordClick();

private:
    void ShowFocusedRowColor(int color);
    void BuildSearchBoxes();
    void BuildRecordView();
    void BuildGrid();
    // One search statement: "Searching..." while it runs, "Ready" after, also when it fails.
    template <typename Search>
    void runSearch(Search search);

    CardFrame& m_frame;
    Anchors* m_anchors = nullptr;
};
