#pragma once

#include "common/Clock.h"
#include "server/ServerTimings.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// The Durak game server: lobby, tables, games and bot players behind the game-server layer of the host
// protocol (host code 7). No I/O of its own: the host hands it each client's messages and sends what
// OnSend gives it. Every timer runs on the given clock.
namespace trelvo::server {

using TConnId = int;

// Row of server/BotLevels.cpp's table; the first three have names here.
enum class TBotLevel { Easy, Normal, Hard };

// The most tables one table list holds: a person reads a few dozen rows, and every connected person may
// open a table, so the whole lobby would outgrow any message a peer takes.
inline constexpr int kMaxListedTables = 200;
class IBotBrain;

struct TServerOptions {
    int LobbyBotTables = 3; // tables of both variants where bots wait, listed in the lobby at start
    int AutoJoinBots = 2;   // bots (1..3) that join a table a connected player creates
    TBotLevel Level = TBotLevel::Normal;
    // The times: server/ServerTimings.h says what each is.
    int BotThinkMinMs = kBotThinkMinMs, BotThinkMaxMs = kBotThinkMaxMs;
    int TimeGoSeconds = kTimeGoSeconds;
    int CountdownTickMs = kCountdownTickMs;
    int RoundEndPauseMs = kRoundEndPauseMs;
    // -1: AutoJoinBots bots sit down as a person creates a table. Otherwise no bot sits down then; when
    // positive, a bot takes a free seat of a waiting table with a person at it after so many ms without
    // a new person (the network server's --bot-fill).
    int BotFillMs = -1;
    // Makes each new bot's brain (matches and benchmarks set the budget this way); unset, the level's
    // usual brain.
    std::function<std::unique_ptr<IBotBrain>(TBotLevel)> MakeBrain;
};

// The three options of a table.
struct TTableRules {
    bool Transfer = false;         // "Переводной": the defender may pass the attack on
    bool FirstNotTransfer = false; // no transfer in the game's first bout
    bool MaxFive = false;          // at most five cards in the game's first bout
    bool operator==(const TTableRules &) const = default;
};

// How one game ended, for tests, benchmarks, the host's log and the network server's store. By game
// index: the waiting-room slot, the result (0 lost, 1 won, 2 draw), the name and whether a bot sat
// there. Bouts counts the bouts played; Seed alone deals the game's cards and picks its first attacker
// again; StartedMs and EndedMs are the server clock's times of the first deal and of the end.
struct TGameRecord {
    int TableID = 0;
    std::vector<int> Slots;
    std::vector<int> Results;
    int Bouts = 0;
    TTableRules Rules;
    std::vector<QString> Names;
    std::vector<bool> Bots;
    std::uint64_t Seed = 0;
    std::int64_t StartedMs = 0, EndedMs = 0;
    // The connections told the result, by game index (-1: the seat was left); told after the record.
    std::vector<TConnId> Conns;
};

class TLobby;

class TGameServer {
public:
    TGameServer(TClock &Clock, std::uint64_t Seed, TServerOptions Options = {});
    ~TGameServer();
    TGameServer(const TGameServer &) = delete;
    TGameServer &operator=(const TGameServer &) = delete;

    // One game-server message to a connected client: "subcode;payload" (the host puts "7;" in front).
    // It may be called from inside Connect and Receive.
    std::function<void(TConnId, const QString &)> OnSend;
    // Told after every game (bot tables too), just before its players are sent the result: a network
    // server may hold what they are sent until the game is stored.
    std::function<void(const TGameRecord &)> OnGameOver;

    // A client (the human's plug-in) logs in; the server answers with the version check (subcode 1).
    TConnId Connect(const QString &PlayerName);
    // One message from the client: "subcode;payload" as the client sends it after "7;".
    void Receive(TConnId Conn, const QString &Message);
    void Disconnect(TConnId Conn);
    // The server stops: every game in progress ends without a result (OnGameOver is not told of it), so
    // that a stop rates nobody and records nobody as a loser. Done before the connections are dropped.
    void AbortGames();

    // A table of bots only that plays game after game (tests, benchmarks, a demo). Returns its id.
    int OpenBotTable(const TTableRules &Rules, const std::vector<TBotLevel> &Bots);
    // Requests refused so far (out of turn, against the rules, malformed); each is also logged.
    int RefusedRequests() const;

private:
    std::unique_ptr<TLobby> FLobby;
};

} // namespace trelvo::server
