#pragma once

#include "game/api/IStatistics.h"
#include "protocol/LenientFields.h"

#include <optional>

namespace trelvo {

// The statistics report of another client, redirected here by the game server (subcode 22) so that
// this client posts it on that client's behalf: its fields in order, the further ones not read. Empty
// when its scale does not convert: a report is posted as it was written or not at all, and the reader
// has answered it as a bad field.
std::optional<TStatInfo> ReadRedirectReport(msg::TLenientReader &In);

} // namespace trelvo
