#pragma once

#include <QPalette>
#include <QString>
#include <QStringList>

namespace skin {

// The palettes the program offers, "Calmness" first.
QStringList paletteNames();
// The palette of a name; the "Calmness" palette for an unknown one.
QPalette palette(const QString& name);
// Applies a palette to the whole application; unknown names are ignored.
void applyPalette(const QString& name);

// The look-and-feel defaults, applied before any window exists: the Fusion style
// with the "Calmness" palette.
void applyLookAndFeelDefaults();

}  // namespace skin
