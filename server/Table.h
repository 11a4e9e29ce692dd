#pragma once

#include "common/Clock.h"
#include "protocol/ClientMessages.h"
#include "protocol/GameOutcome.h"
#include "protocol/ServerMessages.h"
#include "server/Durak.h"
#include "server/GameServer.h"
#include "server/ServerTimings.h"

#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace trelvo::server {

// What a table needs from the server around it.
class ITableHost {
public:
    virtual ~ITableHost() = default;
    // Bots in this process read the message as it is; everyone else gets its text.
    virtual void Send(TConnId Conn, const msg::TServerMessage &Message) = 0;
    virtual QString NameOf(TConnId Conn) const = 0;
    virtual bool IsBot(TConnId Conn) const = 0;
    // The table let a player go (kicked, closed, removed from a game).
    virtual void LeftTable(TConnId Conn) = 0;
    virtual void GameOver(const TGameRecord &Record) = 0;
    // A note for a person's host alone (bots get none): it is no game message.
    virtual void TellHost(TConnId Conn, const QString &Note) = 0;
    virtual TRandom &Rng() = 0;
    virtual void Refused(TConnId Conn, const char *Why) = 0;
};

// One table: four waiting-room slots, readiness and the countdown, then games one after another,
// each player told the game in their own view. Slots are the players' ids in the game, so play goes
// clockwise in slot order.
class TTable {
public:
    static constexpr int kSlots = 4;

    // BotsPlayAlone: bots start games without a person at the table (bot tables of tests and benches).
    TTable(int ID, const TTableRules &Rules, bool BotsPlayAlone, int TimeGoSeconds, int CountdownTickMs,
           ITableHost &Host, TClock &Clock);
    ~TTable();

    int ID() const { return FID; }
    const TTableRules &Rules() const { return FRules; }
    int PlayerCount() const;
    int HumanCount() const;
    bool Playing() const { return FGame != nullptr; }
    bool Full() const { return PlayerCount() == kSlots; }
    bool Has(TConnId Conn) const { return SlotOf(Conn) >= 0; }
    // A person sits at it and it closes for idleness within kIdleUnlistedMs.
    bool ClosingSoon() const;
    std::vector<TConnId> Seated() const;
    const TDurakGame *Game() const { return FGame.get(); }

    // Sits the player at the first free slot; false when the table is full or playing.
    bool Seat(TConnId Conn);
    // The player leaves (the waiting room, or the connection is gone); in a game that is a removal.
    void Leave(TConnId Conn);
    void SetReady(TConnId Conn, bool Ready);
    // A move of the game.
    void Request(TConnId Conn, const msg::TClientMessage &Request);
    // Closed for idleness: every person at it gets 4 and goes; the bots stay.
    void Close();
    // The server stops (or loses the table): the running game ends without a result. Nobody is told a
    // result and nothing reaches GameOver, so nobody is rated or recorded as its loser.
    void Abort();

    // Told when the table closes itself for idleness.
    std::function<void(TTable &)> OnIdle;

private:
    struct TSeatState {
        TConnId Conn = -1;
        bool Ready = false;
        bool Listening = false; // receives the messages of the running game
    };

    int SlotOf(TConnId Conn) const;
    int IndexOf(int Slot) const;
    void SendRoom();
    void Broadcast(const msg::TServerMessage &Message);
    void CheckCountdown();
    void StopCountdown();
    void Tick();
    void StartGame();
    void Dispatch();
    void SendGameOver(bool ShowNow);
    void TellOutcome(const TGameRecord &Record);
    void ArmTurnClock();
    void TurnClockRanOut();
    void Free(int Slot);
    void ArmIdle();

    int FID;
    TTableRules FRules;
    bool FBotsPlayAlone;
    int FTimeGo;
    int FCountdownTickMs;
    ITableHost &FHost;
    TClock &FClock;
    std::array<TSeatState, kSlots> FSeats;
    int FCountdown = 0;
    TClock::TId FCountdownTimer = 0;
    TClock::TId FIdleTimer = 0;
    int64_t FIdleDue = 0;
    TClock::TId FTurnTimer = 0;

    std::unique_ptr<TDurakGame> FGame;
    std::vector<int> FSlots;    // game index -> slot
    std::vector<int> FTimeouts; // time-outs in a row, by game index
    bool FLastBoutEnded = false;
    // Who sat down for the running game, by game index, and how it was dealt.
    std::vector<QString> FGameNames;
    std::vector<bool> FGameBots;
    std::uint64_t FGameSeed = 0;
    std::int64_t FGameStartedMs = 0;
};

} // namespace trelvo::server
