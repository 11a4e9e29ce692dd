#include "netserver/ResultGate.h"

#include "server/Log.h"

namespace trelvo::net {

void TResultGate::Send(server::TConnId Conn, const QString &Message) {
    const auto held = FHeld.find(Conn);
    if (held == FHeld.end()) {
        if (OnSend)
            OnSend(Conn, Message);
        return;
    }
    if (static_cast<int>(held->second.Messages.size()) < kMaxHeldMessages) {
        held->second.Messages.push_back(Message);
    } else if (!held->second.Overflowed) {
        held->second.Overflowed = true;
        qCWarning(server::lcServer) << "store: connection" << Conn << "has" << kMaxHeldMessages
                                    << "messages waiting for a game to be stored; later ones are dropped";
    }
}

std::uint64_t TResultGate::Hold(const std::vector<server::TConnId> &Conns) {
    const std::uint64_t ticket = FNextTicket++;
    std::vector<server::TConnId> &held = FTickets[ticket];
    for (server::TConnId conn : Conns)
        if (conn >= 0) {
            ++FHeld[conn].Holds;
            held.push_back(conn);
        }
    return ticket;
}

void TResultGate::Release(std::uint64_t Ticket) {
    const auto ticket = FTickets.find(Ticket);
    if (ticket == FTickets.end())
        return;
    const std::vector<server::TConnId> conns = std::move(ticket->second);
    FTickets.erase(ticket);
    for (server::TConnId conn : conns) {
        const auto held = FHeld.find(conn);
        if (held == FHeld.end() || --held->second.Holds > 0)
            continue;
        std::deque<QString> messages = std::move(held->second.Messages);
        FHeld.erase(held);
        for (const QString &message : messages)
            if (OnSend)
                OnSend(conn, message);
    }
}

} // namespace trelvo::net
