#pragma once

#include <QString>

// The test programs that need a real X desktop run on one of their own: a private X server
// (Xvfb) with a reparenting window manager (openbox), for what the offscreen platform cannot
// show, such as the frame a window manager draws and where it places a window. Where Xvfb or
// openbox is missing, or either fails to start, the tests skip and say why.
namespace desktop {

bool available();
const QString& why();

}  // namespace desktop
