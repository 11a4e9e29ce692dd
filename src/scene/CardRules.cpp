#include "CardRules.h"

#include <utility>

namespace trelvo::scene::rules {

int Compare(const TPlayerCard &a, const TPlayerCard &b, uint8_t TrumpSuit) {
    const bool aTrump = a.Suit == TrumpSuit, bTrump = b.Suit == TrumpSuit;
    if (bTrump && !aTrump)
        return -1;
    if (aTrump && !bTrump)
        return 1;
    if (a.Dignity < b.Dignity)
        return -1;
    return a.Dignity == b.Dignity ? 0 : 1;
}

TSortedList DisplayOrder(std::vector<TPlayerCard> cards, uint8_t TrumpSuit) {
    const size_t n = cards.size();
    TSortedList order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = static_cast<uint8_t>(i);
    for (size_t i = 0; i + 1 < n; ++i)
        for (size_t j = n - 1; j > i; --j)
            if (Compare(cards[i], cards[j], TrumpSuit) < 0) {
                std::swap(cards[i], cards[j]);
                std::swap(order[i], order[j]);
            }
    return order;
}

} // namespace trelvo::scene::rules
