#pragma once

#include <cstdint>

// Every time the thread helpers and the pipe transport wait, look again or give up, in one place.
namespace trelvo {

// Connecting: how long a full backlog is tried again when the caller gives 0, and the pause between
// tries.
constexpr std::uint32_t kConnectDefaultWaitMs = 50;
constexpr long kConnectRetryNs = 1'000'000;

// How long a worker told to stop still lets a pending write or read finish.
constexpr int kKillGraceMs = 100;
// The peer reading a packet wakes the worker; while a write waits it also looks this often, in case a
// wake-up was lost (at most 10 wake-ups a second for a peer that never reads).
constexpr int kWriteCheckMs = 100;

// A connection that has had nothing to do for this long gives the pages of its last large message back.
constexpr int kIdlePagesMs = 1000;

// A wait for a condition that other threads change without a message looks at it this often.
constexpr int kConditionLookMs = 5;

} // namespace trelvo
