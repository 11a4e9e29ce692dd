#pragma once

// Which card beats which: the one rule of Durak that the game server, its bots and the client's lit
// cards must agree on, so it is written once. Any card type with Suit and Dignity members will do
// (suits 1 to 4, higher dignities higher; 0 is no card).
namespace trelvo {

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

} // namespace trelvo
