#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <optional>

#include "platform/widgets/x11_frame.h"

// Where windows and boxes are placed, by the outer frames of the windows (halves rounded
// toward zero), in screen coordinates.

// The centre of a window's outer frame.
inline QPoint outerCentre(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    return {outer.left() + outer.width() / 2, outer.top() + outer.height() / 2};
}

// Whether the window system has reported the frame around the window.
inline bool isFramed(const QWidget* window) {
    return window->frameGeometry() != window->geometry();
}

// The margins of the frame around a window, as the window system reports them.
inline QMargins frameOf(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// The frame that window has or, before the window system has framed it, will get: the one the
// window manager says it will draw (X11), else one like that of owner, a window on the screen.
inline QMargins expectedFrame(const QWidget* window, const QWidget* owner) {
    if (isFramed(window)) return frameOf(window);
    if (const std::optional<QMargins> frame = x11::requestFrameExtents(window->windowHandle()))
        return *frame;
    return owner ? frameOf(owner) : QMargins();
}

// Moves window so that the top-left corner of its outer frame stands at topLeft, for a window
// whose frame is, or will be, frame. Until the window system has framed a window, its
// position is taken for that of its client area.
inline void moveFrameTo(QWidget* window, QPoint topLeft, const QMargins& frame) {
    window->move(isFramed(window) ? topLeft : topLeft + QPoint(frame.left(), frame.top()));
}

// The same, with the frame expected of the window (expectedFrame).
inline void moveFrameTo(QWidget* window, QPoint topLeft, const QWidget* owner) {
    moveFrameTo(window, topLeft, isFramed(window) ? QMargins() : expectedFrame(window, owner));
}

// Moves window so that the centre of its outer frame stands at centre.
inline void centreAt(QWidget* window, QPoint centre, const QWidget* owner) {
    const QMargins frame = expectedFrame(window, owner);
    const QSize outer = window->size().grownBy(frame);
    moveFrameTo(window, centre - QPoint(outer.width() / 2, outer.height() / 2), frame);
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

// Shows a modeless window: a hidden one is shown (and runs its show handler), a minimised one
// is restored, and a shown one comes to the front.
inline void showModeless(QWidget* window) {
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
