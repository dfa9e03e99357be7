#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>

#include "platform/widgets/dropdownlist.h"
#include "tagging/tagging_session.h"

class QAction;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QImage;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QToolButton;
class BatchGridModel;
class KeywordEditor;
class MainState;
class MainWindowPort;
class OuterBounds;
class TStatusBar;
class TcxGridTableView;
class TcxCheckBox;
class TcxComboBox;
class TcxImage;
class TcxMemo;
class TcxRichEdit;
class TcxTextEdit;
struct BatchRow;

namespace cloudai {
class CloudAI;
struct RequestResult;
struct Response;
}  // namespace cloudai
namespace prompts {
struct PromptSettings;
}
namespace tagger {
struct Settings;
}

// The AI tagger window: one image's title, description, keywords and categories on the left,
// the preview and the prompt settings in the middle, the batch grid on the right. Created
// once at start, hidden; closing only hides it.
//
// Where things live: tagger_layout.cpp builds the controls, tagger_lifecycle.cpp holds
// creation, showing, closing, the stored settings and the prompt settings' rules, and
// tagger_editor.cpp the editor column, the category boxes and the small buttons,
// tagger_image.cpp "Open Image" and the preview, tagger_request.cpp the request cycle
// with the AI service, tagger_batch_grid.cpp the batch grid and tagger_batch_tagging.cpp the
// batch tagging of its rows. The run state of all of these (the request in flight, the
// prepared upload image, the rows and the batch) is the window's TaggingSession; the
// handlers here forward to it and show what it reports.
class TfrmTaggerPro : public QWidget, private TaggingSession::Controls {
    Q_OBJECT
    friend class TaggerProbe;  // tests read the prompt and the preview's bytes through it

public:
    // state: the main window's values (limits, key, AI counter); main: what the tagger asks
    // of the main window (help, the batch summary).
    TfrmTaggerPro(MainState& state, MainWindowPort& main, QWidget* parent = nullptr);
    ~TfrmTaggerPro() override;

    // "Getty Corrections" shows the Getty dictionary editor through this; the program block,
    // which makes both windows, sets it.
    void setGettyEditor(std::function<void()> show) { FShowGettyEditor = std::move(show); }

    // The window's run state: the request cycle, the upload image, the rows and the batch.
    TaggingSession& session() const { return *m_session; }

    // ---- Editor column: title, description, keywords, add-and-check, their counters ----
    QLabel* Label7 = nullptr;   // title characters left
    QLabel* Label12 = nullptr;  // description characters left
    QLabel* Label9 = nullptr;   // number of keywords
    TcxTextEdit* edtTitle = nullptr;
    TcxMemo* memDescription = nullptr;
    TcxRichEdit* memKeywords = nullptr;
    TcxTextEdit* cxCheckEdit = nullptr;  // "Add and check:"
    QToolButton* btnTitleCopy = nullptr;
    QToolButton* btnDescriptionCopy = nullptr;
    QToolButton* btnKeywordsCopy = nullptr;

    // ---- Categories: pick-only lists that keep the agencies' own names ----
    QGroupBox* cxGroupBox1 = nullptr;
    TcxDropDownList* AdobeCategory = nullptr;
    TcxDropDownList* ShutterCategory1 = nullptr;  // primary
    TcxDropDownList* ShutterCategory2 = nullptr;  // secondary

    // ---- Buttons under the editor column ----
    QPushButton* AddBtn = nullptr;              // "Add to Batch Summary"
    QPushButton* ClearInputBtn = nullptr;       // "Clear input fields"
    QPushButton* btnUpdateGirdRow = nullptr;    // "Update Batch File"
    QPushButton* btnOpenGettyEditor = nullptr;  // "Getty Corrections"
    QPushButton* btnHelp = nullptr;
    QPushButton* ExitBtn = nullptr;

    // ---- Middle column: preview, prompt settings, image and request buttons ----
    TcxImage* cxImage1 = nullptr;
    QLabel* lblFileName = nullptr;
    QGroupBox* cxGroupBox2 = nullptr;       // "Prompt settings"
    TcxComboBox* AgencyCombo = nullptr;     // "Stock agency": 0 "Standard", 1 "Getty Images"
    QDoubleSpinBox* Temperature = nullptr;  // "Creativity"
    TcxCheckBox* AgenticCombo = nullptr;    // "Deep Vision"
    TcxCheckBox* PeopleCheck = nullptr;
    TcxCheckBox* CategoryCheck = nullptr;
    QSpinBox* KeysFrom = nullptr;
    QSpinBox* KeysTo = nullptr;
    QComboBox* dsampleCombo = nullptr;  // "Resize (px)"
    TcxMemo* edtConcept = nullptr;
    TcxTextEdit* edtAddKeywords = nullptr;
    TcxTextEdit* edtExcludeKeywords = nullptr;
    QPushButton* cxButton3 = nullptr;  // "Defaults"
    QLabel* lblAICount = nullptr;
    QPushButton* cxButton4 = nullptr;  // "Open Image"
    QPushButton* cxButton5 = nullptr;  // "AI Tagging"

    // ---- Right area: the batch grid and its buttons ----
    QWidget* cxGrid1 = nullptr;
    TcxGridTableView* cxTableView1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Copyrowdatatobatchsummary1 = nullptr;  // "Save row to batch summary"
    QAction* Populatebatchsummary1 = nullptr;       // "Save all rows to batch summary"
    QAction* N1 = nullptr;
    QAction* Deleterowdata1 = nullptr;  // "Delete selected row"
    QAction* N2 = nullptr;
    QAction* Cleartags1 = nullptr;  // "Clear tags"
    QAction* Clearlist1 = nullptr;  // "Clear list"
    QPushButton* btnClearList = nullptr;
    QPushButton* btnLoadImages = nullptr;    // "Open Images"
    QPushButton* btnBatchTagging = nullptr;  // "Batch Tagging"
    QPushButton* btnCreateCSV = nullptr;     // "Create CSV files"
    QLabel* cxLabel16 = nullptr;             // the grid's hint

    // ---- Status bar: panel 0 is the status line, panel 1 holds the busy indicator ----
    TStatusBar* dxStatusBar1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // ---- Non-visual parts ----
    cloudai::CloudAI* CloudAI1 = nullptr;  // the Gemini client, the session's; one at a time

    // ---- Window lifecycle and prompt settings (tagger_lifecycle.cpp) ----
    void FormCreate();
    // Runs each time the hidden window is shown.
    void FormShow();
    // Runs each time the shown window is closed (hidden).
    void FormClose();
    void ExitBtnClick();
    void btnHelpClick();
    void btnOpenGettyEditorClick();
    void AgencyComboPropertiesChange();       // the agency rule
    void KeysToPropertiesEditValueChanged();  // the keyword range rule
    void cxButton3Click();                    // prompt defaults

    // ---- Batch grid (tagger_batch_grid.cpp) ----
    void btnLoadImagesClick();              // "Open Images"
    void cxTableView1KeyPress(QChar& Key);  // Enter reviews the focused row
    void cxTableView1KeyDown(int& Key);     // Delete and Insert are refused during a request
    void btnUpdateGirdRowClick();           // "Update Batch File"
    void Deleterowdata1Click();
    void Clearlist1Click();
    void btnClearListClick();
    void Cleartags1Click();
    // The grid menu is about to open; Allow false keeps it shut.
    void PopupMenu1Popup(bool& Allow);

    // ---- Batch tagging (tagger_batch_tagging.cpp) ----
    // "Batch Tagging": every row that still lacks keywords is tagged, one request after the
    // other, while the window stays usable; meanwhile the button reads "Cancel" and stops it.
    void btnBatchTaggingClick();
    // A double-click on a row tags it again, into the row and the edit fields. AHandled set
    // keeps the grid's own double-click from running.
    void cxTableView1CellDblClick(int row, bool& AHandled);

    // ---- Hand-over to the main window's batch summary (tagger_handover.cpp) ----
    void AddBtnClick();                      // "Add to Batch Summary"
    void Copyrowdatatobatchsummary1Click();  // the focused row
    void Populatebatchsummary1Click();       // every row whose texts are all filled

    // ---- Agency CSV files (tagger_csv.cpp) ----
    void btnCreateCSVClick();  // "Create CSV files"

    // ---- Editor column and categories (tagger_editor.cpp) ----
    void ClearInputBtnClick();
    void btnTitleCopyClick();
    void btnDescriptionCopyClick();
    void btnKeywordsCopyClick();
    void ShutterCategory1PropertiesChange();
    void ShutterCategory2PropertiesChange();
    void cxImage1PropertiesAssignPicture();

    // ---- Upload image (tagger_image.cpp) ----
    void cxButton4Click();  // "Open Image"
    // Prepares one picture file for tagging: the file-name label, the preview and the upload
    // file "AI_Input_Upload.jpg". A file that does not exist changes nothing.
    void LoadImageForTagging(const QString& FileName);

    // ---- Request cycle (tagger_request.cpp) ----
    // "AI Tagging": one request for the picture in the preview. The batch and the grid's
    // re-tagging call it directly, also while the button is disabled. When the request
    // cannot start, the window is idle again and the error goes on to the caller.
    void cxButton5Click();
    void CloudAI1RequestComplete(const cloudai::RequestResult& ARequestResult);
    void CloudAI1Executed(const cloudai::Response* AResponse, int AHttpStatusCode,
                          const QString& AHttpResult);
    void CloudAI1RequestsComplete();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The client size the window is shown with, and its smallest size.
    static constexpr QSize kClientSize{1049, 855};
    // The keyword range's lower ends; the upper ends follow the main window's keyword limit.
    static constexpr int kKeysFromMinimum = 8;
    static constexpr int kKeysToMinimum = 10;
    // The connect and read time-outs of every request: three minutes.
    static constexpr int kRequestTimeoutMs = 180000;

    // ---- Layout (tagger_layout.cpp) ----
    void BuildLayout();
    void BuildEditorColumn(QWidget* client);
    void BuildMiddleColumn(QWidget* client);
    void BuildBatchArea(QWidget* client);
    void BuildStatusBar();
    void ConnectHandlers();

    // ---- Lifecycle and settings (tagger_lifecycle.cpp) ----
    // The prompt settings and the image column from stored settings; stored keyword bounds
    // and temperature outside their ranges are taken into them.
    void ApplySettings(const tagger::Settings& stored);
    tagger::Settings CurrentSettings() const;
    // Hands the key (none: leave the component's key as it is), the service, the model and
    // the time-outs to the cloud-AI component.
    void SetUpCloudAI(const std::optional<QString>& geminiKey);
    // The AI counter in lblAICount, whichever window changed it.
    void ShowAICounter(int counter);
    // The agency combo's index follows its typed text: the item it names, or -1.
    void SyncAgencyIndex();
    int imageColumnWidth() const;
    void setImageColumnWidth(int width);

    // ---- Batch grid (tagger_batch_grid.cpp) ----
    // The grid's columns and options, its menu and its key hooks.
    void BuildBatchGrid();
    void ShowGridMenu(const QPoint& position);
    // The grid's focus on the row the session names.
    void FocusGridRow(int row);

    // ---- Batch tagging (tagger_batch_tagging.cpp) ----
    // The edit fields emptied and the category boxes without selection.
    void ClearTagFields();
    // What the session reports of a batch: its start, a "Cancel" waiting, its end.
    void ShowBatchStarted();
    void ShowBatchStopping();
    void ShowBatchEnded();

    // ---- Editor column and categories (tagger_editor.cpp) ----
    // The window's "clear": busy indicator, preview, categories, editor fields, status line,
    // counters; the focus goes to the title. The prompt settings and the grid stay.
    void ClearInputFields();
    void ShutterstockRule(QComboBox* changed, const QComboBox* other);
    // The category a box shows, an item or a name it does not list; none when it is empty.
    static std::optional<QString> SelectedCategory(const QComboBox* box);

    // How a category box finds its item for a name.
    enum class CategoryMatch {
        SameName,    // the item of that name, in any letter case: a row's name under review
        Containing,  // the first item that contains the name (SelectComboItemByText)
    };
    // The edit fields take a row's or a reply's texts, and the category boxes its names by
    // the match (without one the boxes keep theirs). A name that no item matches is shown as
    // the box's text with no item chosen: the lists stay the agencies' own, so later prompts
    // offer and the upload files number only the agencies' categories.
    void FillEditFields(const BatchRow& tags, std::optional<CategoryMatch> categories);
    static void ShowCategory(TcxDropDownList* box, const QString& name, CategoryMatch match);

    // ---- Upload image (tagger_image.cpp) ----
    // What the session reports of a picture being prepared: its name, painted at once, and
    // the preview's picture (a null one empties it).
    void ShowPreparedName(const QString& fileNameOnly);
    void ShowPreview(const QImage& picture);
    // The preview's picture as a JPEG file's bytes: the prepared upload image's own bytes
    // while the preview shows it, else the picture encoded at the upload quality; empty
    // without a picture.
    QByteArray PreviewPictureData() const;

    // ---- Request cycle (tagger_request.cpp) ----
    // The prompt settings as the controls and the main window hold them now; the Getty word
    // lists are read only for the Getty prompt.
    prompts::PromptSettings PromptSettingsFromControls(bool withGettyLists) const;
    // The prompt for the agency chosen: "Getty Images" gets its own; "Standard" and a typed
    // agency that names no item get the standard one.
    QString BuildPrompt() const;
    void EnableRequestButtons(bool enabled);
    // What the session reports of a request: the busy indicator, the status line, a reply's
    // texts for the edit fields.
    void ShowBusy(bool busy);
    void ShowStatus(const QString& text);
    void ShowProposedFields(const BatchRow& tags, bool withCategories);

    // ---- The controls as the session reads them (TaggingSession::Controls) ----
    QString prompt() const override { return BuildPrompt(); }
    double temperature() const override;
    int uploadSizeLimit() const override;
    bool gettyAgency() const override;
    bool detectCategories() const override;
    QByteArray previewPicture() const override { return PreviewPictureData(); }
    // The session's rows.
    BatchGridModel& rows() const { return m_session->rows(); }
    // Selects the first item of the box that holds the name; a name that none holds is shown
    // as it came, with no item chosen; an empty one leaves the box empty.
    static void SelectComboItemByText(TcxDropDownList* combo, const QString& value);

    // ---- State ----
    MainState& m_state;
    MainWindowPort& m_main;
    std::function<void()> FShowGettyEditor;
    QString AppLocation;  // the program folder, with a trailing separator; set at showing
    OuterBounds* FOuterBounds = nullptr;      // the window's bounds, frame included
    KeywordEditor* FKeywordEditor = nullptr;  // the editor column's keyword-editor rules

    // The run state; the rows live across hide and show.
    TaggingSession* m_session = nullptr;
    qint64 FPreviewKey = 0;  // the key of the prepared picture the preview was given
};

extern TfrmTaggerPro* frmTaggerPro;
