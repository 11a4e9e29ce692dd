#include "window/X11Window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>

#include <xcb/xcb.h>

#include <cstdlib>

namespace trelvo {

namespace {

// The window's parent as the X server has it, or 0 when it cannot be asked.
xcb_window_t ParentOf(xcb_connection_t *connection, xcb_window_t window, xcb_window_t &root) {
    xcb_query_tree_reply_t *reply =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (!reply)
        return 0;
    root = reply->root;
    const xcb_window_t parent = reply->parent;
    std::free(reply);
    return parent;
}

} // namespace

void WaitUntilReleasedByWindowManager(WId Window, int TimeoutMs) {
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    xcb_connection_t *connection = x11->connection();
    const auto window = static_cast<xcb_window_t>(Window);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        xcb_window_t root = 0;
        const xcb_window_t parent = ParentOf(connection, window, root);
        if (parent == 0 || parent == root || waited.elapsed() >= TimeoutMs)
            break;
        QThread::msleep(5);
    }
    // Let Qt read what the window manager said meanwhile (its state changes), so that they cannot
    // arrive after the window has been given its new parent and state. Input and the pipe wait.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}

} // namespace trelvo
