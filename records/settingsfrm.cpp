#include "records/settingsfrm.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>

#include "platform/dialogs/dialogs.h"
#include "platform/errors/guard.h"
#include "platform/shell/shell.h"
#include "platform/skin/skin.h"
#include "platform/widgets/anchors.h"
#include "platform/widgets/edits.h"
#include "platform/widgets/window_place.h"
#include "records/main_state.h"
#include "records/main_window_port.h"

TSettingsFrm* SettingsFrm = nullptr;

const QString TSettingsFrm::ApiKeyPage = QStringLiteral("https://aistudio.google.com/app/apikey");

namespace {

const QSize kClientSize(594, 517);

QLabel* caption(QWidget* parent, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

QGroupBox* groupBox(QWidget* parent, const char* name, const QString& title,
                    const QRect& geometry) {
    auto* box = named(new QGroupBox(title, parent), name);
    box->setGeometry(geometry);
    return box;
}

// A colour swatch of a box, left of its "Change" button.
TShape* swatch(QWidget* box, const char* name, int top) {
    auto* shape = named(new TShape(box), name);
    shape->setGeometry(12, top, 124, 25);
    return shape;
}

// An integer spin edit that keeps its value within its range: a typed value outside it
// becomes the nearest bound when the edit is left or its value is read.
QSpinBox* spinEdit(QWidget* parent, const char* name, int minimum, int maximum, int value,
                   const QRect& geometry) {
    auto* spin = named(new QSpinBox(parent), name);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    spin->setGeometry(geometry);
    return spin;
}

// The value of a spin edit, with text still being typed taken in first.
int valueOf(QSpinBox* spin) {
    spin->interpretText();
    return spin->value();
}

// A drop-down list to pick from; nothing can be typed.
QComboBox* pickList(QWidget* parent, const char* name, const QStringList& items,
                    const QRect& geometry) {
    auto* combo = named(new QComboBox(parent), name);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setGeometry(geometry);
    return combo;
}

// Shows text as the list's choice: the item of that name (letter case aside), or no choice.
void pick(QComboBox* combo, const QString& text) {
    combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
}

}  // namespace

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::setBrushColor(const QColor& color) {
    m_color = color;
    update();
}

void TShape::paintEvent(QPaintEvent* /*event*/) {
    QPainter(this).fillRect(rect(), m_color);
}

TLinkLabel::TLinkLabel(const QString& caption, QWidget* parent) : QLabel(parent) {
    setText(QStringLiteral("<a href=\"#\">%1</a>").arg(caption.toHtmlEscaped()));
    setTextFormat(Qt::RichText);
    // The label itself takes the click, wherever it falls.
    setTextInteractionFlags(Qt::NoTextInteraction);
    setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

std::optional<QColor> TSettingsFrm::ColorDialog::Execute() {
    const std::optional<int> chosen = dialogs::get().chooseColor(skin::toColorValue(Color));
    if (!chosen) return std::nullopt;
    Color = skin::fromColorValue(*chosen);
    return Color;
}

TSettingsFrm::TSettingsFrm(MainState& state, MainWindowPort& main, QWidget* parent)
    : QDialog(parent), m_state(state), m_main(main) {
    setObjectName(QStringLiteral("SettingsFrm"));
    setWindowTitle(QStringLiteral("Settings"));
    // A fixed frame with a title bar and no buttons in it, above the other windows: the
    // window is left through "Close".
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setFont(QFont(QStringLiteral("Segoe UI"), 9));
    setFixedSize(kClientSize);
    BuildLimits();
    BuildStyle();
    BuildAnnotation();
    BuildAISettings();
    cxButton11 = button(this, "cxButton11", QStringLiteral("Help"), QRect(10, 478, 90, 29),
                        &TSettingsFrm::cxButton11Click);
    cxButton1 = button(this, "cxButton1", QStringLiteral("Close"), QRect(494, 478, 90, 29),
                       &TSettingsFrm::cxButton1Click);
}

QPushButton* TSettingsFrm::button(QWidget* parent, const char* name, const QString& caption,
                                  const QRect& geometry, void (TSettingsFrm::*handler)()) {
    auto* pushButton = named(new QPushButton(caption, parent), name);
    pushButton->setGeometry(geometry);
    // Enter presses only the button that has the focus (see keyPressEvent).
    pushButton->setAutoDefault(false);
    if (handler) connect(pushButton, &QPushButton::clicked, this, errors::guarded(this, handler));
    return pushButton;
}

void TSettingsFrm::BuildLimits() {
    cxGroupBox1 = groupBox(this, "cxGroupBox1", QStringLiteral("Maximum text input values"),
                           QRect(10, 10, 280, 230));
    QWidget* box = cxGroupBox1;
    cxLabel1 = named(new QLabel(QStringLiteral("Please enter the maximum length of the data "
                                               "entry fields"),
                                box),
                     "cxLabel1");
    cxLabel1->setWordWrap(true);
    cxLabel1->setGeometry(12, 24, 256, 34);
    caption(box, QStringLiteral("Title"), QRect(12, 72, 100, 20));
    TitleMax = spinEdit(box, "TitleMax", 10, 200, 80, QRect(148, 70, 120, 24));
    caption(box, QStringLiteral("Description"), QRect(12, 106, 100, 20));
    DescriptionMax = spinEdit(box, "DescriptionMax", 30, 500, 200, QRect(148, 104, 120, 24));
    caption(box, QStringLiteral("Tags"), QRect(12, 140, 100, 20));
    TagsMax = spinEdit(box, "TagsMax", 20, 200, 50, QRect(148, 138, 120, 24));
    cxButton5 =
        button(box, "cxButton5", QStringLiteral("Reset to default"), QRect(12, 188, 120, 27));
    cxButton2 = button(box, "cxButton2", QStringLiteral("Apply"), QRect(148, 188, 120, 27),
                       &TSettingsFrm::cxButton2Click);
}

void TSettingsFrm::BuildStyle() {
    cxGroupBox2 = groupBox(this, "cxGroupBox2", QStringLiteral("Style and color settings"),
                           QRect(304, 10, 280, 230));
    QWidget* box = cxGroupBox2;
    caption(box, QStringLiteral("Data grid focused row color"), QRect(12, 24, 256, 20));
    Shape1 = swatch(box, "Shape1", 48);
    cxButton4 = button(box, "cxButton4", QStringLiteral("Change"), QRect(148, 47, 120, 27),
                       &TSettingsFrm::cxButton4Click);
    caption(box, QStringLiteral("Choose theme style"), QRect(12, 96, 256, 20));
    // The control suite's names of the palettes.
    StyleCombo = pickList(box, "StyleCombo", skin::paletteNames(), QRect(12, 120, 256, 25));
    cxButton6 = button(box, "cxButton6", QStringLiteral("Reset to default"),
                       QRect(12, 188, 120, 27), &TSettingsFrm::cxButton6Click);
    cxButton3 = button(box, "cxButton3", QStringLiteral("Apply"), QRect(148, 188, 120, 27),
                       &TSettingsFrm::cxButton3Click);
}

void TSettingsFrm::BuildAnnotation() {
    cxGroupBox3 =
        groupBox(this, "cxGroupBox3", QStringLiteral("Annotation style"), QRect(10, 250, 280, 214));
    QWidget* box = cxGroupBox3;
    caption(box, QStringLiteral("Font size"), QRect(12, 28, 100, 20));
    FontSizeEdit = spinEdit(box, "FontSizeEdit", 6, 10, 10, QRect(12, 50, 124, 24));
    FontStyleEdit = pickList(box, "FontStyleEdit",
                             {QStringLiteral("Regular"), QStringLiteral("Bold"),
                              QStringLiteral("Italic"), QStringLiteral("Bold and Italic")},
                             QRect(148, 50, 120, 24));
    caption(box, QStringLiteral("Font color"), QRect(12, 90, 256, 20));
    FontColorShape = swatch(box, "FontColorShape", 114);
    cxButton8 = button(box, "cxButton8", QStringLiteral("Change"), QRect(148, 113, 120, 27),
                       &TSettingsFrm::cxButton8Click);
    cxButton9 =
        button(box, "cxButton9", QStringLiteral("Reset to default"), QRect(12, 172, 120, 27));
    cxButton7 = button(box, "cxButton7", QStringLiteral("Apply"), QRect(148, 172, 120, 27),
                       &TSettingsFrm::cxButton7Click);
}

void TSettingsFrm::BuildAISettings() {
    cxGroupBox4 =
        groupBox(this, "cxGroupBox4", QStringLiteral("AI Settings"), QRect(304, 250, 280, 214));
    QWidget* box = cxGroupBox4;
    caption(box, QStringLiteral("Gemini API Key"), QRect(12, 28, 256, 20));
    edtAPIKey = named(new TcxTextEdit(box), "edtAPIKey");
    edtAPIKey->setGeometry(12, 50, 256, 25);
    cxButton10 = button(box, "cxButton10", QStringLiteral("Apply"), QRect(148, 82, 120, 27),
                        &TSettingsFrm::cxButton10Click);
    caption(box, QStringLiteral("To create and manage your API keys"), QRect(12, 118, 256, 20));
    LinkLabel1 = named(new TLinkLabel(QStringLiteral("CLICK HERE"), box), "LinkLabel1");
    LinkLabel1->move(12, 138);
    LinkLabel1->adjustSize();
    connect(LinkLabel1, &TLinkLabel::clicked, this,
            errors::guarded(this, &TSettingsFrm::LinkLabel1Click));
    btnResetAICount = button(box, "btnResetAICount", QStringLiteral("Reset AI Counter"),
                             QRect(148, 172, 120, 27), &TSettingsFrm::btnResetAICountClick);
}

void TSettingsFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) errors::guard([this] { FormShow(); });
}

void TSettingsFrm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // The focused button is pressed; Enter in a value box only takes in its value.
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget())) focused->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TSettingsFrm::FormShow() {
    if (QWidget* main = parentWidget()) centreOn(this, main);
    TitleMax->setValue(m_state.TitleMax());
    DescriptionMax->setValue(m_state.DescriptionMax());
    TagsMax->setValue(m_state.KeywordsMax());
    pick(StyleCombo, skin::paletteName());
    Shape1->setBrushColor(skin::fromColorValue(m_state.FocusedRowColor()));
    FontSizeEdit->setValue(m_state.AnnotationFontSize());
    pick(FontStyleEdit, m_state.AnnotationFontStyle());
    FontColorShape->setBrushColor(skin::fromColorValue(m_state.AnnotationFontColor()));
}

void TSettingsFrm::cxButton2Click() {
    // The main window shows the new limits in its counters and fields.
    m_state.setLimits(valueOf(TitleMax), valueOf(DescriptionMax), valueOf(TagsMax));
}

void TSettingsFrm::cxButton4Click() {
    if (const auto chosen = dxColorDialog1.Execute()) Shape1->setBrushColor(*chosen);
}

void TSettingsFrm::cxButton3Click() {
    skin::applyPalette(StyleCombo->currentText());
    m_state.setFocusedRowColor(skin::toColorValue(Shape1->brushColor()));
}

void TSettingsFrm::cxButton6Click() {
    Shape1->setBrushColor(skin::fromColorValue(MainState::kDefaultFocusedRowColor));
    m_state.setFocusedRowColor(MainState::kDefaultFocusedRowColor);
    pick(StyleCombo, QStringLiteral("Calmness"));
    cxButton3Click();
}

void TSettingsFrm::cxButton8Click() {
    dxColorDialog1.Color = FontColorShape->brushColor();
    if (const auto chosen = dxColorDialog1.Execute()) FontColorShape->setBrushColor(*chosen);
}

void TSettingsFrm::cxButton7Click() {
    m_state.setAnnotationStyle(static_cast<std::uint8_t>(valueOf(FontSizeEdit)),
                               FontStyleEdit->currentText(),
                               skin::toColorValue(FontColorShape->brushColor()));
}

void TSettingsFrm::cxButton10Click() {
    // As typed, blanks included, but without the line breaks a paste may bring along (a key
    // copied from a mail or a web page): the key is one line of the settings file.
    QString key = edtAPIKey->text();
    key.remove(u'\r');
    key.remove(u'\n');
    m_state.setAPIKey(key);
}

void TSettingsFrm::btnResetAICountClick() {
    m_state.setAICounter(0);
}

void TSettingsFrm::LinkLabel1Click() {
    // A page the desktop cannot open is not reported.
    shell::get().open(ApiKeyPage);
}

void TSettingsFrm::cxButton11Click() {
    m_main.ShowHTMLHelp(QStringLiteral("Settings"));
}

void TSettingsFrm::cxButton1Click() {
    close();
}
