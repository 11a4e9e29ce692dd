#include "server/Durak.h"

#include <algorithm>
#include <array>

namespace trelvo::server {

namespace {

std::vector<TFace> Shuffled(TRandom &Rng) {
    std::vector<TFace> deck = OrderedFaces();
    Rng.Shuffle(deck);
    return deck;
}

} // namespace

std::vector<TFace> OrderedFaces() {
    std::vector<TFace> deck;
    for (const TDeckFace &face : DeckInOrder())
        deck.push_back({face.Suit, face.Dignity});
    return deck;
}

TDurakGame::TDurakGame(int Players, const TTableRules &Rules, TRandom &Rng)
    : TDurakGame(Players, Rules, Shuffled(Rng), Rng) {}

TDurakGame::TDurakGame(int Players, const TTableRules &Rules, std::vector<TFace> Deck, TRandom &Rng)
    : FRules(Rules), FFaces(std::move(Deck)), FHands(Players), FOut(Players, false), FRemoved(Players, false),
      FPassed(Players, false), FResults(Players, kUndecided) {
    // One card at a time around the table; the next card is the trump and is drawn last.
    const int dealt = Players * kHandSize;
    for (int card = 0; card < dealt; ++card)
        FHands[card % Players].push_back(card);
    FTrumpCard = dealt;
    FTrumpSuit = FFaces[FTrumpCard].Suit;
    FStock.push_back(FTrumpCard);
    for (int card = kDeckSize - 1; card > dealt; --card)
        FStock.push_back(card);
    // The lowest trump leads; without any trump in the hands, a random player does.
    const int trump = TrumpSuit();
    int first = kNoPlayer, lowest = 99;
    for (int p = 0; p < Players; ++p)
        for (int card : FHands[p])
            if (FFaces[card].Suit == trump && FFaces[card].Dignity < lowest) {
                lowest = FFaces[card].Dignity;
                first = p;
            }
    if (first == kNoPlayer)
        first = Rng.Below(Players);
    FFirstAttacker = first;
    FBout = -1;
    StartBout(first);
}

TDurakGame::TDurakGame(const TTableRules &Rules, std::vector<TFace> Deck, const TPosition &Position)
    : FRules(Rules), FFaces(std::move(Deck)), FHands(Position.Hands),
      FStock(Position.Stock.rbegin(), Position.Stock.rend()), FTable(Position.Table), FOut(Position.Out),
      FRemoved(Position.Hands.size(), false), FPassed(Position.Passed),
      FResults(Position.Hands.size(), kUndecided), FPhase(Position.Phase), FTrumpCard(Position.TrumpCard),
      FTrumpSuit(Position.TrumpSuit), FAttacker(Position.Attacker), FDefender(Position.Defender),
      FActive(Position.Active), FFirstAttacker(Position.Attacker), FCap(Position.Cap), FBout(Position.Bout) {
    const size_t n = FHands.size();
    FOut.resize(n, false);
    FPassed.resize(n, false);
    std::vector<bool> used(FFaces.size(), false);
    for (const auto &hand : FHands)
        for (int card : hand)
            used[card] = true;
    for (int card : FStock)
        used[card] = true;
    for (const TPair &pair : FTable)
        for (int card : {pair.Attack, pair.Cover})
            if (card >= 0)
                used[card] = true;
    for (int card = 0; card < static_cast<int>(FFaces.size()); ++card)
        if (!used[card])
            FDiscard.push_back(card);
    for (size_t p = 0; p < n; ++p)
        FResults[p] = FOut[p] ? kWon : kUndecided;
}

TPosition TDurakGame::Position() const {
    TPosition p;
    p.Hands = FHands;
    p.Stock.assign(FStock.rbegin(), FStock.rend());
    p.Table = FTable;
    p.Out = FOut;
    for (size_t q = 0; q < FOut.size(); ++q)
        p.Out[q] = !InGame(static_cast<int>(q));
    p.Passed = FPassed;
    p.TrumpSuit = FTrumpSuit;
    p.TrumpCard = FTrumpCard;
    p.Phase = FPhase;
    p.Attacker = FAttacker;
    p.Defender = FDefender;
    p.Active = FActive;
    p.Cap = FCap;
    p.Bout = FBout;
    return p;
}

int TDurakGame::Limit() const {
    return BoutLimit(FRules.MaxFive, FBout);
}

int TDurakGame::NextInGame(int Player) const {
    return trelvo::NextInGame(Player, Players(), [this](int p) { return InGame(p); });
}

int TDurakGame::InGameCount() const {
    int count = 0;
    for (int p = 0; p < Players(); ++p)
        count += InGame(p) ? 1 : 0;
    return count;
}

bool TDurakGame::Holds(int Player, int Card) const {
    const auto &hand = FHands[Player];
    return std::find(hand.begin(), hand.end(), Card) != hand.end();
}

void TDurakGame::Discard(int Player, int Card) {
    auto &hand = FHands[Player];
    hand.erase(std::find(hand.begin(), hand.end(), Card));
}

bool TDurakGame::RankOnTable(int Card) const {
    return trelvo::RankOnTable(FFaces[Card], FTable, [this](const TPair &pair) {
        return std::array{FFaces[pair.Attack], pair.Cover >= 0 ? FFaces[pair.Cover] : TFace{}};
    });
}

bool TDurakGame::TransferOpen() const {
    if (!FRules.Transfer || (FRules.FirstNotTransfer && FBout == 0) || FPhase != TPhase::Defend)
        return false;
    for (const TPair &pair : FTable)
        if (pair.Cover >= 0)
            return false;
    const int next = NextInGame(FDefender);
    const int onTable = static_cast<int>(FTable.size()) + 1;
    return next != kNoPlayer && next != FDefender && onTable <= Limit() &&
           static_cast<int>(FHands[next].size()) >= onTable;
}

bool TDurakGame::CanThrow(int Player) const {
    if (!InGame(Player) || Player == FDefender || FPassed[Player] || static_cast<int>(FTable.size()) >= FCap)
        return false;
    // A player with no card of a rank on the table has nothing to add: nobody waits for a bito.
    const auto &hand = FHands[Player];
    return std::any_of(hand.begin(), hand.end(), [this](int card) { return RankOnTable(card); });
}

int TDurakGame::NextThrower(int After, bool IncludeAfter) const {
    const int n = Players();
    for (int i = IncludeAfter ? 0 : 1; i <= n; ++i) {
        const int p = (After + i) % n;
        if (CanThrow(p))
            return p;
    }
    return kNoPlayer;
}

bool TDurakGame::ThrowRoom() const {
    return NextThrower(FAttacker, true) != kNoPlayer;
}

TRefusal TDurakGame::Go(int Player, int Card) {
    if (Player != FActive ||
        (FPhase != TPhase::Lead && FPhase != TPhase::ThrowIn && FPhase != TPhase::Taking))
        return TRefusal::NotYourTurn;
    if (!Holds(Player, Card))
        return TRefusal::NoSuchCard;
    if (FPhase != TPhase::Lead && (!RankOnTable(Card) || static_cast<int>(FTable.size()) >= FCap))
        return TRefusal::Illegal;
    Discard(Player, Card);
    FTable.push_back({Card, -1});
    std::fill(FPassed.begin(), FPassed.end(), false);
    if (FPhase == TPhase::Taking) {
        FEvents.push_back(TEvPlayed{Player, FDefender, Card, false});
        if (!ThrowRoom()) {
            EndBout(true);
        } else if (!CanThrow(Player)) {
            // Nothing left that fits: the turn passes on without a request.
            FPassed[Player] = true;
            FActive = NextThrower(Player, false);
            FEvents.push_back(TEvPassed{FActive});
        }
        return TRefusal::None;
    }
    FPhase = TPhase::Defend;
    FActive = FDefender;
    FEvents.push_back(TEvPlayed{Player, FDefender, Card, TransferOpen()});
    return TRefusal::None;
}

TRefusal TDurakGame::Cover(int Player, int Card, int Place) {
    if (FPhase != TPhase::Defend || Player != FDefender)
        return TRefusal::NotYourTurn;
    if (!Holds(Player, Card))
        return TRefusal::NoSuchCard;
    if (Place < 0 || Place >= static_cast<int>(FTable.size()) || FTable[Place].Cover >= 0 ||
        !Beats(FFaces[Card], FFaces[FTable[Place].Attack], TrumpSuit()))
        return TRefusal::Illegal;
    Discard(Player, Card);
    FTable[Place].Cover = Card;
    const bool open = std::any_of(FTable.begin(), FTable.end(), [](const TPair &p) { return p.Cover < 0; });
    if (open) {
        FEvents.push_back(TEvCovered{2, Player, FDefender, Place, Card});
        return TRefusal::None;
    }
    std::fill(FPassed.begin(), FPassed.end(), false);
    if (!ThrowRoom()) {
        FEvents.push_back(TEvCovered{1, Player, FDefender, Place, Card});
        EndBout(false);
        return TRefusal::None;
    }
    FPhase = TPhase::ThrowIn;
    FActive = NextThrower(FAttacker, true);
    FEvents.push_back(TEvCovered{0, Player, FActive, Place, Card});
    return TRefusal::None;
}

TRefusal TDurakGame::Transfer(int Player, int Card) {
    if (FPhase != TPhase::Defend || Player != FDefender)
        return TRefusal::NotYourTurn;
    if (!Holds(Player, Card))
        return TRefusal::NoSuchCard;
    if (!TransferOpen() || !TransfersWith(FFaces[Card], FFaces[FTable.front().Attack]))
        return TRefusal::Illegal;
    Discard(Player, Card);
    FTable.push_back({Card, -1});
    FAttacker = Player;
    FDefender = NextInGame(Player);
    FCap = AttackCap(FRules.MaxFive, FBout, static_cast<int>(FHands[FDefender].size()));
    FActive = FDefender;
    std::fill(FPassed.begin(), FPassed.end(), false);
    FEvents.push_back(TEvPlayed{Player, FDefender, Card, TransferOpen()});
    return TRefusal::None;
}

TRefusal TDurakGame::Take(int Player) {
    if (FPhase != TPhase::Defend || Player != FDefender)
        return TRefusal::NotYourTurn;
    FPhase = TPhase::Taking;
    std::fill(FPassed.begin(), FPassed.end(), false);
    if (!ThrowRoom()) {
        FEvents.push_back(TEvTaken{Player, FAttacker});
        EndBout(true);
        return TRefusal::None;
    }
    FActive = NextThrower(FAttacker, true);
    FEvents.push_back(TEvTaken{Player, FActive});
    return TRefusal::None;
}

TRefusal TDurakGame::Bito(int Player) {
    if ((FPhase != TPhase::ThrowIn && FPhase != TPhase::Taking) || Player != FActive)
        return TRefusal::NotYourTurn;
    FPassed[Player] = true;
    const int next = NextThrower(Player, false);
    if (next == kNoPlayer) {
        EndBout(FPhase == TPhase::Taking);
        return TRefusal::None;
    }
    FActive = next;
    FEvents.push_back(TEvPassed{next});
    return TRefusal::None;
}

void TDurakGame::MoveFor(int Player) {
    if (Player != FActive)
        return;
    switch (FPhase) {
    case TPhase::Lead: {
        // The lowest card: non-trumps before trumps, then by rank.
        const int trump = TrumpSuit();
        const auto &hand = FHands[Player];
        const auto lowest = std::min_element(hand.begin(), hand.end(), [&](int a, int b) {
            const TFace fa = FFaces[a], fb = FFaces[b];
            return std::make_pair(fa.Suit == trump, fa.Dignity) <
                   std::make_pair(fb.Suit == trump, fb.Dignity);
        });
        Go(Player, *lowest);
        break;
    }
    case TPhase::Defend:
        Take(Player);
        break;
    case TPhase::ThrowIn:
    case TPhase::Taking:
        Bito(Player);
        break;
    case TPhase::Over:
        break;
    }
}

void TDurakGame::Refill(int First, std::vector<std::vector<int>> &Received) {
    // The main attacker first, then the others clockwise, the defender last.
    std::vector<int> order;
    const int n = Players();
    for (int i = 0; i < n; ++i) {
        const int p = (First + i) % n;
        if (InGame(p) && p != FDefender)
            order.push_back(p);
    }
    if (FDefender != kNoPlayer && InGame(FDefender))
        order.push_back(FDefender);
    for (int p : order) {
        while (static_cast<int>(FHands[p].size()) < kHandSize && !FStock.empty()) {
            FHands[p].push_back(FStock.back());
            Received[p].push_back(FStock.back());
            FStock.pop_back();
        }
    }
}

bool TDurakGame::SettleOuts(std::vector<int> &Out, const std::vector<int> &Before) {
    if (FStock.empty()) {
        for (int p : Before) {
            if (InGame(p) && FHands[p].empty()) {
                FOut[p] = true;
                FResults[p] = kWon;
                Out.push_back(p);
            }
        }
    }
    const int left = InGameCount();
    if (left > 1)
        return false;
    if (left == 1) {
        for (int p = 0; p < Players(); ++p)
            if (InGame(p))
                FResults[p] = kLost;
    } else if (Out.size() > 1) {
        // The last players ran out together.
        for (int p : Out)
            FResults[p] = kDraw;
    }
    FPhase = TPhase::Over;
    FActive = kNoPlayer;
    return true;
}

void TDurakGame::EndBout(bool Taken) {
    TEvBoutEnd end{!Taken, Taken ? FDefender : kNoPlayer, kNoPlayer, 0, {}, {}, {}};
    for (int p = 0; p < Players(); ++p)
        if (InGame(p))
            end.Players.push_back(p);
    end.Received.resize(Players());
    for (const TPair &pair : FTable) {
        for (int card : {pair.Attack, pair.Cover}) {
            if (card < 0)
                continue;
            if (Taken) {
                FHands[FDefender].push_back(card);
                end.Received[FDefender].push_back(card);
            } else {
                FDiscard.push_back(card);
            }
        }
    }
    FTable.clear();
    Refill(FAttacker, end.Received);
    bool over = SettleOuts(end.Out, end.Players);
    if (!over && FBout + 1 >= kMaxBouts) {
        // Cards can go round between players who take forever; such a game is called a draw for
        // everyone still in it.
        for (int p = 0; p < Players(); ++p)
            if (InGame(p))
                FResults[p] = kDraw;
        FPhase = TPhase::Over;
        FActive = kNoPlayer;
        over = true;
    }
    if (!over) {
        int next = Taken ? NextInGame(FDefender) : (InGame(FDefender) ? FDefender : NextInGame(FDefender));
        end.Next = next;
        StartBout(next);
    }
    end.Deck = StockCount();
    FEvents.push_back(std::move(end));
    if (over)
        FEvents.push_back(TEvGameOver{});
}

void TDurakGame::StartBout(int Attacker) {
    ++FBout;
    FAttacker = Attacker;
    FDefender = NextInGame(Attacker);
    FCap = AttackCap(FRules.MaxFive, FBout, static_cast<int>(FHands[FDefender].size()));
    FPhase = TPhase::Lead;
    FActive = Attacker;
    std::fill(FPassed.begin(), FPassed.end(), false);
}

void TDurakGame::Remove(int Player) {
    if (FPhase == TPhase::Over || !InGame(Player))
        return;
    TEvBoutEnd end{true, kNoPlayer, kNoPlayer, 0, {}, {}, {}};
    for (int p = 0; p < Players(); ++p)
        if (InGame(p) && p != Player)
            end.Players.push_back(p);
    end.Received.resize(Players());
    FRemoved[Player] = true;
    FResults[Player] = kLost;
    for (const TPair &pair : FTable) {
        FDiscard.push_back(pair.Attack);
        if (pair.Cover >= 0)
            FDiscard.push_back(pair.Cover);
    }
    FTable.clear();
    FDiscard.insert(FDiscard.end(), FHands[Player].begin(), FHands[Player].end());
    FHands[Player].clear();
    FEvents.push_back(TEvRemoved{Player});
    if (InGameCount() == 1) {
        // The one left beat a player who gave up.
        FResults[NextInGame(Player)] = kWon;
        FPhase = TPhase::Over;
        FActive = kNoPlayer;
        FEvents.push_back(TEvGameOver{});
        return;
    }
    // The bout is abandoned; the player to the removed one's left leads the next.
    const int next = NextInGame(Player);
    FDefender = kNoPlayer;
    Refill(next, end.Received);
    const bool over = SettleOuts(end.Out, end.Players);
    if (!over) {
        const int leader = InGame(next) ? next : NextInGame(next);
        end.Next = leader;
        StartBout(leader);
    }
    end.Deck = StockCount();
    FEvents.push_back(std::move(end));
    if (over)
        FEvents.push_back(TEvGameOver{});
}

} // namespace trelvo::server

namespace trelvo::server {

int TDurakGame::CardsAccounted() const {
    std::vector<bool> seen(kDeckSize, false);
    int count = 0;
    auto add = [&](int card) {
        if (card >= 0 && card < kDeckSize && !seen[card]) {
            seen[card] = true;
            ++count;
        }
    };
    for (const auto &hand : FHands)
        for (int card : hand)
            add(card);
    for (int card : FStock)
        add(card);
    for (int card : FDiscard)
        add(card);
    for (const TPair &pair : FTable) {
        add(pair.Attack);
        add(pair.Cover);
    }
    const int total = static_cast<int>(FStock.size() + FDiscard.size()) + [&] {
        int n = 0;
        for (const auto &hand : FHands)
            n += static_cast<int>(hand.size());
        for (const TPair &pair : FTable)
            n += 1 + (pair.Cover >= 0 ? 1 : 0);
        return n;
    }();
    // A card counted twice is as wrong as a card lost.
    return total == count ? count : -1;
}

void TDurakGame::Arrange(const std::vector<std::vector<int>> &Hands, const std::vector<int> &Stock,
                         int TrumpSuit, int Attacker, bool FirstBout) {
    FHands = Hands;
    FHands.resize(FOut.size());
    FStock.assign(Stock.rbegin(), Stock.rend());
    FTable.clear();
    FDiscard.clear();
    std::vector<bool> used(kDeckSize, false);
    for (const auto &hand : FHands)
        for (int card : hand)
            used[card] = true;
    for (int card : Stock)
        used[card] = true;
    for (int card = 0; card < kDeckSize; ++card)
        if (!used[card])
            FDiscard.push_back(card);
    FTrumpSuit = TrumpSuit;
    // With the stock gone, an empty hand is out already.
    for (int p = 0; p < Players(); ++p) {
        FOut[p] = FStock.empty() && FHands[p].empty();
        FResults[p] = FOut[p] ? kWon : kUndecided;
    }
    FBout = FirstBout ? -1 : 0;
    StartBout(Attacker);
}

} // namespace trelvo::server
