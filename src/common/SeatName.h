#pragma once

#include <cstdlib>
#include <string>

namespace trelvo {

// The client's pipe and single-instance names are machine-wide. A second host and client on the same
// machine (tests, trying two seats of one table) set TRELVO_SEAT to a short word that both append;
// unset, the names are exactly the base names. Only letters, digits, '-' and '_' count, at most 16.
inline std::string SeatName(const std::string &Base) {
    const char *seat = std::getenv("TRELVO_SEAT");
    if (!seat || !*seat)
        return Base;
    std::string suffix;
    for (const char *c = seat; *c && suffix.size() < 16; ++c)
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '-' ||
            *c == '_')
            suffix += *c;
    return suffix.empty() ? Base : Base + "-" + suffix;
}

} // namespace trelvo
