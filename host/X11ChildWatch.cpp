#include "host/X11ChildWatch.h"

#include "host/HostLog.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace trelvo::host {

TX11ChildWatch::TX11ChildWatch(std::uint32_t Window) : FWindow(Window) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return;
    FConnection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(FConnection)) {
        qCWarning(lcHost) << "cannot watch the game area: no X connection";
        return;
    }
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(FConnection, FWindow, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(FConnection);
    FNotifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(FConnection), QSocketNotifier::Read);
    QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
}

TX11ChildWatch::~TX11ChildWatch() {
    FNotifier.reset();
    if (FConnection)
        xcb_disconnect(FConnection);
}

void TX11ChildWatch::ReadEvents() {
    while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection)) {
        switch (event->response_type & 0x7f) {
        case XCB_MAP_NOTIFY: {
            auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (map->event == FWindow && map->window != FWindow && OnChildShown)
                OnChildShown(map->window);
            break;
        }
        case XCB_REPARENT_NOTIFY: {
            auto *reparent = reinterpret_cast<xcb_reparent_notify_event_t *>(event);
            if (reparent->event != FWindow)
                break;
            if (reparent->parent == FWindow) {
                if (OnChildShown)
                    OnChildShown(reparent->window);
            } else if (OnChildLeft) {
                OnChildLeft(reparent->window);
            }
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            auto *destroy = reinterpret_cast<xcb_destroy_notify_event_t *>(event);
            if (destroy->event == FWindow && OnChildLeft)
                OnChildLeft(destroy->window);
            break;
        }
        default:
            break;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(FConnection)) {
        qCWarning(lcHost) << "the game area's X connection broke";
        FNotifier.reset();
    }
}

} // namespace trelvo::host
