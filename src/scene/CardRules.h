#pragma once

#include "game/api/CardModel.h"

#include <cstdint>
#include <vector>

// How the own hand is ordered. Which of its cards light up follows the rule the game server uses
// (common/CardRule.h); everything else comes from the game server.
namespace trelvo::scene::rules {

// Entry i is the index of the card to be shown at position i.
using TSortedList = std::vector<uint8_t>;

// -1, 0 or +1: trumps above every other card, otherwise by dignity alone (other suits are not
// compared, so two cards of equal dignity are equal).
int Compare(const TPlayerCard &a, const TPlayerCard &b, uint8_t TrumpSuit);

// The own hand's display order: trumps from highest to lowest, then the rest from highest to
// lowest dignity, by the exchange procedure the hand has always used (so cards of equal dignity
// keep the order it leaves them in).
TSortedList DisplayOrder(std::vector<TPlayerCard> cards, uint8_t TrumpSuit);

} // namespace trelvo::scene::rules
