#pragma once

#include <QString>

#include <cstdint>

namespace trelvo::host {

// Which of the game server's messages go on to the client. The client reads a message's subcode as a
// number before anything else, and one that is not a number stops it in an error box: such a message
// never goes on. Of the rest, what a person cannot use faster than the client answers is held to that
// pace: a reachability check, a server report and a handed-on report each go on only once the client
// has answered the last one (or said it could not read a field, or kAnswerWaitMs have passed), and a
// table list only in answer to a request of the client's. Everything else goes on as it comes.
class TRelayGate {
public:
    enum class TVerdict { Pass, Unreadable, Surplus };
    // A client that never answers a check (a report it could not read) is not waited for longer.
    static constexpr std::int64_t kAnswerWaitMs = 30000;

    // NowMs: the UI clock's time.
    TVerdict FromServer(const QString &Message, std::int64_t NowMs);
    // A game-server message of the client's ("subcode;payload").
    void FromClient(const QString &Message);
    // The client could not read a field of a message (host code 23).
    void ClientError();
    // A new client: nothing is awaited.
    void Reset();

private:
    enum TAwaited { kCheck, kServerInfo, kRedirect, kAwaitedCount };

    // When each awaited answer's question went on, -1 when none is awaited.
    std::int64_t FAskedAt[kAwaitedCount] = {-1, -1, -1};
    bool FListAsked = false;
};

} // namespace trelvo::host
