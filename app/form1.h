#pragma once

#include <QByteArray>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVector>
#include <cstdint>

class QAction;
class QComboBox;
class QMenu;
class QToolButton;
class TdxRibbon;
class TdxBarLargeButton;
class TdxBarSubItem;
class TdxBarButton;
class TStatusBar;
class TcxTextEdit;
class TcxMemo;
class TcxRichEdit;
class TcxCheckBox;
class TcxComboBox;
class TcxDBRichEdit;
class TSpellChecker;
class KeywordEditor;
namespace sql {
class DataSource;
}

// The main window: ribbon, the Create and Search cards, the status bar.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Public fields read and written by the other windows.
    int TitleMax = 0;
    int DescriptionMax = 0;
    int KeywordsMax = 0;
    int RecordID = 0;
    int AICounter = 0;
    QString APIKey;
    std::uint8_t AnnotationFontSize = 0;
    int AnnotationFontColor = 0;
    QString AnnotationFontStyle;

    // The batch summary's RTF on its way to the database: one document per save.
    QByteArray* RtfStream = nullptr;
    // The program folder, with a trailing separator.
    QString AppPath;
    // Yellow search marks may stand in the record view or the batch summary.
    bool HighlightsShown = false;
    // The batch summary's search state.
    QVector<int> FoundPositions;
    int FoundCount = 0;
    // The "Search" text of the last search, as typed.
    QString FoundText;

    // Frame.
    TdxRibbon* dxRibbon1 = nullptr;
    QStackedWidget* CardPanel1 = nullptr;
    QWidget* CreateCard = nullptr;
    QWidget* SearchCard = nullptr;
    TStatusBar* StatusBar1 = nullptr;

    // Create card.
    TcxTextEdit* cxTextEdit1 = nullptr;  // title
    TcxMemo* cxMemo1 = nullptr;          // description
    TcxRichEdit* cxRichEdit1 = nullptr;  // keywords
    TcxTextEdit* cxCheckEdit = nullptr;  // add and check
    QLabel* Label7 = nullptr;            // title characters left
    QLabel* Label12 = nullptr;           // description characters left
    QLabel* Label9 = nullptr;            // keyword count
    TcxRichEdit* cxRichEdit2 = nullptr;  // batch summary
    TcxTextEdit* cxTextEdit2 = nullptr;  // batch title
    TcxTextEdit* cxTextEdit3 = nullptr;  // batch tags
    TcxComboBox* GroupCombo = nullptr;
    QPushButton* Button3 = nullptr;  // "Add to database" / "Update"
    QPushButton* CancelBtn = nullptr;
    TcxCheckBox* CheckBox1 = nullptr;
    TcxCheckBox* CheckBox2 = nullptr;
    TcxCheckBox* CheckBox3 = nullptr;
    TcxCheckBox* CheckBox4 = nullptr;
    TcxCheckBox* CheckBox5 = nullptr;
    TcxCheckBox* CheckBox6 = nullptr;
    TcxCheckBox* CheckBox7 = nullptr;
    TSpellChecker* dxSpellChecker1 = nullptr;

    // Create card: the batch summary's buttons and its search and replace.
    QPushButton* AddBtn = nullptr;
    QPushButton* ClearInputBtn = nullptr;
    QToolButton* BoldBtn = nullptr;
    QToolButton* ItalicBtn = nullptr;
    QToolButton* StyleBtn = nullptr;      // "Apply style"
    QToolButton* SpeedButton1 = nullptr;  // "Clear style"
    TcxTextEdit* SearchEdit2 = nullptr;   // "Search"
    TcxTextEdit* ReplaceEdit1 = nullptr;  // "Replace with"
    QLabel* Label20 = nullptr;            // occurrences found

    // Search card.
    QTableView* cxGrid1 = nullptr;
    TcxDBRichEdit* cxDBRichEdit1 = nullptr;
    QLabel* cxDBLabel1 = nullptr;
    QLabel* cxDBLabel2 = nullptr;
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

    // Lifecycle handlers.
    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& CanClose);
    void FormClose();
    void FormDestroy();

    // Refills the group list from the groups query.
    void PopuniGroupCombo(QComboBox* ComboBox);

    // Database commands.
    void NewButtonClick();
    void dxBarButton2Click();
    void dxBarButton3Click();
    void dxBarLargeButton10Click();

    // Ribbon commands, in the ribbon's order.
    TdxBarLargeButton* dxBarLargeButton1 = nullptr;   // "Create (F1)"
    TdxBarLargeButton* dxBarLargeButton2 = nullptr;   // "Search (F2)"
    TdxBarLargeButton* dxBarLargeButtonAI = nullptr;  // "AI Tagging (F3)"
    TdxBarSubItem* dxBarSubItem1 = nullptr;           // "Database" menu
    TdxBarButton* NewButton = nullptr;
    TdxBarButton* dxBarButton2 = nullptr;             // "Open"
    TdxBarButton* dxBarButton3 = nullptr;             // "Save As"
    TdxBarLargeButton* dxBarLargeButton8 = nullptr;   // "Settings"
    TdxBarLargeButton* dxBarLargeButton10 = nullptr;  // "Database Maintenance"
    TdxBarLargeButton* dxBarLargeButton9 = nullptr;   // "Backup and Restore"
    TdxBarLargeButton* dxBarLargeButton12 = nullptr;  // "Group Admin"
    TdxBarLargeButton* dxBarLargeButton11 = nullptr;  // "Exit (Ctrl+Q)"
    TdxBarLargeButton* dxBarLargeButton4 = nullptr;   // "Info Center"
    TdxBarLargeButton* dxBarLargeButton5 = nullptr;   // "Help"
    TdxBarLargeButton* dxBarLargeButton7 = nullptr;   // "Exit Alt+F4"
    QPushButton* ExitBtn = nullptr;                   // the Create card's "Exit"

    void dxBarLargeButton1Click();
    void dxBarLargeButton2Click();
    void dxBarLargeButtonAIClick();
    void dxBarLargeButton8Click();
    void dxBarLargeButton9Click();
    void dxBarLargeButton12Click();
    void dxBarLargeButton4Click();
    void dxBarLargeButton5Click();
    void dxBarLargeButton11Click();
    void dxBarLargeButton7Click();
    void ExitBtnClick();

    // While the mode panel reads "EDIT": shows why and returns true, so the command
    // does nothing else.
    bool RefuseInEditMode();

    // Opens Help/<TopicFolder>/index.html of the program folder in the default browser.
    void ShowHTMLHelp(const QString& TopicFolder);

    // The folder "DB" of the program folder.
    QString DatabaseFolder() const;

    // Keyword editor of the Create card: its rules live in FKeywordEditor, which is bound to
    // the title, description, keywords and add-and-check fields and their counters.
    KeywordEditor* FKeywordEditor = nullptr;
    void cxTextEdit1PropertiesChange();
    void cxMemo1PropertiesChange();
    void cxRichEdit1PropertiesEditValueChanged();
    void cxRichEdit1KeyPress(QChar& Key);
    void cxRichEdit1Click();
    void cxRichEdit1DblClick();
    void cxRichEdit1Exit();
    void cxCheckEditKeyPress(QChar& Key);
    void cxCheckEditKeyUp(int& Key, Qt::KeyboardModifiers Shift);
    void cxCheckEditPropertiesChange();
    // Separator filter of the batch title and batch tags fields.
    void cxTextEdit2KeyPress(QChar& Key);
    void cxTextEdit3KeyPress(QChar& Key);

    // Search card handlers.
    void cxTextEdit4KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void cxTextEdit5KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void cxTextEdit7KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void SelectAllBtnClick();
    void SearchEdit1KeyPress(QChar& Key);
    void ShowYellowHighlights();
    void RemoveYellowHighlights();
    void cxDBRichEdit1KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void GridPopupPopup();
    void DeleteRecordClick();
    void ExportRecordClick();

    // Binds the Search card's controls to the data module's main query; the data
    // module is made after this window.
    void BindDataSource();

    // The window's outer frame (what the settings file stores).
    QRect outerGeometry() const;
    QSize outerSize() const { return outerGeometry().size(); }
    void setOuterGeometry(const QRect& outer);
    void setOuterMinimumSize(const QSize& outer);

    // Batch summary composer.
    void AddBtnClick();
    void ClearInputBtnClick();
    void BoldBtnClick();
    void ItalicBtnClick();
    void StyleBtnClick();
    void SpeedButton1Click();
    void SearchEdit2KeyPress(QChar& Key);
    void ReplaceEdit1KeyPress(QChar& Key);
    // Marks every occurrence of the "Search" text in yellow and records their positions.
    void FindYellowRichEdit(TcxRichEdit* RichEdit);
    // Removes every yellow mark; the recorded positions stay.
    void RemoveYellowRichEdit(TcxRichEdit* RichEdit);
    // Empties the record's input fields of the Create card.
    void ClearInputFields();

    // Record saving and edit mode.
    void Button3Click();
    void CancelBtnClick();
    void EditRecordClick();

    // Makes the "AI Tagging (F3)" command visible.
    void ShowAITaggingCommand();

signals:
    // The window has closed (its close query allowed it).
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void InsertRecord();
    void UpdateRecord();
    // The batch summary, without search marks, as one RTF document in RtfStream.
    void WriteSummaryToStream();

    void BuildFrame();
    void BuildCreateCard();
    void BuildSearchCard();
    void BuildCommands();
    void ConnectBatchSummary();
};

extern TForm1* Form1;
