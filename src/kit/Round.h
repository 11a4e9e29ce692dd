#pragma once

#include <cmath>

namespace trelvo {

// Rounds to the nearest integer, a half going to the even neighbour (274.5 -> 274, 303.5 -> 304,
// -3.5 -> -4). Every rounded layout value goes through it, so that layouts come out the same as the
// positions the screens were designed with.
inline int Round(double value) {
    const double down = std::floor(value);
    const double rest = value - down;
    if (rest > 0.5)
        return static_cast<int>(down) + 1;
    if (rest < 0.5)
        return static_cast<int>(down);
    const int even = static_cast<int>(down);
    return (even % 2 == 0) ? even : even + 1;
}

} // namespace trelvo
