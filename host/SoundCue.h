#pragma once

#include "host/Sounds.h"

#include <QString>

#include <functional>

namespace trelvo::host {

// Hears the game-server messages the plug-in relays to the client and says which sounds they ask for.
// The player's own seat is found as the client finds it: by the name in the game's start.
class TSoundCue {
public:
    explicit TSoundCue(QString PlayerName);

    // One relayed message, "subcode;payload"; a message that is not understood asks for nothing.
    void ServerMessage(const QString &Message);

    std::function<void(TSound Sound)> OnSound;

private:
    void Play(TSound Sound);
    void TurnPassed(int NextID);

    QString FPlayerName;
    int FMyID = -1;
};

} // namespace trelvo::host
