#pragma once

// The longest name a person may play under, in UTF-16 units: what the host's settings window lets one
// type is what trelvo-server accepts.
namespace trelvo {

inline constexpr int kMaxNameLength = 32;

} // namespace trelvo
