#pragma once

#include <array>

// The rules of Durak that the game server, its bots and the client's lit cards must agree on, each
// written once. Any card type with Suit and Dignity members will do (suits 1 to 4, higher dignities
// higher; 0 is no card).
namespace trelvo {

// The deck: 36 cards, four suits of nine, six (dignity 5) to ace (13).
constexpr int kFirstSuit = 1, kLastSuit = 4;
constexpr int kLowestDignity = 5, kHighestDignity = 13;
constexpr int kDignitiesPerSuit = kHighestDignity - kLowestDignity + 1;
constexpr int kDeckSize = (kLastSuit - kFirstSuit + 1) * kDignitiesPerSuit;
constexpr int kHandSize = 6;
// Cards one bout may hold, and in the game's first bout when the table plays "at most five".
constexpr int kMaxBoutCards = 6;
constexpr int kMaxFirstBoutCards = 5;

struct TDeckFace {
    int Suit = 0;
    int Dignity = 0;
};

// A face of this deck (not a card seen from the back, an empty place or a number out of range).
template <class TCard> constexpr bool InDeck(const TCard &Card) {
    return Card.Suit >= kFirstSuit && Card.Suit <= kLastSuit && Card.Dignity >= kLowestDignity &&
           Card.Dignity <= kHighestDignity;
}

// The deck in suit and rank order; a face's place in it is DeckIndex.
constexpr std::array<TDeckFace, kDeckSize> DeckInOrder() {
    std::array<TDeckFace, kDeckSize> deck{};
    int i = 0;
    for (int suit = kFirstSuit; suit <= kLastSuit; ++suit)
        for (int dignity = kLowestDignity; dignity <= kHighestDignity; ++dignity)
            deck[i++] = {suit, dignity};
    return deck;
}

template <class TCard> constexpr int DeckIndex(const TCard &Card) {
    return (Card.Suit - kFirstSuit) * kDignitiesPerSuit + (Card.Dignity - kLowestDignity);
}

// Card beats Attack: a higher card of Attack's suit, or a trump over a non-trump. A card seen from the
// back or an empty place (suit or dignity 0) is nothing to beat, not something every trump beats.
template <class TCardA, class TCardB>
constexpr bool Beats(const TCardA &Card, const TCardB &Attack, int TrumpSuit) {
    if (Attack.Suit == 0 || Attack.Dignity == 0)
        return false;
    if (Card.Suit == Attack.Suit)
        return Card.Dignity > Attack.Dignity;
    return Card.Suit == TrumpSuit;
}

// Two cards of one rank; a card seen from the back or an empty place has none.
template <class TCardA, class TCardB> constexpr bool SameRank(const TCardA &A, const TCardB &B) {
    return A.Suit != 0 && A.Dignity != 0 && B.Suit != 0 && B.Dignity != 0 && A.Dignity == B.Dignity;
}

// A throw-in adds only a rank the table holds already, an attack's or a cover's. CardsOf(place) gives
// a place's cards (an uncovered place's cover as no card).
template <class TCard, class TPlaces, class TCardsOf>
constexpr bool RankOnTable(const TCard &Card, const TPlaces &Places, TCardsOf CardsOf) {
    for (const auto &place : Places)
        for (const auto &onTable : CardsOf(place))
            if (SameRank(onTable, Card))
                return true;
    return false;
}

// The same over a plain list of the table's cards.
template <class TCard, class TCards> constexpr bool RankOnTable(const TCard &Card, const TCards &Cards) {
    return RankOnTable(Card, Cards, [](const auto &c) { return std::array{c}; });
}

// A defender passes the attack on with a card of the first attack's rank.
template <class TCardA, class TCardB>
constexpr bool TransfersWith(const TCardA &Card, const TCardB &FirstAttack) {
    return SameRank(Card, FirstAttack);
}

// The cards one bout may hold: six, five in the game's first bout on "at most five".
constexpr int BoutLimit(bool MaxFive, int Bout) {
    return MaxFive && Bout == 0 ? kMaxFirstBoutCards : kMaxBoutCards;
}

// The attack's cap: the bout's limit, and no more than the defender held as the attack began.
constexpr int AttackCap(bool MaxFive, int Bout, int DefenderCards) {
    const int limit = BoutLimit(MaxFive, Bout);
    return DefenderCards < limit ? DefenderCards : limit;
}

// The next player clockwise after Player (of Players) still in the game, -1 when there is none.
template <class TInGame> constexpr int NextInGame(int Player, int Players, TInGame InGame) {
    for (int i = 1; i <= Players; ++i) {
        const int p = (Player + i) % Players;
        if (InGame(p))
            return p;
    }
    return -1;
}

} // namespace trelvo
