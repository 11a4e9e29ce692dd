#pragma once

#include <cstdint>
#include <initializer_list>

struct xcb_connection_t;

namespace trelvo::host {

// The key code that produces the keysym on the connection's keyboard (unshifted or shifted), 0 for none.
std::uint8_t X11KeyCode(xcb_connection_t *Connection, std::uint32_t KeySym);

// Real pointer and key input through the X server's test extension, on a connection of its own: the
// events reach whatever window is under the pointer, exactly as a person's would.
class TX11Input {
public:
    TX11Input();
    ~TX11Input();
    TX11Input(const TX11Input &) = delete;
    TX11Input &operator=(const TX11Input &) = delete;

    bool Available() const { return FAvailable; }
    // Moves the pointer to a point of the root window.
    void MoveTo(int RootX, int RootY);
    // Moves there and clicks the first button.
    void Click(int RootX, int RootY);
    // Presses and releases the key that produces the given keysym (for example 0xffc8, F11).
    bool Key(std::uint32_t KeySym);
    // Presses the keys in order and releases them in reverse: {0xffe3, 'm'} is Ctrl+M.
    bool Chord(std::initializer_list<std::uint32_t> KeySyms);
    // Only presses, or only releases, a key: a person's key stays down while the window reacts.
    bool KeyDown(std::uint32_t KeySym);
    bool KeyUp(std::uint32_t KeySym);
    // Where a window's top-left corner lies on the root window.
    bool RootPosition(std::uint32_t Window, int &RootX, int &RootY);

private:
    bool FakeKey(std::uint8_t Type, std::uint32_t KeySym);
    void Fake(std::uint8_t Type, std::uint8_t Detail, int RootX = 0, int RootY = 0);

    xcb_connection_t *FConnection = nullptr;
    bool FAvailable = false;
};

} // namespace trelvo::host
