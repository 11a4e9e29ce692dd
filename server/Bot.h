#pragma once

#include "common/Clock.h"
#include "protocol/ServerMessages.h"
#include "server/GameServer.h"
#include "server/Random.h"

#include <QString>

#include <functional>
#include <vector>

namespace trelvo::server {

// A bot player: it reads the same text messages a client reads and answers with the same requests,
// after thinking on the clock. Easy plays random legal moves; Normal plays like a careful beginner.
class TBot {
public:
    // RoundEndPauseMs: how long the clients show a bout's end; the bot does not lead the next bout sooner.
    TBot(TClock &Clock, std::uint64_t Seed, TBotLevel Level, int ThinkMinMs, int ThinkMaxMs,
         int RoundEndPauseMs, QString Name);
    ~TBot();
    TBot(const TBot &) = delete;
    TBot &operator=(const TBot &) = delete;

    // A request to the server ("subcode;payload").
    std::function<void(const QString &)> OnRequest;

    const QString &Name() const { return FName; }
    TBotLevel Level() const { return FLevel; }
    void SetRules(const TTableRules &Rules) { FRules = Rules; }
    // One message from the server.
    void Receive(const QString &Message);

private:
    enum class TTurn { None, Lead, Defend, Throw };
    struct TSlot {
        msg::TCard Attack;
        bool Covered = false;
        msg::TCard Cover;
    };
    struct TAction {
        enum { Go, Cover, Transfer, Take, Bito } Kind;
        int Card = -1, Place = -1;
    };

    void Handle(const msg::TServerMessage &M);
    void Wake();
    void Act();
    std::vector<TAction> LegalActions() const;
    TAction Choose();
    TAction ChooseLead() const;
    TAction ChooseDefence() const;
    TAction ChooseThrow() const;
    void Send(const TAction &A);

    bool IsTrump(const msg::TCard &C) const { return C.Suit == FTrumpSuit; }
    bool Beats(const msg::TCard &A, const msg::TCard &B) const;
    bool RankOnTable(int Dignity) const;
    int Cap() const;
    int Count(int ID) const;
    void SetCount(int ID, int Value);
    void RemoveOwn(int Suit, int Dignity);
    // Cards not seen gone, on the table or in this hand: with the stock empty, the others' hands.
    std::vector<msg::TCard> Unseen() const;

    TClock &FClock;
    TRandom FRng;
    TBotLevel FLevel;
    int FThinkMinMs, FThinkMaxMs;
    int FRoundEndPauseMs;
    int64_t FBoutEndedAt = 0;
    QString FName;
    TTableRules FRules;
    TClock::TId FPending = 0;
    bool FWantReady = false;

    int FTableID = -1;
    int FMyId = -1;
    bool FInGame = false;
    int FTrumpSuit = 0;
    int FStock = 0;
    int FBout = 0;
    int FDefender = -1;
    int FCapBase = 6;
    bool FTransferOpen = false;
    bool FTaking = false;
    bool FCounting = true;
    TTurn FTurn = TTurn::None;
    std::vector<msg::TCard> FHand;
    std::vector<TSlot> FTable;
    std::vector<std::pair<int, int>> FCounts; // id, cards
    std::vector<msg::TCard> FGone;
    msg::TCard FLastCover;
};

} // namespace trelvo::server
