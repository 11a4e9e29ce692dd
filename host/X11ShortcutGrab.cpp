#include "host/X11ShortcutGrab.h"

#include "host/HostLog.h"
#include "host/X11Input.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeySequence>
#include <QPointer>

#include <xcb/xcb.h>

#include <cstdlib>

namespace trelvo::host {

namespace {

// Caps Lock and Num Lock (the usual second modifier) change nothing about a shortcut: each grab is made
// for every combination of them, and they are ignored in the presses that come.
constexpr std::uint16_t kLockMasks[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                        XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr std::uint16_t kShortcutMasks =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

// The X keysym of a Qt key as the menus use them: Latin-1 characters (letters in lower case) and F1-F35.
std::uint32_t KeySymOf(int Key) {
    if (Key >= Qt::Key_A && Key <= Qt::Key_Z)
        return static_cast<std::uint32_t>(Key - Qt::Key_A + 'a');
    if (Key >= Qt::Key_Space && Key <= Qt::Key_AsciiTilde)
        return static_cast<std::uint32_t>(Key);
    if (Key >= Qt::Key_F1 && Key <= Qt::Key_F35)
        return static_cast<std::uint32_t>(0xffbe + (Key - Qt::Key_F1));
    return 0;
}

std::uint16_t ModifiersOf(Qt::KeyboardModifiers Modifiers) {
    std::uint16_t mask = 0;
    if (Modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (Modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (Modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (Modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

} // namespace

TX11ShortcutGrab::TX11ShortcutGrab(std::uint32_t Window, const QList<QAction *> &Actions) : FWindow(Window) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return;
    FConnection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(FConnection)) {
        qCWarning(lcHost) << "cannot grab the menu's shortcuts: no X connection";
        return;
    }
    for (QAction *action : Actions) {
        const QKeySequence keys = action->shortcut();
        if (keys.isEmpty())
            continue;
        const QKeyCombination combination = keys[0];
        const std::uint8_t code = X11KeyCode(FConnection, KeySymOf(combination.key()));
        if (code == 0) {
            qCWarning(lcHost).noquote() << "no key on this keyboard for the shortcut" << keys.toString();
            continue;
        }
        const std::uint16_t modifiers = ModifiersOf(combination.keyboardModifiers());
        for (std::uint16_t lock : kLockMasks) {
            xcb_generic_error_t *error = xcb_request_check(
                FConnection, xcb_grab_key_checked(FConnection, 1, FWindow, modifiers | lock, code,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            if (error) {
                // Another program holds these keys on our window: the shortcut still works from the menu.
                qCWarning(lcHost).noquote() << "the shortcut" << keys.toString() << "is taken";
                std::free(error);
            }
        }
        FGrabs.push_back({code, modifiers, action});
    }
    FNotifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(FConnection), QSocketNotifier::Read);
    QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] { ReadEvents(); });
}

TX11ShortcutGrab::~TX11ShortcutGrab() {
    FNotifier.reset();
    if (FConnection) {
        // The grabs end with the connection.
        xcb_disconnect(FConnection);
    }
}

void TX11ShortcutGrab::ReadEvents() {
    std::vector<QPointer<QAction>> due;
    while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection)) {
        if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
            auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
            const std::uint16_t modifiers = press->state & kShortcutMasks;
            for (const TGrab &grab : FGrabs)
                if (grab.KeyCode == press->detail && grab.Modifiers == modifiers)
                    due.emplace_back(grab.Action);
        }
        std::free(event);
    }
    // Triggered once the queue is read: an action may open a modal window that runs its own event loop.
    for (const QPointer<QAction> &action : due)
        if (action && action->isEnabled())
            action->trigger();
}

} // namespace trelvo::host
