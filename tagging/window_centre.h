#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

// Where an information box "at the window's centre" has its top-left corner: the window's
// left edge plus half its outer width minus 150, its top edge plus half its outer height
// minus 75 (halves rounded toward zero), in screen coordinates.
inline QPoint informationPointAt(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    return {outer.left() + outer.width() / 2 - 150, outer.top() + outer.height() / 2 - 75};
}
