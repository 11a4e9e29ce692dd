#pragma once

#include "game/api/CardModel.h"

#include <QString>

namespace trelvo {

// What the waiting room's own controls show, as the game server last said it: this player's readiness in
// the table's list, and whether a game this player went out of still runs at the table. The server keeps
// the seats of those still playing ready and resets every seat when the game ends, so the first list after
// a result tells whether the others play on, and a list with nobody ready tells that they stopped.
class TInviteState {
public:
    // A new table, or a game starting at this one: nothing runs without this player.
    void Reset();
    // This player's result arrived. Only a winner can leave a game that goes on: then the table's next
    // list tells whether the others play on.
    void GameResult(bool Won);
    // The table's seats as the server listed them; OwnName finds this player's seat.
    void Seats(const TPlayerList &List, const QString &OwnName);

    bool OwnReady() const { return FOwnReady; }
    bool GameRuns() const { return FGameRuns; }

private:
    bool FOwnReady = false;
    bool FGameRuns = false;
    bool FAfterResult = false;
};

} // namespace trelvo
