#pragma once

#include <cstdint>

namespace trelvo {

// Windows virtual-key codes: the codes in which the screens' key handling is written.
constexpr uint16_t VK_TAB = 9;
constexpr uint16_t VK_BACK = 8;
constexpr uint16_t VK_RETURN = 13;
constexpr uint16_t VK_ESCAPE = 27;
constexpr uint16_t VK_SPACE = 32;
constexpr uint16_t VK_LEFT = 37;
constexpr uint16_t VK_UP = 38;
constexpr uint16_t VK_RIGHT = 39;
constexpr uint16_t VK_DOWN = 40;
constexpr uint16_t VK_DELETE = 46;
constexpr uint16_t VK_F1 = 112;
constexpr uint16_t VK_F11 = 122;

// The virtual-key code of a Qt key (Qt::Key); 0 for a key without one here.
uint16_t VirtualKey(int QtKey);

} // namespace trelvo
