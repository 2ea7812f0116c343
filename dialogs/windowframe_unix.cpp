#include "dialogs/windowframe.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QList>
#include <QThread>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Long enough for a busy window manager, short enough that one that never
// answers costs little; the placement is corrected on the first show then.
constexpr int kAnswerMs = 500;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a window property; empty when it is not set.
QList<quint32> property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name,
                          xcb_atom_t type) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr));
    if (!reply || reply->type != type || reply->format != 32) {
        return {};
    }
    const auto* values = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return QList<quint32>(values, values + count);
}

std::optional<QMargins> frameExtents(xcb_connection_t* c, xcb_window_t window, xcb_atom_t extents) {
    const QList<quint32> v = property32(c, window, extents, XCB_ATOM_CARDINAL);
    if (v.size() != 4) {
        return std::nullopt;
    }
    // Stored as left, right, top, bottom.
    return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

} // namespace

// X11: a client may ask the window manager for the frame a window will get
// before mapping it (_NET_REQUEST_FRAME_EXTENTS); the answer comes as the
// window's _NET_FRAME_EXTENTS property.
std::optional<QMargins> AskFrameOfHiddenWindow(QWindow* window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || window == nullptr || window->winId() == 0) {
        return std::nullopt; // not X11 (offscreen, Wayland)
    }
    xcb_connection_t* c = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, id), nullptr));
    if (!tree) {
        return std::nullopt;
    }
    const xcb_window_t root = tree->root;
    if (property32(c, root, internAtom(c, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).isEmpty()) {
        return QMargins(); // no window manager: windows have no frame
    }
    const xcb_atom_t request = internAtom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = internAtom(c, "_NET_FRAME_EXTENTS");
    if (const auto known = frameExtents(c, id, extents)) {
        return known;
    }
    if (!property32(c, root, internAtom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM)
             .contains(quint32(request))) {
        return std::nullopt;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(c);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kAnswerMs) {
        if (const auto answer = frameExtents(c, id, extents)) {
            return answer;
        }
        QThread::msleep(5);
    }
    return std::nullopt;
}
