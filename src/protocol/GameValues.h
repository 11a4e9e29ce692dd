#pragma once

// Values that travel inside game-server messages and that both ends give a meaning to.
namespace trelvo {

// Status of the version check (subcode 1).
namespace VersionStatus {
constexpr int kPluginOutdated = 0;
constexpr int kAccepted = 1;
constexpr int kChatOutdated = 2;
} // namespace VersionStatus

// CoverKind of a cover report (subcode 14): who moves next.
namespace CoverKind {
// Every attack card is covered: the thrower-in named as NextID may add a card or end the bout.
constexpr int kAllCovered = 0;
// Nothing changes hands: the turn stays where it is.
constexpr int kTurnStays = 1;
// Attack cards are still open: the defender named as NextID goes on covering.
constexpr int kOpenCardsLeft = 2;
} // namespace CoverKind

} // namespace trelvo
