#include "platform/skin/skin.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFont>
#include <QStyleFactory>

#include "platform/errors/guard.h"
#include "platform/skin/readable_text.h"

namespace skin {
namespace {

struct Colours {
    const char* name;
    QRgb window, base, alternate, text, button, highlight, highlightedText, link;
};

// Light palettes for the Fusion style, each with its own surfaces and accent.
const Colours kPalettes[] = {
    // Soft grey-green surfaces, a muted green accent.
    {"Calmness", 0xEEF2EF, 0xFFFFFF, 0xF4F7F5, 0x1F2A24, 0xE3EAE5, 0x5B8A72, 0xFFFFFF, 0x3C7A5C},
    // Neutral light grey surfaces, a sky-blue accent.
    {"Clearness", 0xF0F1F3, 0xFFFFFF, 0xF5F6F8, 0x1B2330, 0xE1E4E8, 0x3B82C4, 0xFFFFFF, 0x2A6DB0},
    // Blue-grey surfaces with blue-tinted buttons and a deep blue accent.
    {"Office Colorful", 0xD9E3EF, 0xFFFFFF, 0xEEF3F9, 0x1E1E1E, 0xC6D5E8, 0x2B579A, 0xFFFFFF,
     0x2B579A},
    // White surfaces, light grey buttons, an orange-red accent.
    {"Office White", 0xFFFFFF, 0xFFFFFF, 0xF6F6F6, 0x262626, 0xEFEFEF, 0xC43E1C, 0xFFFFFF,
     0xB5361A},
};

const Colours& find(const QString& name) {
    for (const Colours& c : kPalettes)
        if (name == QLatin1String(c.name)) return c;
    return kPalettes[0];
}

QColor mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

QString g_current = QStringLiteral("Calmness");

}  // namespace

QStringList paletteNames() {
    QStringList names;
    for (const Colours& c : kPalettes) names << QString::fromLatin1(c.name);
    return names;
}

QPalette palette(const QString& name) {
    const Colours& c = find(name);
    const QColor window(c.window), text(c.text), button(c.button);
    // Light, midlight, mid, dark and shadow follow from the button colour, so that frames,
    // bevels and group boxes carry the palette's tint.
    QPalette p(button, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(c.base));
    p.setColor(QPalette::AlternateBase, QColor(c.alternate));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(c.highlight));
    p.setColor(QPalette::HighlightedText, QColor(c.highlightedText));
    p.setColor(QPalette::Link, QColor(c.link));
    p.setColor(QPalette::LinkVisited, QColor(c.link).darker(130));
    p.setColor(QPalette::ToolTipBase, QColor(c.base));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, mix(text, QColor(c.base)));
    const QColor disabled = mix(text, window);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    p.setColor(QPalette::Disabled, QPalette::Highlight, mix(QColor(c.highlight), window));
    return p;
}

void applyPalette(const QString& name) {
    if (!paletteNames().contains(name)) return;
    g_current = name;
    // The application palette reaches every window and control that does not set the
    // role itself; windows that paint from it follow its change event.
    QApplication::setPalette(palette(name));
}

QString paletteName() {
    return g_current;
}

void applyLookAndFeelDefaults() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("Segoe UI"));
    font.setPointSize(9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    applyPalette(QStringLiteral("Calmness"));
}

QColor fromColorValue(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int toColorValue(const QColor& color) {
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

}  // namespace skin

TcxStyle::TcxStyle(const QColor& color, QObject* parent) : QObject(parent), m_color(color) {}

void TcxStyle::setColor(const QColor& color) {
    if (color == m_color) return;
    m_color = color;
    emit changed();
}

void TcxStyle::paintSelectionOf(QAbstractItemView* view) {
    paint(view);
    connect(this, &TcxStyle::changed, view, [this, view] { errors::guard([&] { paint(view); }); });
}

void TcxStyle::paint(QAbstractItemView* view) const {
    // The text stays readable on a dark colour as on the light default.
    view->setStyleSheet(
        QStringLiteral("QAbstractItemView::item:selected { background: %1; color: %2; }")
            .arg(m_color.name(), skin::readableTextOn(m_color).name()));
}
