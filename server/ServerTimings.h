#pragma once

// Every time of the game server in one place: the defaults of its options and the fixed ones. Flags
// that change a default: trelvo-host --bot-think-ms, --countdown-tick-ms, --round-end-pause-ms;
// trelvo-server --bot-fill. The rest are fixed.
namespace trelvo::server {

// A table's countdown before a game, and when in it a player not ready is let go.
inline constexpr int kCountdownSeconds = 10;
inline constexpr int kReadyDeadlineSeconds = 3;
// One second of that countdown (tests and benches shorten it).
inline constexpr int kCountdownTickMs = 1000;
// A player's turn; run out once, the obvious move is made; twice in a row, the player is removed.
inline constexpr int kTimeGoSeconds = 30;
// How long a bot thinks before a move, at random between the two.
inline constexpr int kBotThinkMinMs = 500;
inline constexpr int kBotThinkMaxMs = 1500;
// The clients show a bout's end (the plate slides up, counts three seconds, then the cards fly away:
// 4.2 s): bots lead the next bout only after it, with a little room for a slow client.
inline constexpr int kRoundEndPauseMs = 4500;
// A table with a person at it and nothing happening closes after this; so close to it, it is no longer
// offered in the lobby's list.
inline constexpr int kIdleCloseMs = 5 * 60 * 1000;
inline constexpr int kIdleUnlistedMs = 30 * 1000;

} // namespace trelvo::server
