#pragma once

#include <QString>

#include <functional>

namespace trelvo::host {

// The game server as the relay sees it: one connection per logged-in player, messages as
// "subcode;payload" both ways. The program plugs in the in-process Durak server; tests a scripted one.
class IGameServer {
public:
    using TConnId = int;

    virtual ~IGameServer() = default;

    // One message from the server to a connected player.
    std::function<void(TConnId Conn, const QString &Message)> OnSend;
    // Whether the server can be reached, in words for the player (a server on the network says so).
    std::function<void(bool Connected, const QString &Text)> OnStatus;
    // The game server stopped, ending the games in progress without a result: the client is told that
    // the server left, and play resumes with the next version check once it is back.
    std::function<void()> OnServerLeft;

    // A player logs in; the server may answer through OnSend before this returns.
    virtual TConnId Connect(const QString &PlayerName) = 0;
    virtual void Receive(TConnId Conn, const QString &Message) = 0;
    virtual void Disconnect(TConnId Conn) = 0;
};

} // namespace trelvo::host
