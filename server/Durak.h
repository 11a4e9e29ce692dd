#pragma once

#include "common/CardRule.h"
#include "server/GameServer.h"
#include "server/Random.h"

#include <variant>
#include <vector>

// The rules of one game of Durak with 36 cards (six to ace) for 2 to 4 players, as a pure state
// machine: requests in, events out. Players are indices 0..n-1 in clockwise order; cards are ids
// 0..35, the positions of the shuffled deck.
namespace trelvo::server {

// The deck's size, a hand and a bout's cards are the shared rules'.
using trelvo::kDeckSize;
using trelvo::kHandSize;
using trelvo::kMaxBoutCards;
using trelvo::kMaxFirstBoutCards;
constexpr int kNoPlayer = -1;
// A game still going after this many bouts goes round in circles: it ends in a draw.
constexpr int kMaxBouts = 300;

struct TFace {
    int Suit = 0;    // 1 clubs, 2 diamonds, 3 hearts, 4 spades
    int Dignity = 0; // 5 six .. 13 ace
    bool operator==(const TFace &) const = default;
};

// The deck in suit and rank order: card id i is face i (common/CardRule.h's DeckIndex).
std::vector<TFace> OrderedFaces();

enum class TPhase { Lead, Defend, ThrowIn, Taking, Over };
enum class TRefusal { None, NotYourTurn, NoSuchCard, Illegal };

enum TResult { kLost = 0, kWon = 1, kDraw = 2, kUndecided = -1 };

// What one request made happen, in order.
struct TEvPlayed { // a lead, a throw-in or a transfer (Defender new then)
    int Attacker, Defender, Card;
    bool TransferOpen; // the defender may transfer this attack
};
struct TEvCovered {
    int Kind; // 0 all covered, Next throws in; 2 cards still open; 1 the bout ends
    int Coverer, Next, Place, Card;
};
struct TEvTaken {
    int Taker, Next;
};
struct TEvPassed {
    int Next;
};
struct TEvBoutEnd {
    bool Bito;
    int Taker; // kNoPlayer on a discard
    int Next;  // kNoPlayer when the game is over
    int Deck;
    std::vector<int> Players;               // in the game when the bout began
    std::vector<std::vector<int>> Received; // by player: table cards taken, then cards drawn
    std::vector<int> Out;                   // players who went out with this bout
};
struct TEvRemoved {
    int Player;
};
struct TEvGameOver {};
using TGameEvent =
    std::variant<TEvPlayed, TEvCovered, TEvTaken, TEvPassed, TEvBoutEnd, TEvRemoved, TEvGameOver>;

struct TPair {
    int Attack = -1;
    int Cover = -1;
    bool operator==(const TPair &) const = default;
};

// A game at any moment: enough to go on playing it on the rules below (a bot plays its guesses at the
// hidden cards out this way). Card ids index the deck of faces given with it.
struct TPosition {
    std::vector<std::vector<int>> Hands;
    std::vector<int> Stock; // in drawing order; the trump card, while still there, is the last
    std::vector<TPair> Table;
    std::vector<bool> Out;    // players who have gone out already
    std::vector<bool> Passed; // players who threw in nothing more since the last card
    int TrumpSuit = 0;
    int TrumpCard = -1; // its id, when it is a card of this deck
    TPhase Phase = TPhase::Lead;
    int Attacker = 0, Defender = 1, Active = 0;
    int Cap = kMaxBoutCards; // cards this bout may hold
    int Bout = 1;            // 0 is the game's first bout
    bool operator==(const TPosition &) const = default;
};

class TDurakGame {
public:
    TDurakGame(int Players, const TTableRules &Rules, TRandom &Rng);
    // The same with the deck in a given order (Deck[i] is the face of card i); Rng only picks the
    // first attacker when no hand holds a trump.
    TDurakGame(int Players, const TTableRules &Rules, std::vector<TFace> Deck, TRandom &Rng);

    // Goes on from a position; every card of Deck in no hand, stock or table is in the discard.
    TDurakGame(const TTableRules &Rules, std::vector<TFace> Deck, const TPosition &Position);

    // The position now, to go on from in another game.
    TPosition Position() const;

    // Puts the game into a chosen position, for rule tests: the hands, the stock in drawing order, the
    // trump suit and the attacker of a fresh bout (not the game's first unless FirstBout). Every
    // other card is in the discard.
    void Arrange(const std::vector<std::vector<int>> &Hands, const std::vector<int> &Stock, int TrumpSuit,
                 int Attacker, bool FirstBout = false);

    int Players() const { return static_cast<int>(FHands.size()); }
    const TTableRules &Rules() const { return FRules; }
    TFace Face(int Card) const { return FFaces[Card]; }
    int TrumpSuit() const { return FTrumpSuit; }
    int TrumpCard() const { return FTrumpCard; }
    int StockCount() const { return static_cast<int>(FStock.size()); }
    int DiscardCount() const { return static_cast<int>(FDiscard.size()); }
    const std::vector<int> &Discarded() const { return FDiscard; }
    const std::vector<int> &Hand(int Player) const { return FHands[Player]; }
    const std::vector<TPair> &Table() const { return FTable; }
    TPhase Phase() const { return FPhase; }
    int Active() const { return FActive; }
    int Attacker() const { return FAttacker; }
    int Defender() const { return FDefender; }
    int FirstAttacker() const { return FFirstAttacker; }
    int Bouts() const { return FBout + 1; }
    int Bout() const { return FBout; }
    // Every card of the deck is somewhere: hands, stock, table, discard.
    int CardsAccounted() const;
    int Cap() const { return FCap; }
    bool InGame(int Player) const { return !FOut[Player] && !FRemoved[Player]; }
    int Result(int Player) const { return FResults[Player]; }
    bool TransferOpen() const;

    TRefusal Go(int Player, int Card);
    TRefusal Cover(int Player, int Card, int Place);
    TRefusal Transfer(int Player, int Card);
    TRefusal Take(int Player);
    TRefusal Bito(int Player);
    // Out of the game (time-outs, a lost connection): a loss. The bout is abandoned to the discard.
    void Remove(int Player);
    // The move made for the active player when the turn clock runs out.
    void MoveFor(int Player);

    std::vector<TGameEvent> TakeEvents() { return std::move(FEvents); }

private:
    bool Holds(int Player, int Card) const;
    void Discard(int Player, int Card);
    bool RankOnTable(int Card) const;
    int Limit() const;
    int NextInGame(int Player) const;
    bool CanThrow(int Player) const;
    int NextThrower(int After, bool IncludeAfter) const;
    bool ThrowRoom() const;
    void OfferThrowIn(int Kind, int Coverer, int Place, int Card);
    void EndBout(bool Taken);
    void Refill(int First, std::vector<std::vector<int>> &Received);
    void StartBout(int Attacker);
    bool SettleOuts(std::vector<int> &Out, const std::vector<int> &Before);
    int InGameCount() const;

    TTableRules FRules;
    std::vector<TFace> FFaces;
    std::vector<std::vector<int>> FHands;
    std::vector<int> FStock; // back is drawn next; the trump lies at the front
    std::vector<int> FDiscard;
    std::vector<TPair> FTable;
    std::vector<bool> FOut, FRemoved, FPassed;
    std::vector<int> FResults;
    std::vector<TGameEvent> FEvents;
    TPhase FPhase = TPhase::Lead;
    int FTrumpCard = 0;
    int FTrumpSuit = 0;
    int FAttacker = 0, FDefender = 1, FActive = 0, FFirstAttacker = 0;
    int FCap = kMaxBoutCards;
    int FBout = 0;
};

} // namespace trelvo::server
