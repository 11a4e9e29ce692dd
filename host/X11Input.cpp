#include "host/X11Input.h"

#include "host/HostLog.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace trelvo::host {

namespace {

template <typename T> std::unique_ptr<T, decltype(&std::free)> Owned(T *Reply) {
    return {Reply, &std::free};
}

} // namespace

std::uint8_t X11KeyCode(xcb_connection_t *Connection, std::uint32_t KeySym) {
    const xcb_setup_t *setup = xcb_get_setup(Connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto mapping = Owned(xcb_get_keyboard_mapping_reply(
        Connection, xcb_get_keyboard_mapping(Connection, setup->min_keycode, count), nullptr));
    if (!mapping)
        return 0;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perCode = mapping->keysyms_per_keycode;
    for (int column = 0; column < perCode && column < 2; ++column)
        for (int code = 0; code < count; ++code)
            if (syms[code * perCode + column] == KeySym)
                return static_cast<std::uint8_t>(setup->min_keycode + code);
    return 0;
}

TX11Input::TX11Input() {
    FConnection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(FConnection))
        return;
    const xcb_query_extension_reply_t *xtest = xcb_get_extension_data(FConnection, &xcb_test_id);
    FAvailable = xtest && xtest->present;
    if (!FAvailable)
        qCWarning(lcHost) << "the X server has no test extension: no pointer input";
}

TX11Input::~TX11Input() {
    if (FConnection)
        xcb_disconnect(FConnection);
}

void TX11Input::Fake(std::uint8_t Type, std::uint8_t Detail, int RootX, int RootY) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
    xcb_test_fake_input(FConnection, Type, Detail, XCB_CURRENT_TIME, root, static_cast<int16_t>(RootX),
                        static_cast<int16_t>(RootY), 0);
}

void TX11Input::MoveTo(int RootX, int RootY) {
    if (!FAvailable)
        return;
    Fake(XCB_MOTION_NOTIFY, 0, RootX, RootY);
    xcb_flush(FConnection);
}

void TX11Input::Click(int RootX, int RootY) {
    if (!FAvailable)
        return;
    Fake(XCB_MOTION_NOTIFY, 0, RootX, RootY);
    Fake(XCB_BUTTON_PRESS, 1);
    Fake(XCB_BUTTON_RELEASE, 1);
    // A round trip: the events are in the server's queue when this returns.
    Owned(xcb_get_input_focus_reply(FConnection, xcb_get_input_focus(FConnection), nullptr));
}

bool TX11Input::Key(std::uint32_t KeySym) {
    return Chord({KeySym});
}

bool TX11Input::Chord(std::initializer_list<std::uint32_t> KeySyms) {
    if (!FAvailable)
        return false;
    std::vector<std::uint8_t> codes;
    for (std::uint32_t keySym : KeySyms) {
        codes.push_back(X11KeyCode(FConnection, keySym));
        if (codes.back() == 0)
            return false;
    }
    for (std::uint8_t code : codes)
        Fake(XCB_KEY_PRESS, code);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code)
        Fake(XCB_KEY_RELEASE, *code);
    Owned(xcb_get_input_focus_reply(FConnection, xcb_get_input_focus(FConnection), nullptr));
    return true;
}

bool TX11Input::KeyDown(std::uint32_t KeySym) {
    return FakeKey(XCB_KEY_PRESS, KeySym);
}

bool TX11Input::KeyUp(std::uint32_t KeySym) {
    return FakeKey(XCB_KEY_RELEASE, KeySym);
}

bool TX11Input::FakeKey(std::uint8_t Type, std::uint32_t KeySym) {
    const std::uint8_t code = FAvailable ? X11KeyCode(FConnection, KeySym) : 0;
    if (code == 0)
        return false;
    Fake(Type, code);
    Owned(xcb_get_input_focus_reply(FConnection, xcb_get_input_focus(FConnection), nullptr));
    return true;
}

bool TX11Input::RootPosition(std::uint32_t Window, int &RootX, int &RootY) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
    auto reply = Owned(xcb_translate_coordinates_reply(
        FConnection, xcb_translate_coordinates(FConnection, Window, root, 0, 0), nullptr));
    if (!reply)
        return false;
    RootX = reply->dst_x;
    RootY = reply->dst_y;
    return true;
}

} // namespace trelvo::host
