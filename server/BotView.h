#pragma once

#include "protocol/ServerMessages.h"
#include "server/GameServer.h"

#include <QString>

#include <cstdint>
#include <vector>

// What one seat at a game may know, built from the messages that seat receives and nothing else: the
// brains choose their moves on it.
namespace trelvo::server {

class TDurakGame;

enum class TBotTurn { None, Lead, Defend, Throw };

// A move as a request says it: Card is an id of the seat's own hand, Place a table place.
struct TBotAction {
    enum TKind { Go, Cover, Transfer, Take, Bito } Kind = Take;
    int Card = -1, Place = -1;
    bool operator==(const TBotAction &) const = default;
};

struct TBotSlot {
    msg::TCard Attack;
    bool Covered = false;
    msg::TCard Cover;
};

struct TBotView {
    TTableRules Rules;
    int Me = -1;          // this seat's index among Ids
    std::vector<int> Ids; // the players' ids in seat order
    std::vector<msg::TCard> Hand;
    int TrumpSuit = 0;
    msg::TCard TrumpCard; // the card under the stock (ID unused)
    int TrumpOwner = -1;  // who drew it, once someone has
    int Stock = 0;
    std::vector<int> Counts;  // cards in each hand
    std::vector<bool> Out;    // gone out (or left)
    std::vector<bool> Passed; // threw in nothing more since the last card
    std::vector<TBotSlot> Table;
    int Attacker = -1, Defender = -1, Active = -1;
    int Bout = 0; // 0 is the game's first
    int CapBase = 6;
    bool TransferOpen = false;
    bool Taking = false;
    TBotTurn Turn = TBotTurn::None;
    // Seen: every card discarded, and the cards each player was seen to receive (taken from the table,
    // the trump card) and has not played since.
    std::vector<msg::TCard> Discarded;
    std::vector<std::vector<msg::TCard>> Known;
    // False once a leaver's cards went to the discard unseen: the hidden cards are guesswork then.
    bool Counting = true;
    // The card this seat last covered with: the server does not echo its face to the coverer.
    msg::TCard LastCover;
    // Changes with every message that changes the view.
    std::uint64_t Version = 0;

    bool InGame() const { return Me >= 0; }
    bool IsTrump(const msg::TCard &C) const { return C.Suit == TrumpSuit; }
    bool RankOnTable(const msg::TCard &Card) const;
    int Cap() const;
    std::vector<TBotAction> LegalActions() const;
    bool IsLegal(const TBotAction &A) const;
    // Cards not in this hand, the discard or on the table: the others' hands and the stock.
    std::vector<msg::TCard> Unseen() const;
    const msg::TCard *OwnCard(int ID) const;

    // One message from the server, as the seat named MyName receives it. False when it changes nothing.
    bool Apply(const msg::TServerMessage &M, const QString &MyName);

    // The view of player Player in a game of the rules engine, with every card's ID its id there.
    static TBotView Of(const TDurakGame &Game, int Player);
    // The same into this view, reusing its storage (playouts make one view per move).
    void Load(const TDurakGame &Game, int Player);

private:
    // Whether A is legal, Card being its card of this hand (nullptr for none).
    bool Allows(const TBotAction &A, const msg::TCard *Card) const;
    int IndexOf(int ID) const;
    void Forget(int Player, const msg::TCard &C);
    void EndGame();
};

} // namespace trelvo::server
