#include "platform/widgets/x11_frame.h"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace x11 {

#if QT_CONFIG(xcb)
namespace {

// How long the window manager may take to answer; it answers within a few milliseconds.
constexpr auto kAnswerWait = std::chrono::milliseconds(250);
constexpr auto kPollStep = std::chrono::milliseconds(1);

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_connection_t* connectionOf(QWindow* window) {
    if (!window || !window->handle()) return nullptr;
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_window_t rootOf(xcb_connection_t* c, xcb_window_t window) {
    const Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    return reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
}

// The 32-bit items of a property, or none when it is not set.
std::optional<std::vector<uint32_t>> property32(xcb_connection_t* c, xcb_window_t window,
                                                xcb_atom_t name, xcb_atom_t type, uint32_t count) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, count), nullptr));
    if (!reply || reply->type != type || reply->format != 32) return std::nullopt;
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get()) / 4;
    return std::vector<uint32_t>(data, data + length);
}

bool managerSupports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t feature) {
    const auto supported = property32(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096);
    return supported &&
           std::find(supported->begin(), supported->end(), feature) != supported->end();
}

}  // namespace

std::optional<QMargins> requestFrameExtents(QWindow* window) {
    xcb_connection_t* c = connectionOf(window);
    if (!c) return std::nullopt;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_window_t root = rootOf(c, id);
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    if (root == XCB_WINDOW_NONE || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE ||
        !managerSupports(c, root, request))
        return std::nullopt;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);

    // The answer is a property on the window; Qt's own event reader takes the events, so the
    // property is asked until it is there.
    const auto until = std::chrono::steady_clock::now() + kAnswerWait;
    for (;;) {
        const auto values = property32(c, id, extents, XCB_ATOM_CARDINAL, 4);
        if (values && values->size() == 4) {
            // Left, right, top, bottom, in device pixels.
            const qreal ratio = window->devicePixelRatio();
            const auto scaled = [ratio](uint32_t v) { return int(std::lround(v / ratio)); };
            return QMargins(scaled((*values)[0]), scaled((*values)[2]), scaled((*values)[1]),
                            scaled((*values)[3]));
        }
        if (std::chrono::steady_clock::now() >= until) return std::nullopt;
        std::this_thread::sleep_for(kPollStep);
    }
}

#else

std::optional<QMargins> requestFrameExtents(QWindow*) {
    return std::nullopt;
}

#endif

}  // namespace x11
