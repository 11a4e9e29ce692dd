#pragma once

#include <QSocketNotifier>

#include <cstdint>
#include <functional>
#include <memory>

struct xcb_connection_t;

namespace trelvo::host {

// Watches the children of one X window on a connection of its own (so Qt's own event selection on
// that window stays untouched): a child window that arrives or is shown, and one that leaves, as the
// client's window does when F11 takes it to full screen and back. Inactive off X11.
class TX11ChildWatch {
public:
    explicit TX11ChildWatch(std::uint32_t Window);
    ~TX11ChildWatch();
    TX11ChildWatch(const TX11ChildWatch &) = delete;
    TX11ChildWatch &operator=(const TX11ChildWatch &) = delete;

    bool Active() const { return FNotifier != nullptr; }

    // A child was re-parented into the window or mapped inside it.
    std::function<void(std::uint32_t Child)> OnChildShown;
    // A child was re-parented out of the window or destroyed.
    std::function<void(std::uint32_t Child)> OnChildLeft;

private:
    void ReadEvents();

    std::uint32_t FWindow;
    xcb_connection_t *FConnection = nullptr;
    std::unique_ptr<QSocketNotifier> FNotifier;
};

} // namespace trelvo::host
