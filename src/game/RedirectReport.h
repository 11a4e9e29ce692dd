#pragma once

#include "game/api/IStatistics.h"
#include "protocol/LenientFields.h"

#include <optional>

namespace trelvo {

// The statistics report of another client, redirected here by the game server (subcode 22) so that
// this client posts it on that client's behalf: its fields in order, the further ones not read.
std::optional<TStatInfo> ReadRedirectReport(msg::TLenientReader &In);

} // namespace trelvo
