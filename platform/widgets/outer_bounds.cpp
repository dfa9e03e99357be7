#include "platform/widgets/outer_bounds.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

OuterBounds::OuterBounds(QWidget* window) : QObject(window), m_window(window) {
    window->installEventFilter(this);
}

QRect OuterBounds::outerGeometry() const {
    return m_window->geometry().marginsAdded(m_frame);
}

void OuterBounds::setOuterGeometry(const QRect& outer) {
    noteFrame();
    m_window->resize(outer.size().shrunkBy(m_frame).expandedTo(m_window->minimumSize()));
    m_window->move(outer.topLeft());
    // Until the frame is known the window may take the corner for the client area's: the
    // window system is told that it is the frame's.
    QWindow* handle = m_window->windowHandle();
    if (!m_frameKnown && handle) handle->setFramePosition(outer.topLeft());
    if (m_frameKnown)
        m_pending.reset();
    else
        m_pending = outer;
}

void OuterBounds::noteFrame() {
    const QWindow* handle = m_window->windowHandle();
    const QMargins frame = handle ? handle->frameMargins() : QMargins();
    if (frame.isNull()) return;
    m_frame = frame;
    m_frameKnown = true;
    if (m_pending) {
        const QRect outer = *m_pending;
        m_pending.reset();
        setOuterGeometry(outer);
    }
}

bool OuterBounds::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                                event->type() == QEvent::Show))
        noteFrame();
    return QObject::eventFilter(watched, event);
}
