#pragma once

#include <QList>
#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>
#include <optional>

class QWidget;

// A window's outer bounds as stored: numbers from a settings file, which may be anything a
// 32-bit integer holds (or more).
struct StoredBounds {
    qint64 left = 0;
    qint64 top = 0;
    qint64 width = 0;
    qint64 height = 0;
};

// Bounds taken so that the window fits on one of the available screen areas and can be
// reached there: the size is at least minimum and at most the size of the screen it is on
// (the screen its bounds overlap most, else the first); the position stays unless the
// window's top edge, where the title bar is, would lie on no screen over at least 100 pixels
// (or its whole width when it is narrower), in which case the window is moved onto that
// screen as little as it takes. With no screen at all only the minimum and the largest size
// a window may have apply. Computed without overflow for any numbers.
QRect fitOnScreens(const StoredBounds& stored, const QSize& minimum, const QList<QRect>& screens);

// A top-level window's outer bounds, frame included, as the settings file keeps them. The
// frame is asked of the window manager before the window is first mapped (X11 window managers
// that follow the desktop conventions estimate it on request), so that the bounds are right
// from the first frame on; where no estimate comes, the bounds applied before the window system
// reported the frame are applied again once it does. The last frame reported is remembered,
// as a window shown again may report none for a while. Storing and applying bounds thus give
// the same window run after run.
class OuterBounds : public QObject {
    Q_OBJECT
public:
    explicit OuterBounds(QWidget* window);

    QRect outerGeometry() const;
    // The window's outer bounds, fitted to the available screens (fitOnScreens) with the
    // window's minimum.
    void setOuterGeometry(const QRect& outer);
    void setOuterGeometry(const StoredBounds& stored);
    // Places the frame's top-left corner; the client area keeps its size.
    void moveOuter(const QPoint& topLeft);
    // The smallest outer size: the window's minimum size is this less the frame.
    void setOuterMinimumSize(const QSize& outer);

    // Whether the frame is known (reported by the window system or estimated by the window
    // manager).
    bool frameKnown() const { return m_frameKnown; }

signals:
    // The frame became known or changed.
    void frameChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes the frame the window system reports, when it reports one.
    void noteFrame();
    // Before the window is mapped: asks the window manager for the frame it will draw.
    void askFrame();
    void takeFrame(const QMargins& frame, bool reported);

    // Bounds as asked: the frame's corner, and the outer size or none to keep the client's.
    struct Placement {
        QPoint topLeft;
        std::optional<QSize> outerSize;
    };
    void apply(const Placement& placement);
    QRect placed(const Placement& placement) const;

    QWidget* m_window;
    QMargins m_frame;
    bool m_frameKnown = false;
    bool m_frameReported = false;
    std::optional<QSize> m_outerMinimum;
    std::optional<Placement> m_pending;  // applied before the window system reported a frame
};
