#pragma once

#include <QColor>
#include <QObject>
#include <QPalette>
#include <QString>
#include <QStringList>

class QAbstractItemView;

namespace skin {

// The palettes the program offers, in the Settings window's order: "Calmness" (the default),
// "Clearness", "Office Colorful", "Office White".
QStringList paletteNames();
// The palette of a name; the "Calmness" palette for an unknown one.
QPalette palette(const QString& name);
// Applies a palette to the whole application, so every open window changes at once; unknown
// names are ignored.
void applyPalette(const QString& name);
// The name of the palette the application wears.
QString paletteName();

// The look-and-feel defaults, applied before any window exists: the Fusion style
// with the "Calmness" palette.
void applyLookAndFeelDefaults();

// Platform colour values: red in the lowest 8 bits, then green, then blue.
QColor fromColorValue(int value);
int toColorValue(const QColor& color);

}  // namespace skin

// A style that views paint their selected rows with: its colour, changed for every view that
// uses it at once.
class TcxStyle : public QObject {
    Q_OBJECT
public:
    TcxStyle(const QColor& color, QObject* parent);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    // The view's selected rows take this style's colour as their background, with black text
    // or, on a dark colour, white, now and after every change of the colour.
    void paintSelectionOf(QAbstractItemView* view);

signals:
    void changed();

private:
    void paint(QAbstractItemView* view) const;

    QColor m_color;
};
