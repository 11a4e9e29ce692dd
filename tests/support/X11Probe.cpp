#include "X11Probe.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace trelvo::test {

namespace {
template <typename T> std::unique_ptr<T, decltype(&std::free)> Owned(T *reply) {
    return {reply, &std::free};
}
} // namespace

TX11Probe::TX11Probe() : FConnection(xcb_connect(nullptr, nullptr)) {}

TX11Probe::~TX11Probe() {
    for (uint32_t window : FWindows)
        xcb_destroy_window(FConnection, window);
    xcb_flush(FConnection);
    xcb_disconnect(FConnection);
}

bool TX11Probe::Connected() const {
    return xcb_connection_has_error(FConnection) == 0;
}

uint32_t TX11Probe::CreateWindow(int x, int y, int width, int height) {
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data;
    const xcb_window_t window = xcb_generate_id(FConnection);
    const uint32_t background = screen->white_pixel;
    xcb_create_window(FConnection, XCB_COPY_FROM_PARENT, window, screen->root, int16_t(x), int16_t(y),
                      uint16_t(width), uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL, &background);
    xcb_map_window(FConnection, window);
    xcb_flush(FConnection);
    FWindows.push_back(window);
    return window;
}

uint32_t TX11Probe::Parent(uint32_t window) const {
    auto reply = Owned(xcb_query_tree_reply(FConnection, xcb_query_tree(FConnection, window), nullptr));
    return reply ? reply->parent : 0;
}

uint32_t TX11Probe::Focus() const {
    auto reply = Owned(xcb_get_input_focus_reply(FConnection, xcb_get_input_focus(FConnection), nullptr));
    return reply ? reply->focus : 0;
}

std::vector<uint32_t> TX11Probe::Children(uint32_t window) const {
    auto reply = Owned(xcb_query_tree_reply(FConnection, xcb_query_tree(FConnection, window), nullptr));
    if (!reply)
        return {};
    const xcb_window_t *children = xcb_query_tree_children(reply.get());
    return {children, children + xcb_query_tree_children_length(reply.get())};
}

TX11Probe::TGeometry TX11Probe::Geometry(uint32_t window) const {
    auto reply = Owned(xcb_get_geometry_reply(FConnection, xcb_get_geometry(FConnection, window), nullptr));
    if (!reply)
        return {-1, -1, -1, -1};
    return {reply->x, reply->y, reply->width, reply->height};
}

bool TX11Probe::Viewable(uint32_t window) const {
    auto reply = Owned(xcb_get_window_attributes_reply(
        FConnection, xcb_get_window_attributes(FConnection, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

} // namespace trelvo::test
