#include "platform/skin/skin.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

namespace skin {
namespace {

struct Colours {
    const char* name;
    QRgb window, base, alternate, text, button, highlight, highlightedText;
};

// Calm light palettes: soft grey-green surfaces, dark text, a muted accent.
const Colours kPalettes[] = {
    {"Calmness", 0xEEF2EF, 0xFFFFFF, 0xF4F7F5, 0x1F2A24, 0xE3EAE5, 0x5B8A72, 0xFFFFFF},
    {"Clear", 0xF3F3F3, 0xFFFFFF, 0xF7F7F7, 0x202020, 0xE8E8E8, 0x3A78C3, 0xFFFFFF},
    {"Dawn", 0xF6EFE9, 0xFFFFFF, 0xFBF6F2, 0x2B211B, 0xEDE2D9, 0xB8724A, 0xFFFFFF},
    {"Ocean", 0xEAF0F6, 0xFFFFFF, 0xF2F6FA, 0x1A2633, 0xDCE6F0, 0x2F6FA3, 0xFFFFFF},
    {"Graphite", 0x3A3D40, 0x2B2D30, 0x33363A, 0xE8E8E8, 0x45494D, 0x6AA1C9, 0x101010},
};

const Colours& find(const QString& name) {
    for (const Colours& c : kPalettes)
        if (name == QLatin1String(c.name)) return c;
    return kPalettes[0];
}

}  // namespace

QStringList paletteNames() {
    QStringList names;
    for (const Colours& c : kPalettes) names << QString::fromLatin1(c.name);
    return names;
}

QPalette palette(const QString& name) {
    const Colours& c = find(name);
    QPalette p;
    p.setColor(QPalette::Window, QColor(c.window));
    p.setColor(QPalette::WindowText, QColor(c.text));
    p.setColor(QPalette::Base, QColor(c.base));
    p.setColor(QPalette::AlternateBase, QColor(c.alternate));
    p.setColor(QPalette::Text, QColor(c.text));
    p.setColor(QPalette::Button, QColor(c.button));
    p.setColor(QPalette::ButtonText, QColor(c.text));
    p.setColor(QPalette::Highlight, QColor(c.highlight));
    p.setColor(QPalette::HighlightedText, QColor(c.highlightedText));
    p.setColor(QPalette::ToolTipBase, QColor(c.base));
    p.setColor(QPalette::ToolTipText, QColor(c.text));
    p.setColor(QPalette::PlaceholderText, QColor(c.text).lighter(250));
    return p;
}

void applyPalette(const QString& name) {
    if (!paletteNames().contains(name)) return;
    QApplication::setPalette(palette(name));
}

void applyLookAndFeelDefaults() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("Segoe UI"));
    font.setPointSize(9);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    applyPalette(QStringLiteral("Calmness"));
}

}  // namespace skin
