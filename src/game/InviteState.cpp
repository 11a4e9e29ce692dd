#include "game/InviteState.h"

#include <algorithm>

namespace trelvo {

void TInviteState::Reset() {
    *this = TInviteState();
}

void TInviteState::GameResult(bool Won) {
    FAfterResult = Won;
    FGameRuns = false;
}

void TInviteState::Seats(const TPlayerList &List, const QString &OwnName) {
    const auto own = std::find_if(List.begin(), List.end(),
                                  [&](const TPlayer &Seat) { return Seat.Playrname == OwnName; });
    FOwnReady = !OwnName.isEmpty() && own != List.end() && own->PlayerState;
    // Those still playing keep their seats ready; this player's own seat says nothing about them.
    const bool othersReady = std::any_of(List.begin(), List.end(), [&](const TPlayer &Seat) {
        return Seat.PlayerState && Seat.Playrname != OwnName;
    });
    if (FAfterResult)
        FGameRuns = othersReady;
    else if (!othersReady)
        FGameRuns = false;
    FAfterResult = false;
}

} // namespace trelvo
