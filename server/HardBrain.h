#pragma once

#include "server/BotBrain.h"
#include "server/Durak.h"

namespace trelvo::server {

// How much thinking one decision may take: the first limit reached ends it. TimeMs 0 is no time limit
// (then a seed alone fixes every choice).
struct TSearchBudget {
    int Playouts = 400;
    int TimeMs = 100;
};

// Plays by search over the hidden cards: deals the cards it cannot see at random in a way that agrees
// with everything its seat saw, plays every move out to the end on each such deal, and picks the move
// that did best on average.
class THardBrain : public IBotBrain {
public:
    explicit THardBrain(TSearchBudget Budget = {}) : FBudget(Budget) {}
    TBotAction Choose(const TBotView &View, TRandom &Rng) override;

    // One deal of the hidden cards that agrees with the view, as a position of the rules engine
    // whose deck is Deck(): the seat's own cards, the table, the discard and every card seen going
    // into a hand stay where the view has them; the rest go at random to the other hands and the
    // stock, the trump card last in the stock while it is there.
    static TPosition Sample(const TBotView &View, TRandom &Rng);
    // Makes the move A of View's seat in a game on Deck(), its card found by its face.
    static TRefusal Play(TDurakGame &Game, const TBotView &View, const TBotAction &A);
    // The deck of faces positions use: card id (suit - 1) * 9 + (dignity - 5).
    static const std::vector<TFace> &Deck();

private:
    TSearchBudget FBudget;
};

} // namespace trelvo::server
