#pragma once

// Every duration of the picture widgets and the lobby windows, in one place, with its unit in the name.
namespace trelvo::LobbyTimings {

// Picture buttons and two-picture images cross-fade between their states.
constexpr double kPicButtonFadeSeconds = 0.2;
constexpr double kHintImageFadeSeconds = 0.2;
// A hint appears after the pointer rested this long, then fades in.
constexpr int kHintDelayMs = 500;
constexpr double kHintFadeSeconds = 0.3;
// A framed window fades in and out; a message box closes itself after five minutes.
constexpr double kWindowFadeSeconds = 0.2;
constexpr int kWindowAutoCloseMs = 300000;
// The table list's rule icons cross-fade.
constexpr double kTableIconFadeSeconds = 0.1;
// The waiting room's countdown ticks once a second and freezes at three.
constexpr int kCountdownTickMs = 1000;
constexpr int kCountdownFreezeSeconds = 3;

} // namespace trelvo::LobbyTimings
