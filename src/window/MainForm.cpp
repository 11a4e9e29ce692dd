#include "window/MainForm.h"

#include "common/VirtualKeys.h"
#include "window/X11Window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

namespace trelvo {

TMain_Form::TMain_Form() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setGeometry(0, 0, kDesignWidth, kDesignHeight);
    setFocusPolicy(Qt::StrongFocus);
    // The native window must exist before the host can re-parent it.
    winId();
    // F11 and Esc belong to this window whatever inside it has the focus or binds keys of its own.
    qApp->installEventFilter(this);
}

TMain_Form::~TMain_Form() {
    // A wrapper deletes its child windows: let go of the host before the wrapper goes.
    if (QWindow *native = windowHandle())
        native->setParent(nullptr);
}

void TMain_Form::SetParentWindow(WId Value) {
    if (Value != 0)
        FChatWindow = Value;
    QWindow *native = windowHandle();
    if (!native)
        return;
    // A mapped top-level window may be under the window manager's control (or about to be): it would
    // take the window back into its frame. Unmapped, the window changes parent cleanly.
    const bool wasVisible = isVisible();
    if (wasVisible) {
        const bool managed = native->parent() == nullptr;
        hide();
        if (managed)
            WaitUntilReleasedByWindowManager(winId(), kWindowManagerWaitMs);
    }
    if (Value == 0) {
        native->setParent(nullptr);
        FHostWindow.reset();
    } else if (!FHostWindow || FHostWindow->winId() != Value) {
        std::unique_ptr<QWindow> host(QWindow::fromWinId(Value));
        native->setParent(host.get());
        FHostWindow = std::move(host);
    } else {
        native->setParent(FHostWindow.get());
    }
    if (wasVisible)
        show();
}

void TMain_Form::FormKeyDown(uint16_t Key) {
    if (Key == VK_F11) {
        if (isFullScreen())
            LeaveFullScreen();
        else
            EnterFullScreen();
    } else if (Key == VK_ESCAPE && isFullScreen()) {
        LeaveFullScreen();
    }
    if (FOnChangeFullScreen)
        FOnChangeFullScreen();
}

bool TMain_Form::eventFilter(QObject *Watched, QEvent *Event) {
    // A key press comes to this window's QWindow once, before the widget with the focus (and, when that
    // one ignores it, each of its parents) gets it: counted there, every press counts once, whichever
    // widget takes it and wherever its release went.
    if (Event->type() == QEvent::KeyPress && Watched->isWindowType() && Watched == windowHandle())
        FormKeyDown(VirtualKey(static_cast<QKeyEvent *>(Event)->key()));
    return false;
}

void TMain_Form::EnterFullScreen() {
    FEmbeddedGeometry = geometry();
    // A child window un-parented while mapped is never managed by the window manager, which is what
    // makes full screen work: unmap it first, so that showing it maps it anew as a top-level window.
    hide();
    SetParentWindow(0);
    showFullScreen();
    activateWindow();
}

void TMain_Form::LeaveFullScreen() {
    // Re-embedding a full-screen window in place lands it at a wrong offset: hide it and drop the
    // full-screen state first, then re-parent, restore the place and show it again.
    hide();
    WaitUntilReleasedByWindowManager(winId(), kWindowManagerWaitMs);
    setWindowState(Qt::WindowNoState);
    SetParentWindow(FChatWindow);
    setGeometry(FEmbeddedGeometry);
    show();
}

} // namespace trelvo
