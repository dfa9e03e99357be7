// The tagger window's controls: the editor column with the categories and its buttons on the
// left, the preview and the prompt settings in the middle, the batch grid on the right, the
// status bar below.
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/cloudai/cloudai.h"
#include "platform/errors/guard.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/gridview.h"
#include "platform/widgets/image.h"
#include "platform/widgets/outer_bounds.h"
#include "platform/widgets/statusbar.h"
#include "records/keyword_editor.h"
#include "records/main_state.h"
#include "tagging/categories.h"
#include "tagging/frmtaggerpro.h"

namespace {

// The client area above the status bar, as designed.
constexpr int kStatusBarHeight = 20;
constexpr QSize kClientDesign(1049, 855 - kStatusBarHeight);

QLabel* caption(QWidget* parent, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

// A counter beside a field's caption: a number, right-aligned.
QLabel* counter(QWidget* parent, const char* name, const char* text, int top) {
    auto* label = named(new QLabel(QLatin1String(text), parent), name);
    label->setGeometry(271, top, 50, 17);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// A flat copy button beside a field's caption; it leaves the focus where it is.
QToolButton* copyButton(QWidget* parent, const char* name, int left, int top) {
    auto* button = named(new QToolButton(parent), name);
    button->setIcon(QIcon(QStringLiteral(":/icons/copy.svg")));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(QStringLiteral("Copy"));
    button->setGeometry(left, top, 23, 22);
    return button;
}

QPushButton* button(QWidget* parent, const char* name, const char* text, QRect geometry) {
    auto* b = named(new QPushButton(QLatin1String(text), parent), name);
    b->setGeometry(geometry);
    return b;
}

// A pick-only list of category names.
TcxDropDownList* categoryBox(QWidget* parent, const char* name, const QStringList& items, int top) {
    auto* box = named(new TcxDropDownList(parent), name);
    box->addItems(items);
    box->setMaxVisibleItems(16);
    box->setGeometry(10, top, 293, 24);
    return box;
}

QFont withPointSize(QFont font, int points) {
    font.setPointSize(points);
    return font;
}

// A floating-point spin edit whose Page Up and Page Down move by a large step of their own.
class LargeStepSpinBox : public QDoubleSpinBox {
public:
    LargeStepSpinBox(double largeStep, QWidget* parent)
        : QDoubleSpinBox(parent), m_largeStep(largeStep) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
            const double step = event->key() == Qt::Key_PageUp ? m_largeStep : -m_largeStep;
            setValue(value() + step);
            selectAll();
            event->accept();
            return;
        }
        QDoubleSpinBox::keyPressEvent(event);
    }

private:
    double m_largeStep;
};

QSpinBox* integerSpin(QWidget* parent, const char* name, int minimum, int maximum, int value,
                      QRect geometry) {
    auto* spin = named(new QSpinBox(parent), name);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    // The value changes when the user has finished typing it, not at every digit.
    spin->setKeyboardTracking(false);
    spin->setGeometry(geometry);
    return spin;
}

}  // namespace

void TfrmTaggerPro::BuildLayout() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* client = named(new QWidget(this), "frmTaggerProClient");
    column->addWidget(client, 1);
    BuildEditorColumn(client);
    BuildMiddleColumn(client);
    BuildBatchArea(client);
    BuildStatusBar();
    column->addWidget(dxStatusBar1);

    resize(kClientSize);
    setMinimumSize(kClientSize);
    move(0, 0);
    FOuterBounds = new OuterBounds(this);

    CloudAI1 = m_session->cloud();
    CloudAI1->setObjectName(QStringLiteral("CloudAI1"));
}

void TfrmTaggerPro::BuildEditorColumn(QWidget* client) {
    QFont editFont(QStringLiteral("Segoe UI"));
    editFont.setPixelSize(13);

    caption(client, QStringLiteral("Title"), QRect(8, 8, 40, 17));
    btnTitleCopy = copyButton(client, "btnTitleCopy", 44, 5);
    caption(client, QStringLiteral("Characters left:"), QRect(171, 8, 100, 17));
    Label7 = counter(client, "Label7", "80", 8);
    edtTitle = named(new TcxTextEdit(client), "edtTitle");
    edtTitle->setGeometry(8, 28, 313, 25);

    caption(client, QStringLiteral("Description"), QRect(8, 62, 70, 17));
    btnDescriptionCopy = copyButton(client, "btnDescriptionCopy", 78, 59);
    caption(client, QStringLiteral("Characters left:"), QRect(171, 62, 100, 17));
    Label12 = counter(client, "Label12", "200", 62);
    memDescription = named(new TcxMemo(client), "memDescription");
    memDescription->setGeometry(8, 82, 313, 97);

    caption(client, QStringLiteral("Keywords"), QRect(8, 188, 60, 17));
    btnKeywordsCopy = copyButton(client, "btnKeywordsCopy", 66, 185);
    caption(client, QStringLiteral("Number:"), QRect(171, 188, 100, 17));
    Label9 = counter(client, "Label9", "0", 188);
    memKeywords = named(new TcxRichEdit(client), "memKeywords");
    memKeywords->setGeometry(8, 208, 313, 265);
    // Tab passes the keywords field by; inside it, Tab moves on instead of typing a tab.
    memKeywords->setFocusPolicy(Qt::ClickFocus);
    memKeywords->setTabChangesFocus(true);

    caption(client, QStringLiteral("Add and check:"), QRect(8, 485, 100, 17));
    cxCheckEdit = named(new TcxTextEdit(client), "cxCheckEdit");
    cxCheckEdit->setGeometry(108, 481, 213, 25);

    for (QWidget* field :
         std::initializer_list<QWidget*>{edtTitle, memDescription, memKeywords, cxCheckEdit})
        field->setFont(editFont);
    FKeywordEditor = new KeywordEditor(
        {edtTitle, memDescription, memKeywords, cxCheckEdit, Label7, Label12, Label9}, m_state,
        this);

    cxGroupBox1 = named(new QGroupBox(QStringLiteral("Categories"), client), "cxGroupBox1");
    cxGroupBox1->setGeometry(8, 516, 313, 152);
    caption(cxGroupBox1, QStringLiteral("Adobe:"), QRect(10, 22, 120, 17));
    AdobeCategory = categoryBox(cxGroupBox1, "AdobeCategory", categories::adobe(), 40);
    caption(cxGroupBox1, QStringLiteral("Shutterstock:"), QRect(10, 72, 120, 17));
    ShutterCategory1 = categoryBox(cxGroupBox1, "ShutterCategory1", categories::shutterstock(), 90);
    ShutterCategory2 =
        categoryBox(cxGroupBox1, "ShutterCategory2", categories::shutterstock(), 118);

    AddBtn = button(client, "AddBtn", "Add to Batch Summary", QRect(8, 680, 153, 28));
    ClearInputBtn = button(client, "ClearInputBtn", "Clear input fields", QRect(168, 680, 153, 28));
    btnUpdateGirdRow =
        button(client, "btnUpdateGirdRow", "Update Batch File", QRect(8, 714, 153, 28));
    btnOpenGettyEditor =
        button(client, "btnOpenGettyEditor", "Getty Corrections", QRect(168, 714, 153, 28));
    btnOpenGettyEditor->setEnabled(false);
    btnHelp = button(client, "btnHelp", "Help", QRect(8, 748, 153, 28));
    ExitBtn = button(client, "ExitBtn", "Exit", QRect(168, 748, 153, 28));
    // Tab passes these two by.
    ClearInputBtn->setFocusPolicy(Qt::ClickFocus);
    ExitBtn->setFocusPolicy(Qt::ClickFocus);
}

void TfrmTaggerPro::BuildMiddleColumn(QWidget* client) {
    cxImage1 = named(new TcxImage(client), "cxImage1");
    cxImage1->setGeometry(336, 8, 249, 180);
    QPalette silver = cxImage1->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    cxImage1->setPalette(silver);
    lblFileName = named(new QLabel(client), "lblFileName");
    lblFileName->setGeometry(336, 190, 249, 16);
    lblFileName->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    lblFileName->setFont(withPointSize(lblFileName->font(), 8));

    cxGroupBox2 = named(new QGroupBox(QStringLiteral("Prompt settings"), client), "cxGroupBox2");
    cxGroupBox2->setGeometry(331, 212, 260, 446);
    QWidget* box = cxGroupBox2;

    caption(box, QStringLiteral("Stock agency"), QRect(10, 26, 105, 17));
    AgencyCombo = named(new TcxComboBox(box), "AgencyCombo");
    AgencyCombo->addItems({QStringLiteral("Standard"), QStringLiteral("Getty Images")});
    AgencyCombo->setCurrentIndex(0);
    // A typed text is taken as typed; the index follows it (see SyncAgencyIndex).
    AgencyCombo->setCompleter(nullptr);
    AgencyCombo->setGeometry(120, 22, 130, 24);

    caption(box, QStringLiteral("Creativity"), QRect(10, 56, 105, 17));
    Temperature = named(new LargeStepSpinBox(0.5, box), "Temperature");
    Temperature->setLocale(QLocale::c());
    Temperature->setDecimals(2);
    Temperature->setRange(0.70, 0.85);
    Temperature->setSingleStep(0.01);
    Temperature->setValue(0.75);
    Temperature->setKeyboardTracking(false);
    Temperature->setGeometry(120, 52, 70, 24);

    AgenticCombo = named(new TcxCheckBox(QStringLiteral("Deep Vision"), box), "AgenticCombo");
    AgenticCombo->setGeometry(10, 82, 240, 20);
    PeopleCheck =
        named(new TcxCheckBox(QStringLiteral("Include number of people"), box), "PeopleCheck");
    PeopleCheck->setGeometry(10, 106, 240, 20);
    CategoryCheck =
        named(new TcxCheckBox(QStringLiteral("Detect categories"), box), "CategoryCheck");
    CategoryCheck->setGeometry(10, 130, 240, 20);
    for (TcxCheckBox* check : {AgenticCombo, PeopleCheck, CategoryCheck}) check->setChecked(true);

    caption(box, QStringLiteral("Keywords range"), QRect(10, 160, 105, 17));
    KeysFrom = integerSpin(box, "KeysFrom", kKeysFromMinimum, 50, 39, QRect(120, 156, 52, 24));
    auto* arrow = caption(box, QStringLiteral("->"), QRect(172, 160, 26, 17));
    arrow->setAlignment(Qt::AlignCenter);
    KeysTo = integerSpin(box, "KeysTo", kKeysToMinimum, 100, 42, QRect(198, 156, 52, 24));

    caption(box, QStringLiteral("Resize (px)"), QRect(10, 190, 105, 17));
    dsampleCombo = named(new QComboBox(box), "dsampleCombo");
    dsampleCombo->addItems(
        {QStringLiteral("1024"), QStringLiteral("1536"), QStringLiteral("3072")});
    dsampleCombo->setGeometry(120, 186, 80, 24);

    caption(box, QStringLiteral("Concept note"), QRect(10, 218, 240, 17));
    edtConcept = named(new TcxMemo(box), "edtConcept");
    edtConcept->setMaxLength(150);
    edtConcept->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtConcept->setGeometry(10, 236, 240, 64);
    caption(box, QStringLiteral("Include keywords"), QRect(10, 308, 240, 17));
    edtAddKeywords = named(new TcxTextEdit(box), "edtAddKeywords");
    edtAddKeywords->setGeometry(10, 326, 240, 24);
    caption(box, QStringLiteral("Exclude keywords"), QRect(10, 358, 240, 17));
    edtExcludeKeywords = named(new TcxTextEdit(box), "edtExcludeKeywords");
    edtExcludeKeywords->setGeometry(10, 376, 240, 24);

    cxButton3 = button(box, "cxButton3", "Defaults", QRect(10, 408, 90, 27));
    caption(box, QStringLiteral("AI Counter:"), QRect(140, 413, 70, 17));
    lblAICount = named(new QLabel(QStringLiteral("0"), box), "lblAICount");
    lblAICount->setGeometry(212, 413, 38, 17);

    cxButton4 = button(client, "cxButton4", "Open Image", QRect(331, 670, 126, 32));
    cxButton5 = button(client, "cxButton5", "AI Tagging", QRect(465, 670, 126, 32));
}

void TfrmTaggerPro::BuildBatchArea(QWidget* client) {
    auto* anchors = new Anchors(client, kClientDesign);

    cxGrid1 = named(new QWidget(client), "cxGrid1");
    anchors->place(cxGrid1, QRect(600, 8, 441, 757), Anchors::All);
    auto* gridLayout = new QVBoxLayout(cxGrid1);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    cxTableView1 = named(new TcxGridTableView(cxGrid1), "cxTableView1");
    gridLayout->addWidget(cxTableView1);
    PopupMenu1 = named(new QMenu(this), "PopupMenu1");
    BuildBatchGrid();

    cxLabel16 = named(
        new QLabel(
            QStringLiteral("Enter on row to review and edit  |  Double-click to tag it separately"),
            client),
        "cxLabel16");
    cxLabel16->setFont(withPointSize(cxLabel16->font(), 8));
    cxLabel16->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette grey = cxLabel16->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    cxLabel16->setPalette(grey);
    anchors->place(cxLabel16, QRect(600, 771, 441, 16), Anchors::Right | Anchors::Bottom);

    const struct {
        QPushButton** control;
        const char* name;
        const char* text;
    } buttons[] = {{&btnClearList, "btnClearList", "Clear List"},
                   {&btnLoadImages, "btnLoadImages", "Open Images"},
                   {&btnBatchTagging, "btnBatchTagging", "Batch Tagging"},
                   {&btnCreateCSV, "btnCreateCSV", "Create CSV files"}};
    int left = 600;
    for (const auto& b : buttons) {
        *b.control = named(new QPushButton(QLatin1String(b.text), client), b.name);
        anchors->place(*b.control, QRect(left, 793, 105, 30), Anchors::Right | Anchors::Bottom);
        left += 112;
    }
}

void TfrmTaggerPro::BuildStatusBar() {
    dxStatusBar1 = new TStatusBar(this);
    dxStatusBar1->setObjectName(QStringLiteral("dxStatusBar1"));
    dxStatusBar1->setFixedHeight(kStatusBarHeight);
    // The status line takes every pixel the busy indicator and the empty last panel leave, so
    // that an error text or a long file name stands whole at the window's design size.
    dxStatusBar1->addStretchingPanel(464, Qt::AlignLeft, QStringLiteral("Ready..."));
    dxStatusBar1->addPanel(119, Qt::AlignLeft, QString());
    dxStatusBar1->addPanel(50, Qt::AlignLeft, QString());

    // The busy indicator: a marquee without text, shown while a request runs.
    ProgressBar1 = named(new QProgressBar(dxStatusBar1->panel(1)), "ProgressBar1");
    ProgressBar1->setRange(0, 0);
    ProgressBar1->setTextVisible(false);
    auto* holder = new QHBoxLayout(dxStatusBar1->panel(1));
    holder->setContentsMargins(2, 2, 2, 2);
    holder->addWidget(ProgressBar1);
    ProgressBar1->hide();
}

namespace {

// Connects a signal to a handler of the window; the handler runs under the default exception
// handler.
template <typename Sender, typename Signal>
void on(TfrmTaggerPro* window, Sender* sender, Signal signal, void (TfrmTaggerPro::*handler)()) {
    QObject::connect(sender, signal, window, errors::guarded(window, handler));
}

}  // namespace

void TfrmTaggerPro::ConnectHandlers() {
    on(this, ExitBtn, &QPushButton::clicked, &TfrmTaggerPro::ExitBtnClick);
    on(this, btnHelp, &QPushButton::clicked, &TfrmTaggerPro::btnHelpClick);
    on(this, btnOpenGettyEditor, &QPushButton::clicked, &TfrmTaggerPro::btnOpenGettyEditorClick);
    on(this, btnLoadImages, &QPushButton::clicked, &TfrmTaggerPro::btnLoadImagesClick);
    on(this, btnBatchTagging, &QPushButton::clicked, &TfrmTaggerPro::btnBatchTaggingClick);
    on(this, btnUpdateGirdRow, &QPushButton::clicked, &TfrmTaggerPro::btnUpdateGirdRowClick);
    on(this, btnClearList, &QPushButton::clicked, &TfrmTaggerPro::btnClearListClick);
    on(this, Deleterowdata1, &QAction::triggered, &TfrmTaggerPro::Deleterowdata1Click);
    on(this, Cleartags1, &QAction::triggered, &TfrmTaggerPro::Cleartags1Click);
    on(this, Clearlist1, &QAction::triggered, &TfrmTaggerPro::Clearlist1Click);
    on(this, AddBtn, &QPushButton::clicked, &TfrmTaggerPro::AddBtnClick);
    on(this, Copyrowdatatobatchsummary1, &QAction::triggered,
       &TfrmTaggerPro::Copyrowdatatobatchsummary1Click);
    on(this, Populatebatchsummary1, &QAction::triggered,
       &TfrmTaggerPro::Populatebatchsummary1Click);
    on(this, btnCreateCSV, &QPushButton::clicked, &TfrmTaggerPro::btnCreateCSVClick);
    cxTableView1->hooks.onKeyDown = [this](int& key, Qt::KeyboardModifiers) {
        errors::guard([&] { cxTableView1KeyDown(key); });
    };
    cxTableView1->hooks.onKeyPress = errors::guarded(this, &TfrmTaggerPro::cxTableView1KeyPress);
    cxTableView1->onCellDblClick = [this](const QModelIndex& cell, bool& handled) {
        errors::guard([&] { cxTableView1CellDblClick(cell.row(), handled); });
    };
    connect(cxTableView1, &QWidget::customContextMenuRequested, this,
            errors::guarded(this, &TfrmTaggerPro::ShowGridMenu));
    on(this, ClearInputBtn, &QPushButton::clicked, &TfrmTaggerPro::ClearInputBtnClick);
    on(this, btnTitleCopy, &QToolButton::clicked, &TfrmTaggerPro::btnTitleCopyClick);
    on(this, btnDescriptionCopy, &QToolButton::clicked, &TfrmTaggerPro::btnDescriptionCopyClick);
    on(this, btnKeywordsCopy, &QToolButton::clicked, &TfrmTaggerPro::btnKeywordsCopyClick);
    on(this, AgencyCombo, &QComboBox::currentTextChanged,
       &TfrmTaggerPro::AgencyComboPropertiesChange);
    on(this, KeysTo, &QSpinBox::valueChanged, &TfrmTaggerPro::KeysToPropertiesEditValueChanged);
    on(this, cxButton3, &QPushButton::clicked, &TfrmTaggerPro::cxButton3Click);
    on(this, ShutterCategory1, &QComboBox::currentIndexChanged,
       &TfrmTaggerPro::ShutterCategory1PropertiesChange);
    on(this, ShutterCategory2, &QComboBox::currentIndexChanged,
       &TfrmTaggerPro::ShutterCategory2PropertiesChange);
    on(this, cxImage1, &TcxImage::pictureAssigned, &TfrmTaggerPro::cxImage1PropertiesAssignPicture);
    on(this, cxButton4, &QPushButton::clicked, &TfrmTaggerPro::cxButton4Click);
    on(this, cxButton5, &QPushButton::clicked, &TfrmTaggerPro::cxButton5Click);
    connect(CloudAI1, &cloudai::CloudAI::requestComplete, this,
            errors::guarded(this, &TfrmTaggerPro::CloudAI1RequestComplete));
    connect(CloudAI1, &cloudai::CloudAI::executed, this,
            errors::guarded(this, &TfrmTaggerPro::CloudAI1Executed));
    connect(CloudAI1, &cloudai::CloudAI::requestsComplete, this,
            errors::guarded(this, &TfrmTaggerPro::CloudAI1RequestsComplete));
    connect(&m_state, &MainState::aiCounterChanged, this,
            errors::guarded(this, &TfrmTaggerPro::ShowAICounter));

    // What the session reports.
    TaggingSession* session = m_session;
    connect(session, &TaggingSession::busyChanged, this,
            errors::guarded(this, &TfrmTaggerPro::ShowBusy));
    connect(session, &TaggingSession::statusText, this,
            errors::guarded(this, &TfrmTaggerPro::ShowStatus));
    connect(session, &TaggingSession::nameShown, this,
            errors::guarded(this, &TfrmTaggerPro::ShowPreparedName));
    connect(session, &TaggingSession::previewShown, this,
            errors::guarded(this, &TfrmTaggerPro::ShowPreview));
    connect(session, &TaggingSession::fieldsProposed, this,
            errors::guarded(this, &TfrmTaggerPro::ShowProposedFields));
    connect(session, &TaggingSession::requestButtonsEnabled, this,
            errors::guarded(this, &TfrmTaggerPro::EnableRequestButtons));
    connect(session, &TaggingSession::rowFocused, this,
            errors::guarded(this, &TfrmTaggerPro::FocusGridRow));
    on(this, session, &TaggingSession::batchStarted, &TfrmTaggerPro::ShowBatchStarted);
    on(this, session, &TaggingSession::batchStopping, &TfrmTaggerPro::ShowBatchStopping);
    on(this, session, &TaggingSession::batchEnded, &TfrmTaggerPro::ShowBatchEnded);
}
