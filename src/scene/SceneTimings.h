#pragma once

// Every duration of the game table in one place. Animation lengths are in seconds (the toolkit's
// unit for animations), timer intervals in milliseconds; the unit is in each name.
namespace trelvo::scene {

// Cards.
constexpr double kCardFlightSeconds = 0.5;      // a card flying to or from the playing place
constexpr double kHandCardFlightSeconds = 0.1;  // a hand card lifting under the pointer and back
constexpr double kCardLightsFadeSeconds = 0.05; // the yellow veil of a playable card

// Seats and bars.
constexpr int kClickDeferralMs = 1;             // a card click is handled after the sprite's own event
constexpr double kTakeMarkBlinkSeconds = 1.0;   // one way of the blinking take mark
constexpr double kIndicatorFadeSeconds = 0.2;   // the defender pointer fading in or out
constexpr int kTurnClockTickMs = 1000;          // one second of the turn clock
constexpr double kNickBarFadeSeconds = 0.4;     // an opponent's name plate lighting up
constexpr double kPlaceLightsFadeSeconds = 0.2; // a cover or transfer marker changing state

// Round end and turn cue.
constexpr int kRoundEndSeconds = 3;             // the countdown before the pick-up or discard
constexpr int kRoundEndTickMs = 1000;           // one step of that countdown
constexpr double kRoundEndSlideSeconds = 0.7;   // the plate sliding up
constexpr double kRoundEndFadeSeconds = 0.3;    // the plate fading at zero
constexpr double kYourTurnFadeInSeconds = 0.4;  // the your-turn picture appearing
constexpr int kYourTurnStayMs = 500;            // and staying
constexpr double kYourTurnFadeOutSeconds = 0.7; // and fading away

} // namespace trelvo::scene
