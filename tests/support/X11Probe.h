#pragma once

#include <cstdint>
#include <vector>

struct xcb_connection_t;

namespace trelvo::test {

// The X server's own view of windows, on a connection of its own (Qt's view may lag behind it).
// It can also make a plain window that stands for the chat client's window.
class TX11Probe {
public:
    struct TGeometry {
        int X = 0, Y = 0, Width = 0, Height = 0; // relative to the parent
        bool operator==(const TGeometry &) const = default;
    };

    TX11Probe();
    ~TX11Probe();
    TX11Probe(const TX11Probe &) = delete;
    TX11Probe &operator=(const TX11Probe &) = delete;

    bool Connected() const;
    // A mapped top-level window of the given place and size, destroyed with the probe.
    uint32_t CreateWindow(int x, int y, int width, int height);

    uint32_t Parent(uint32_t window) const; // 0 when the window does not exist
    std::vector<uint32_t> Children(uint32_t window) const;
    TGeometry Geometry(uint32_t window) const;
    bool Viewable(uint32_t window) const;
    // The window that has the keyboard focus (0 for none, 1 for the pointer's root).
    uint32_t Focus() const;

private:
    xcb_connection_t *FConnection;
    std::vector<uint32_t> FWindows;
};

} // namespace trelvo::test
