#pragma once

#include <QColor>

namespace skin {

// The text colour that reads best on a background: black, or white on a dark one. Dark means a
// relative luminance (the sRGB channels linearised and weighted 0.2126, 0.7152, 0.0722) below
// 0.179, where white has the higher contrast ratio of the two.
QColor readableTextOn(const QColor& background);

}  // namespace skin
