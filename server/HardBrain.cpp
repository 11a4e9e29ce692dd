#include "server/HardBrain.h"

#include <algorithm>
#include <chrono>

namespace trelvo::server {

// The method is determinized ("perfect information") Monte Carlo sampling, as used for hidden-hand
// card games since Ginsberg's GIB (M. L. Ginsberg, "GIB: Imperfect Information in a Computationally
// Challenging Game", JAIR 14, 2001; analysed by Long, Sturtevant, Buro and Furtak, "Understanding the
// Success of Perfect Information Monte Carlo Sampling in Game Tree Search", AAAI 2010). Each deal is
// searched by flat Monte Carlo with the normal brain as the playout policy for every seat, which
// makes the choice a one-step policy improvement over that brain (Tesauro and Galperin, "On-line
// Policy Improvement using Monte-Carlo Search", NIPS 1996). Every candidate move is played out on the
// same deals, so their averages differ by the moves and not by the luck of the deal.

namespace {

// A playout that goes round in circles this long is called a draw, as the rules would later.
constexpr int kMaxPlayoutMoves = 600;

double Score(int Result) {
    return Result == kWon ? 1.0 : Result == kDraw ? 0.5 : Result == kLost ? 0.0 : 0.5;
}

// Every seat plays the normal brain on its own full view of the deal until the game ends.
double PlayOut(TDurakGame &Game, int Me, TBotView &View) {
    for (int moves = 0; moves < kMaxPlayoutMoves && Game.Phase() != TPhase::Over; ++moves) {
        const int active = Game.Active();
        if (active < 0)
            break; // a deal the rules cannot go on from: no verdict
        View.Load(Game, active);
        THardBrain::Play(Game, View, TNormalBrain::Decide(View));
        Game.TakeEvents();
    }
    return Game.Phase() == TPhase::Over ? Score(Game.Result(Me)) : 0.5;
}

} // namespace

TRefusal THardBrain::Play(TDurakGame &Game, const TBotView &View, const TBotAction &A) {
    const msg::TCard *own = View.OwnCard(A.Card);
    const int card = own && InDeck(*own) ? DeckIndex(*own) : -1;
    switch (A.Kind) {
    case TBotAction::Go:
        return Game.Go(View.Me, card);
    case TBotAction::Cover:
        return Game.Cover(View.Me, card, A.Place);
    case TBotAction::Transfer:
        return Game.Transfer(View.Me, card);
    case TBotAction::Take:
        return Game.Take(View.Me);
    case TBotAction::Bito:
        return Game.Bito(View.Me);
    }
    return TRefusal::Illegal;
}

const std::vector<TFace> &THardBrain::Deck() {
    static const std::vector<TFace> deck = OrderedFaces();
    return deck;
}

TPosition THardBrain::Sample(const TBotView &View, TRandom &Rng) {
    const int n = static_cast<int>(View.Ids.size());
    TPosition p;
    p.Hands.resize(n);
    std::vector<bool> placed(kDeckSize, false);
    auto place = [&](const msg::TCard &c) {
        if (!InDeck(c) || placed[DeckIndex(c)])
            return -1;
        placed[DeckIndex(c)] = true;
        return DeckIndex(c);
    };
    for (const msg::TCard &c : View.Hand)
        if (const int id = place(c); id >= 0)
            p.Hands[View.Me].push_back(id);
    for (const TBotSlot &s : View.Table)
        p.Table.push_back({place(s.Attack), s.Covered ? place(s.Cover) : -1});
    for (const msg::TCard &c : View.Discarded)
        place(c);
    const bool trumpInStock = View.Stock > 0 && InDeck(View.TrumpCard);
    const int trumpId = InDeck(View.TrumpCard) ? DeckIndex(View.TrumpCard) : -1;
    if (trumpInStock)
        placed[trumpId] = true;
    std::vector<int> need(n, 0);
    for (int q = 0; q < n; ++q) {
        if (q == View.Me || View.Out[q])
            continue;
        const std::vector<msg::TCard> none;
        for (const msg::TCard &c : q < static_cast<int>(View.Known.size()) ? View.Known[q] : none)
            if (static_cast<int>(p.Hands[q].size()) < View.Counts[q])
                if (const int id = place(c); id >= 0)
                    p.Hands[q].push_back(id);
        need[q] = std::max(0, View.Counts[q] - static_cast<int>(p.Hands[q].size()));
    }
    std::vector<int> pool;
    for (int id = 0; id < kDeckSize; ++id)
        if (!placed[id])
            pool.push_back(id);
    Rng.Shuffle(pool);
    size_t next = 0;
    for (int q = 0; q < n; ++q)
        for (int k = 0; k < need[q] && next < pool.size(); ++k)
            p.Hands[q].push_back(pool[next++]);
    const int stock = View.Stock - (trumpInStock ? 1 : 0);
    for (int k = 0; k < stock && next < pool.size(); ++k)
        p.Stock.push_back(pool[next++]);
    if (trumpInStock)
        p.Stock.push_back(trumpId);
    p.Out = View.Out;
    p.Passed = View.Passed;
    p.TrumpSuit = View.TrumpSuit;
    p.TrumpCard = trumpId;
    switch (View.Turn) {
    case TBotTurn::Lead:
        p.Phase = TPhase::Lead;
        break;
    case TBotTurn::Defend:
        p.Phase = TPhase::Defend;
        break;
    default:
        p.Phase = View.Taking ? TPhase::Taking : TPhase::ThrowIn;
        break;
    }
    p.Attacker = View.Attacker;
    p.Defender = View.Defender;
    p.Active = View.Me;
    p.Cap = View.Cap();
    p.Bout = View.Bout;
    return p;
}

TBotAction THardBrain::Choose(const TBotView &View, TRandom &Rng) {
    std::vector<TBotAction> actions = View.LegalActions();
    if (actions.size() <= 1)
        return actions.empty() ? TBotAction{} : actions.front();
    // The normal brain's move first: it keeps ties and searches cut short by time.
    const TBotAction usual = TNormalBrain::Decide(View);
    const auto it = std::find(actions.begin(), actions.end(), usual);
    if (it != actions.end())
        std::rotate(actions.begin(), it, it + 1);
    const auto start = std::chrono::steady_clock::now();
    const int count = static_cast<int>(actions.size());
    std::vector<double> total(count, 0.0);
    TBotView scratch;
    int playouts = 0;
    while (playouts + count <= std::max(FBudget.Playouts, count)) {
        const TPosition deal = Sample(View, Rng);
        for (int a = 0; a < count; ++a) {
            TDurakGame game(View.Rules, Deck(), deal);
            Play(game, View, actions[a]);
            game.TakeEvents();
            total[a] += PlayOut(game, View.Me, scratch);
        }
        playouts += count;
        if (FBudget.TimeMs > 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(FBudget.TimeMs))
            break;
    }
    int best = 0;
    for (int a = 1; a < count; ++a)
        if (total[a] > total[best])
            best = a;
    return actions[best];
}

} // namespace trelvo::server
