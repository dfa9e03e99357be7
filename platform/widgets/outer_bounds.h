#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <optional>

class QWidget;

// A top-level window's outer bounds, frame included, as the settings file keeps them. The
// window system reports the frame only once the window is on the screen, and after the window
// is shown again it may report none for a while; so the last frame reported is remembered, and
// bounds applied before any frame was known are applied again as soon as one is, so that
// storing and applying bounds give the same window run after run.
class OuterBounds : public QObject {
    Q_OBJECT
public:
    explicit OuterBounds(QWidget* window);

    QRect outerGeometry() const;
    // A size below the window's minimum gives the minimum.
    void setOuterGeometry(const QRect& outer);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Takes the frame the window system reports, when it reports one.
    void noteFrame();

    QWidget* m_window;
    QMargins m_frame;
    bool m_frameKnown = false;
    std::optional<QRect> m_pending;  // applied while no frame was known
};
