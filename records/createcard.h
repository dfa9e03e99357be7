#pragma once

#include <QByteArray>
#include <QVector>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;
class TcxCheckBox;
class TcxComboBox;
class TcxMemo;
class TcxRichEdit;
class TcxTextEdit;
class Anchors;
class CardFrame;
class KeywordEditor;
enum class EditMode;
struct Record;

// The Create card: the keyword editor on the left, the batch summary composer in the middle
// with the record fields and the save buttons below it, the spell-check switches on the
// right. It stores a batch as a record, and updates a stored one in EDIT mode.
class TCreateCard : public QWidget {
    Q_OBJECT
public:
    TCreateCard(CardFrame& frame, QWidget* parent);

    // Keyword editor: its rules live in FKeywordEditor, which is bound to the title,
    // description, keywords and add-and-check fields and their counters.
    TcxTextEdit* cxTextEdit1 = nullptr;  // title
    TcxMemo* cxMemo1 = nullptr;          // description
    TcxRichEdit* cxRichEdit1 = nullptr;  // keywords
    TcxTextEdit* cxCheckEdit = nullptr;  // add and check
    QLabel* Label7 = nullptr;            // title characters left
    QLabel* Label12 = nullptr;           // description characters left
    QLabel* Label9 = nullptr;            // keyword count
    KeywordEditor* FKeywordEditor = nullptr;
    // The title and description fields take up to the text limits, and their counters show
    // the limits as they are; the counters' colours follow at the next change of a field.
    void ShowTextLimits();
    QPushButton* ExitBtn = nullptr;    // the main window's exit, below the keyword fields
    QPushButton* ExportBtn = nullptr;  // "Export to RTF": the batch summary into an RTF file

    // Batch summary composer.
    TcxRichEdit* cxRichEdit2 = nullptr;  // the batch summary
    QPushButton* AddBtn = nullptr;
    QPushButton* ClearInputBtn = nullptr;
    QToolButton* BoldBtn = nullptr;
    QToolButton* ItalicBtn = nullptr;
    QToolButton* StyleBtn = nullptr;      // "Apply style"
    QToolButton* SpeedButton1 = nullptr;  // "Clear style"
    TcxTextEdit* SearchEdit2 = nullptr;   // "Search"
    TcxTextEdit* ReplaceEdit1 = nullptr;  // "Replace with"
    QLabel* Label20 = nullptr;            // occurrences found

    // The batch summary's search state: what the last search found.
    QVector<int> FoundPositions;
    int FoundCount = 0;
    // The "Search" text of the last search, as typed.
    QString FoundText;

    // Record fields and saving.
    TcxTextEdit* cxTextEdit2 = nullptr;  // batch title
    TcxTextEdit* cxTextEdit3 = nullptr;  // batch tags
    TcxComboBox* GroupCombo = nullptr;
    QPushButton* Button3 = nullptr;  // "Add to database" / "Update"
    QPushButton* CancelBtn = nullptr;
    // The batch summary's RTF on its way to the database: one document per save.
    QByteArray RtfStream;

    // Spell-check switches: CheckBox7 "Spell as you type", CheckBox1 to CheckBox6 the fields.
    TcxCheckBox* CheckBox1 = nullptr;
    TcxCheckBox* CheckBox2 = nullptr;
    TcxCheckBox* CheckBox3 = nullptr;
    TcxCheckBox* CheckBox4 = nullptr;
    TcxCheckBox* CheckBox5 = nullptr;
    TcxCheckBox* CheckBox6 = nullptr;
    TcxCheckBox* CheckBox7 = nullptr;

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
    // Empties the record's input fields of the card.
    void ClearInputFields();

    // The batch summary, as it shows, into an RTF file.
    void ExportBtnClick();

    // Record saving and edit mode.
    void Button3Click();
    void CancelBtnClick();
    // Edit Record's part on this card: the summary, the batch fields and the group box take
    // the stored record's content; the update rewrites the record with its ID.
    void LoadRecord(const Record& record);

private:
    void BuildKeywordEditor();
    void BuildBatchSummary();
    void BuildRecordFields();
    void BuildSpellSwitches();
    void BuildExport();
    void ShowEditMode(EditMode mode);
    // The limits were set anew (the Settings window's "Apply"): the text limits are shown,
    // and the keyword counter shows the keyword limit.
    void LimitsChanged();

    void InsertRecord();
    void UpdateRecord();
    // The batch summary, without search marks, as one RTF document in RtfStream.
    void WriteSummaryToStream();

    CardFrame& m_frame;
    Anchors* m_anchors = nullptr;
    qint64 m_editedId = -1;  // the record Edit Record loaded
};
