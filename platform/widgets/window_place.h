#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

// Where windows and boxes are placed, by the outer frames of the windows (halves rounded
// toward zero), in screen coordinates.

// The centre of a window's outer frame.
inline QPoint outerCentre(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    return {outer.left() + outer.width() / 2, outer.top() + outer.height() / 2};
}

// Moves window so that its centre stands on the centre of owner.
inline void centreOn(QWidget* window, const QWidget* owner) {
    const QRect outer = owner->frameGeometry();
    const QSize own = window->frameGeometry().size();
    window->move(outer.left() + (outer.width() - own.width()) / 2,
                 outer.top() + (outer.height() - own.height()) / 2);
}

// A dialog of a fixed client size with a title bar but no system menu and no buttons on it,
// kept above the other windows: it is left through its own buttons.
inline void makeFixedTopDialog(QWidget* window, QSize clientSize) {
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowStaysOnTopHint);
    window->setFixedSize(clientSize);
}
