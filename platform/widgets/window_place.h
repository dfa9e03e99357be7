#pragma once

#include <QMargins>
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

// The frame that window has or, before the window system has framed it, will get: one like
// that of owner, a window on the screen.
inline QMargins expectedFrame(const QWidget* window, const QWidget* owner) {
    const QWidget* framed =
        window->frameGeometry() != window->geometry() || !owner ? window : owner;
    const QRect outer = framed->frameGeometry();
    const QRect inner = framed->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// Moves window so that the top-left corner of its outer frame stands at topLeft. Until the
// window system has framed a window, its position is taken for that of its client area; the
// frame is then expected to be like that of owner.
inline void moveFrameTo(QWidget* window, QPoint topLeft, const QWidget* owner) {
    const bool framed = window->frameGeometry() != window->geometry();
    const QMargins frame = expectedFrame(window, owner);
    window->move(framed ? topLeft : topLeft + QPoint(frame.left(), frame.top()));
}

// Moves window so that the centre of its outer frame stands at centre.
inline void centreAt(QWidget* window, QPoint centre, const QWidget* owner) {
    const QSize outer = window->size().grownBy(expectedFrame(window, owner));
    moveFrameTo(window, centre - QPoint(outer.width() / 2, outer.height() / 2), owner);
}

// Moves window so that its centre stands on the centre of owner.
inline void centreOn(QWidget* window, const QWidget* owner) {
    centreAt(window, outerCentre(owner), owner);
}

// A dialog of a fixed client size with a title bar but no system menu and no buttons on it,
// kept above the other windows: it is left through its own buttons.
inline void makeFixedTopDialog(QWidget* window, QSize clientSize) {
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowStaysOnTopHint);
    window->setFixedSize(clientSize);
}
