#pragma once

#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QWindow;

namespace trelvo {

// The one top-level surface: borderless, embedded into the chat window as a child, and taken out to
// full screen with F11 (Esc comes back).
class TMain_Form : public QWidget {
public:
    using TOnChangeFullScreen = std::function<void()>;

    static constexpr int kDesignWidth = 640;
    static constexpr int kDesignHeight = 480;
    // How long a change of parent waits for the window manager to let go of the window.
    static constexpr int kWindowManagerWaitMs = 1000;

    TMain_Form();
    ~TMain_Form() override;

    // The chat window's X11 id; 0 makes the window top-level again. A non-zero value is remembered.
    void SetParentWindow(WId Value);
    void SetOnChangeFullScreen(TOnChangeFullScreen handler) { FOnChangeFullScreen = std::move(handler); }

    WId ChatWindow() const { return FChatWindow; }

    // Handles one key-down (a virtual-key code, common/VirtualKeys.h): F11 toggles full screen, Esc
    // leaves it, and every key fires the full-screen notification. Every key pressed anywhere in this
    // window reaches it once, also when a widget inside (the scene, a window of it) handles its own keys.
    void FormKeyDown(uint16_t Key);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void EnterFullScreen();
    void LeaveFullScreen();

    WId FChatWindow = 0;
    TOnChangeFullScreen FOnChangeFullScreen;
    QRect FEmbeddedGeometry;
    // The wrapper of the foreign chat window; kept, since each wrapper is a window object of its own.
    std::unique_ptr<QWindow> FHostWindow;
};

} // namespace trelvo
