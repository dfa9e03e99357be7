#include "platform/widgets/outer_bounds.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QWidget>
#include <QWindow>
#include <algorithm>

#include "platform/widgets/x11_frame.h"

QRect fitOnScreens(const StoredBounds& stored, const QSize& minimum, const QList<QRect>& screens) {
    // Every number within what a window may have, so that no sum below overflows.
    constexpr qint64 kLargest = QWIDGETSIZE_MAX;
    qint64 width = std::clamp<qint64>(stored.width, minimum.width(), kLargest);
    qint64 height = std::clamp<qint64>(stored.height, minimum.height(), kLargest);
    qint64 left = std::clamp<qint64>(stored.left, -kLargest, kLargest);
    qint64 top = std::clamp<qint64>(stored.top, -kLargest, kLargest);

    if (!screens.isEmpty()) {
        const auto overlap = [](qint64 start, qint64 length, qint64 otherStart,
                                qint64 otherLength) {
            return std::max<qint64>(0, std::min(start + length, otherStart + otherLength) -
                                           std::max(start, otherStart));
        };
        // The screen the window lies on most, else the first.
        QRect screen = screens.first();
        qint64 most = 0;
        for (const QRect& s : screens) {
            const qint64 area =
                overlap(left, width, s.x(), s.width()) * overlap(top, height, s.y(), s.height());
            if (area > most) {
                most = area;
                screen = s;
            }
        }
        width = std::max<qint64>(std::min<qint64>(width, screen.width()), minimum.width());
        height = std::max<qint64>(std::min<qint64>(height, screen.height()), minimum.height());

        const qint64 grip = std::min<qint64>(width, 100);
        const bool reachable = std::any_of(screens.begin(), screens.end(), [&](const QRect& s) {
            return top >= s.y() && top < s.y() + qint64(s.height()) &&
                   overlap(left, width, s.x(), s.width()) >= grip;
        });
        if (!reachable) {
            const auto into = [](qint64 start, qint64 length, qint64 roomStart, qint64 room) {
                return length >= room ? roomStart
                                      : std::clamp(start, roomStart, roomStart + room - length);
            };
            left = into(left, width, screen.x(), screen.width());
            top = into(top, height, screen.y(), screen.height());
        }
    }
    return QRect(int(left), int(top), int(width), int(height));
}

namespace {

// Margins that a window system reports for a frame it draws (none while it knows of none, and
// nonsense for a moment while a window is being reparented).
bool isFrame(const QMargins& m) {
    return !m.isNull() && m.left() >= 0 && m.top() >= 0 && m.right() >= 0 && m.bottom() >= 0;
}

}  // namespace

OuterBounds::OuterBounds(QWidget* window) : QObject(window), m_window(window) {
    window->installEventFilter(this);
}

QRect OuterBounds::outerGeometry() const {
    return m_window->geometry().marginsAdded(m_frame);
}

void OuterBounds::setOuterGeometry(const QRect& outer) {
    setOuterGeometry(StoredBounds{outer.x(), outer.y(), outer.width(), outer.height()});
}

void OuterBounds::setOuterGeometry(const StoredBounds& stored) {
    noteFrame();
    QList<QRect> screens;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) screens << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != primary) screens << screen->availableGeometry();
    const QRect outer = fitOnScreens(stored, m_window->minimumSize().grownBy(m_frame), screens);
    apply({outer.topLeft(), outer.size()});
}

void OuterBounds::moveOuter(const QPoint& topLeft) {
    noteFrame();
    apply({topLeft, std::nullopt});
}

void OuterBounds::setOuterMinimumSize(const QSize& outer) {
    m_outerMinimum = outer;
    noteFrame();
    // Before the window is first shown the frame may still become known; an unknown frame
    // counts as none once the window is on the screen.
    if (m_frameKnown || m_window->isVisible()) m_window->setMinimumSize(outer.shrunkBy(m_frame));
}

QRect OuterBounds::placed(const Placement& placement) const {
    const QSize client =
        placement.outerSize
            ? placement.outerSize->shrunkBy(m_frame).expandedTo(m_window->minimumSize())
            : m_window->size();
    return QRect(placement.topLeft, client.grownBy(m_frame));
}

void OuterBounds::apply(const Placement& placement) {
    const QRect outer = placed(placement);
    const QSize client = outer.size().shrunkBy(m_frame);
    // The client area's bounds: the window manager is asked to keep the client area where it
    // is put (static gravity), so the frame, as far as it is known, lands on the corner.
    m_window->setGeometry(QRect(outer.topLeft() + QPoint(m_frame.left(), m_frame.top()), client));
    if (m_frameReported)
        m_pending.reset();
    else
        m_pending = placement;
}

void OuterBounds::askFrame() {
    noteFrame();
    if (!m_frameKnown) {
        if (const std::optional<QMargins> frame =
                x11::requestFrameExtents(m_window->windowHandle()))
            takeFrame(*frame, false);
    }
    if (m_outerMinimum) m_window->setMinimumSize(m_outerMinimum->shrunkBy(m_frame));
}

void OuterBounds::noteFrame() {
    const QWindow* handle = m_window->windowHandle();
    const QMargins frame = handle ? handle->frameMargins() : QMargins();
    if (isFrame(frame)) takeFrame(frame, true);
}

void OuterBounds::takeFrame(const QMargins& frame, bool reported) {
    const bool changed = !m_frameKnown || frame != m_frame;
    const bool firstReport = reported && !m_frameReported;
    m_frame = frame;
    m_frameKnown = true;
    m_frameReported = m_frameReported || reported;
    if (changed && m_outerMinimum) m_window->setMinimumSize(m_outerMinimum->shrunkBy(m_frame));
    // Bounds applied before the frame was reported: applied again when the frame differs from
    // the one they were applied with, or the window system did not place them as asked.
    if (m_pending && (changed || firstReport)) {
        const Placement placement = *m_pending;
        m_pending.reset();
        if (changed || outerGeometry() != placed(placement)) apply(placement);
    }
    if (changed) emit frameChanged();
}

bool OuterBounds::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        switch (event->type()) {
            case QEvent::Show:
                // Sent before the window is mapped, ahead of the window's own show handler.
                if (!static_cast<QShowEvent*>(event)->spontaneous()) askFrame();
                break;
            case QEvent::Move:
            case QEvent::Resize:
                noteFrame();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}
