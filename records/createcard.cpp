// The Create card's controls: the keyword editor on the left, the batch summary in the
// middle with the record fields below it, the spell-check switches on the right.
#include "records/createcard.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "platform/errors/guard.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/edits.h"
#include "records/card_frame.h"
#include "records/edit_mode.h"
#include "records/keyword_editor.h"
#include "records/main_state.h"

namespace {

QLabel* caption(QWidget* parent, const QString& text, int left, int top, int width = 120) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(left, top, width, 17);
    return label;
}

// A flat glyph button that leaves the focus where it is, like a speed button.
QToolButton* speedButton(QWidget* parent, const char* name, const QString& glyph) {
    auto* button = named(new QToolButton(parent), name);
    button->setIcon(QIcon(glyph));
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// White paper with dark text, whatever palette the program wears.
void whitePaper(QWidget* edit) {
    QPalette white = edit->palette();
    white.setColor(QPalette::Base, Qt::white);
    white.setColor(QPalette::Text, Qt::black);
    edit->setPalette(white);
}

}  // namespace

TCreateCard::TCreateCard(CardFrame& frame, QWidget* parent) : QWidget(parent), m_frame(frame) {
    setObjectName(QStringLiteral("CreateCard"));
    setWindowTitle(QStringLiteral("Create Card"));
    m_anchors = new Anchors(this, QSize(1051, 551));
    BuildKeywordEditor();
    BuildBatchSummary();
    BuildRecordFields();
    BuildSpellSwitches();
    BuildExport();
    connect(&m_frame.editMode(), &EditModeState::changed, this,
            errors::guarded(this, &TCreateCard::ShowEditMode));
    connect(&m_frame.state(), &MainState::limitsChanged, this,
            errors::guarded(this, &TCreateCard::LimitsChanged));
}

void TCreateCard::ShowTextLimits() {
    const MainState& limits = m_frame.state();
    Label7->setText(QString::number(limits.TitleMax()));
    Label12->setText(QString::number(limits.DescriptionMax()));
    // Text already there is kept whole; a raised limit can be typed up to.
    cxTextEdit1->setMaxLength(limits.TitleMax());
    cxMemo1->setMaxLength(limits.DescriptionMax());
}

void TCreateCard::LimitsChanged() {
    ShowTextLimits();
    Label9->setText(QString::number(m_frame.state().KeywordsMax()));
}

// The save button's caption shows the mode: "Update" while editing, "Add to Database" once
// an edit has ended ("Add to database" until the first edit).
void TCreateCard::ShowEditMode(EditMode mode) {
    Button3->setText(mode == EditMode::Edit ? QStringLiteral("Update")
                                            : QStringLiteral("Add to Database"));
}

void TCreateCard::BuildKeywordEditor() {
    Anchors* anchors = m_anchors;
    QFont editFont(QStringLiteral("Segoe UI"));
    editFont.setPixelSize(13);
    const auto counter = [this](const char* name, const char* text, int top) {
        auto* label = named(new QLabel(QLatin1String(text), this), name);
        label->setGeometry(250, top, 50, 17);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    };
    caption(this, QStringLiteral("Title"), 8, 6, 60);
    caption(this, QStringLiteral("Characters left:"), 150, 6, 100);
    Label7 = counter("Label7", "80", 6);
    cxTextEdit1 = named(new TcxTextEdit(this), "cxTextEdit1");
    anchors->place(cxTextEdit1, QRect(8, 24, 292, 25));

    caption(this, QStringLiteral("Description"), 8, 56, 80);
    caption(this, QStringLiteral("Characters left:"), 150, 56, 100);
    Label12 = counter("Label12", "200", 56);
    cxMemo1 = named(new TcxMemo(this), "cxMemo1");
    anchors->place(cxMemo1, QRect(8, 74, 292, 110));

    caption(this, QStringLiteral("Keywords"), 8, 192, 80);
    caption(this, QStringLiteral("Number:"), 150, 192, 100);
    Label9 = counter("Label9", "0", 192);
    cxRichEdit1 = named(new TcxRichEdit(this), "cxRichEdit1");
    anchors->place(cxRichEdit1, QRect(8, 210, 292, 258),
                   Anchors::Left | Anchors::Top | Anchors::Bottom);

    anchors->place(caption(this, QStringLiteral("Add and check:"), 8, 478, 100),
                   QRect(8, 478, 100, 17), Anchors::Left | Anchors::Bottom);
    cxCheckEdit = named(new TcxTextEdit(this), "cxCheckEdit");
    anchors->place(cxCheckEdit, QRect(110, 474, 190, 25), Anchors::Left | Anchors::Bottom);

    // Below the keyword fields; not in the tab order.
    ExitBtn = named(new QPushButton(QStringLiteral("Exit"), this), "ExitBtn");
    ExitBtn->setFocusPolicy(Qt::ClickFocus);
    anchors->place(ExitBtn, QRect(225, 510, 75, 27), Anchors::Left | Anchors::Bottom);

    for (QWidget* field :
         std::initializer_list<QWidget*>{cxTextEdit1, cxMemo1, cxRichEdit1, cxCheckEdit})
        field->setFont(editFont);
    FKeywordEditor =
        new KeywordEditor({cxTextEdit1, cxMemo1, cxRichEdit1, cxCheckEdit, Label7, Label12, Label9},
                          m_frame.state(), this);
}

void TCreateCard::BuildBatchSummary() {
    Anchors* anchors = m_anchors;
    caption(this, QStringLiteral("Batch Summary"), 310, 6, 120);
    cxRichEdit2 = named(new TcxRichEdit(this), "cxRichEdit2");
    QFont summaryFont(QStringLiteral("Segoe UI"));
    summaryFont.setPixelSize(13);
    cxRichEdit2->setFont(summaryFont);
    cxRichEdit2->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    cxRichEdit2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    whitePaper(cxRichEdit2);
    anchors->place(cxRichEdit2, QRect(310, 24, 560, 400), Anchors::All);

    BoldBtn = speedButton(this, "BoldBtn", QStringLiteral(":/icons/bold.svg"));
    ItalicBtn = speedButton(this, "ItalicBtn", QStringLiteral(":/icons/italic.svg"));
    StyleBtn = speedButton(this, "StyleBtn", QStringLiteral(":/icons/style.svg"));
    StyleBtn->setToolTip(QStringLiteral("Apply style"));
    SpeedButton1 = speedButton(this, "SpeedButton1", QStringLiteral(":/icons/clear_style.svg"));
    SpeedButton1->setToolTip(QStringLiteral("Clear style"));
    int left = 770;
    for (QToolButton* button : {BoldBtn, ItalicBtn, StyleBtn, SpeedButton1}) {
        anchors->place(button, QRect(left, 1, 23, 22), Anchors::Right | Anchors::Top);
        left += 24;
    }

    AddBtn = named(new QPushButton(QStringLiteral("Add"), this), "AddBtn");
    anchors->place(AddBtn, QRect(881, 24, 161, 27), Anchors::Right | Anchors::Top);
    ClearInputBtn =
        named(new QPushButton(QStringLiteral("Clear input fields"), this), "ClearInputBtn");
    anchors->place(ClearInputBtn, QRect(881, 57, 161, 27), Anchors::Right | Anchors::Top);

    auto* replace =
        named(new QGroupBox(QStringLiteral("Search and Replace"), this), "GroupBoxSearchReplace");
    anchors->place(replace, QRect(881, 94, 161, 144), Anchors::Right | Anchors::Top);
    caption(replace, QStringLiteral("Search"), 10, 22, 100);
    SearchEdit2 = named(new TcxTextEdit(replace), "SearchEdit2");
    SearchEdit2->setGeometry(10, 40, 141, 23);
    caption(replace, QStringLiteral("Replace with"), 10, 68, 100);
    ReplaceEdit1 = named(new TcxTextEdit(replace), "ReplaceEdit1");
    ReplaceEdit1->setGeometry(10, 86, 141, 23);
    caption(replace, QStringLiteral("Total occurences:"), 10, 116, 110);
    Label20 = named(new QLabel(QStringLiteral("0"), replace), "Label20");
    Label20->setGeometry(122, 116, 33, 17);

    connect(AddBtn, &QPushButton::clicked, this, errors::guarded(this, &TCreateCard::AddBtnClick));
    connect(ClearInputBtn, &QPushButton::clicked, this,
            errors::guarded(this, &TCreateCard::ClearInputBtnClick));
    connect(BoldBtn, &QToolButton::clicked, this,
            errors::guarded(this, &TCreateCard::BoldBtnClick));
    connect(ItalicBtn, &QToolButton::clicked, this,
            errors::guarded(this, &TCreateCard::ItalicBtnClick));
    connect(StyleBtn, &QToolButton::clicked, this,
            errors::guarded(this, &TCreateCard::StyleBtnClick));
    connect(SpeedButton1, &QToolButton::clicked, this,
            errors::guarded(this, &TCreateCard::SpeedButton1Click));
    SearchEdit2->hooks.onKeyPress = errors::guarded(this, &TCreateCard::SearchEdit2KeyPress);
    ReplaceEdit1->hooks.onKeyPress = errors::guarded(this, &TCreateCard::ReplaceEdit1KeyPress);
}

void TCreateCard::BuildRecordFields() {
    Anchors* anchors = m_anchors;
    anchors->place(caption(this, QStringLiteral("Batch title:"), 310, 434, 80),
                   QRect(310, 434, 80, 17), Anchors::Left | Anchors::Bottom);
    cxTextEdit2 = named(new TcxTextEdit(this), "cxTextEdit2");
    anchors->place(cxTextEdit2, QRect(400, 430, 470, 25),
                   Anchors::Left | Anchors::Right | Anchors::Bottom);
    anchors->place(caption(this, QStringLiteral("Batch tags:"), 310, 464, 80),
                   QRect(310, 464, 80, 17), Anchors::Left | Anchors::Bottom);
    cxTextEdit3 = named(new TcxTextEdit(this), "cxTextEdit3");
    cxTextEdit3->setPlaceholderText(QStringLiteral("Enter batch searching tags"));
    anchors->place(cxTextEdit3, QRect(400, 460, 470, 25),
                   Anchors::Left | Anchors::Right | Anchors::Bottom);
    // The batch title's and batch tags' key-press rule (cxTextEdit2KeyPress, cxTextEdit3KeyPress).
    cxTextEdit2->hooks.onKeyPress = BatchFieldKeyPress;
    cxTextEdit3->hooks.onKeyPress = BatchFieldKeyPress;
    anchors->place(caption(this, QStringLiteral("Group:"), 310, 494, 80), QRect(310, 494, 80, 17),
                   Anchors::Left | Anchors::Bottom);
    GroupCombo = named(new TcxComboBox(this), "GroupCombo");
    anchors->place(GroupCombo, QRect(400, 490, 200, 25), Anchors::Left | Anchors::Bottom);
    CancelBtn = named(new QPushButton(QStringLiteral("Cancel"), this), "CancelBtn");
    anchors->place(CancelBtn, QRect(640, 490, 100, 27), Anchors::Right | Anchors::Bottom);
    Button3 = named(new QPushButton(QStringLiteral("Add to database"), this), "Button3");
    anchors->place(Button3, QRect(750, 490, 120, 27), Anchors::Right | Anchors::Bottom);
    connect(Button3, &QPushButton::clicked, this,
            errors::guarded(this, &TCreateCard::Button3Click));
    connect(CancelBtn, &QPushButton::clicked, this,
            errors::guarded(this, &TCreateCard::CancelBtnClick));
}

void TCreateCard::BuildSpellSwitches() {
    Anchors* anchors = m_anchors;
    auto* control =
        named(new QGroupBox(QStringLiteral("Spellcheck Control"), this), "GroupBoxSpellControl");
    anchors->place(control, QRect(881, 246, 161, 91), Anchors::Right | Anchors::Top);
    CheckBox7 = named(new TcxCheckBox(QStringLiteral("Spell as you type"), control), "CheckBox7");
    CheckBox7->setGeometry(10, 32, 145, 21);
    auto* fields =
        named(new QGroupBox(QStringLiteral("Enable Spellcheck for"), this), "GroupBoxSpellFields");
    anchors->place(fields, QRect(881, 351, 161, 201), Anchors::Right | Anchors::Top);
    const char* names[] = {"CheckBox1", "CheckBox2", "CheckBox3",
                           "CheckBox4", "CheckBox5", "CheckBox6"};
    const char* captions[] = {"Title",         "Description", "Keywords",
                              "Batch summary", "Batch title", "Batch searching tags"};
    TcxCheckBox** boxes[] = {&CheckBox1, &CheckBox2, &CheckBox3,
                             &CheckBox4, &CheckBox5, &CheckBox6};
    for (int i = 0; i < 6; ++i) {
        *boxes[i] = named(new TcxCheckBox(QLatin1String(captions[i]), fields), names[i]);
        (*boxes[i])->setGeometry(10, 32 + 24 * i, 145, 21);
    }
    for (TcxCheckBox* box :
         {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7})
        box->setFocusPolicy(Qt::ClickFocus);
}
