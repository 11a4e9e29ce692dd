#pragma once

#include "game/api/CardModel.h"

#include <cstdint>
#include <vector>

// The only game rules the client applies itself: how the own hand is ordered and which of its cards
// light up. Everything else comes from the game server.
namespace trelvo::scene::rules {

// Entry i is the index of the card to be shown at position i.
using TSortedList = std::vector<uint8_t>;

// -1, 0 or +1: trumps above every other card, otherwise by dignity alone (other suits are not
// compared, so two cards of equal dignity are equal).
int Compare(const TPlayerCard &a, const TPlayerCard &b, uint8_t TrumpSuit);

// A higher card of the same suit, or a trump over a non-trump; nothing covers an empty attack card.
bool CanCover(const TPlayerCard &card, const TPlayerCard &attack, uint8_t TrumpSuit);

// The own hand's display order: trumps from highest to lowest, then the rest from highest to
// lowest dignity, by the exchange procedure the hand has always used (so cards of equal dignity
// keep the order it leaves them in).
TSortedList DisplayOrder(std::vector<TPlayerCard> cards, uint8_t TrumpSuit);

} // namespace trelvo::scene::rules
