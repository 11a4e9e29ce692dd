#pragma once

#include "server/GameServer.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

namespace trelvo::net {

// Between the game server and the players' connections: what the players of a finished game are sent
// from its end on (the result first) waits until the store has the game, then goes out in order. A
// result is durable before anyone is told it. Game thread only.
class TResultGate {
public:
    using TSend = std::function<void(server::TConnId Conn, const QString &Message)>;
    // What a connection may have waiting; past it, later messages are dropped (and logged once).
    static constexpr int kMaxHeldMessages = 1000;

    // Where messages go out: the network server's send.
    TSend OnSend;

    // A game-server message: out at once, or behind what is held for the connection.
    void Send(server::TConnId Conn, const QString &Message);
    // Holds the connections (-1 is skipped) until the ticket is released.
    std::uint64_t Hold(const std::vector<server::TConnId> &Conns);
    void Release(std::uint64_t Ticket);
    // Connections with messages held.
    std::size_t Held() const { return FHeld.size(); }

private:
    struct THeld {
        int Holds = 0;
        std::deque<QString> Messages;
        bool Overflowed = false;
    };

    std::map<server::TConnId, THeld> FHeld;
    std::map<std::uint64_t, std::vector<server::TConnId>> FTickets;
    std::uint64_t FNextTicket = 1;
};

} // namespace trelvo::net
