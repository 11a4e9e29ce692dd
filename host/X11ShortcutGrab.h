#pragma once

#include <QList>
#include <QSocketNotifier>

#include <cstdint>
#include <memory>
#include <vector>

class QAction;
struct xcb_connection_t;

namespace trelvo::host {

// The chat window's shortcuts for all of it, also while the game embedded in it has the keyboard. The game
// is another program's X window inside ours, so its key presses never reach Qt's shortcut handling here;
// a passive key grab on the chat window's own X window makes the X server hand each shortcut's keys to
// this program whichever window inside holds the focus, as a chat client's shortcuts work. The grab
// covers only windows inside the chat window: the game in full screen, or a dialog, keeps its keys.
// It lives on a connection of its own, so Qt's own key handling is untouched. Inactive off X11.
class TX11ShortcutGrab {
public:
    // Grabs each action's shortcut (its first key sequence, one key with modifiers) on Window.
    TX11ShortcutGrab(std::uint32_t Window, const QList<QAction *> &Actions);
    ~TX11ShortcutGrab();
    TX11ShortcutGrab(const TX11ShortcutGrab &) = delete;
    TX11ShortcutGrab &operator=(const TX11ShortcutGrab &) = delete;

    // How many shortcuts are grabbed; 0 off X11.
    int Grabbed() const { return static_cast<int>(FGrabs.size()); }

private:
    struct TGrab {
        std::uint8_t KeyCode;
        std::uint16_t Modifiers;
        QAction *Action;
    };
    void ReadEvents();

    std::uint32_t FWindow;
    xcb_connection_t *FConnection = nullptr;
    std::vector<TGrab> FGrabs;
    std::unique_ptr<QSocketNotifier> FNotifier;
};

} // namespace trelvo::host
