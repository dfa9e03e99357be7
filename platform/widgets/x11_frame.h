#pragma once

#include <QMargins>
#include <optional>

class QWindow;

// What an X11 window manager that follows the desktop conventions tells a window before it is
// mapped. Elsewhere (another window system, no window manager) there is no answer.
namespace x11 {

// The frame the window manager will draw around the window (_NET_REQUEST_FRAME_EXTENTS), in
// the window's device-independent pixels; none when it gives no estimate within a short wait.
std::optional<QMargins> requestFrameExtents(QWindow* window);

}  // namespace x11
