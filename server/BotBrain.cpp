#include "server/BotBrain.h"

#include "common/CardRule.h"

#include <algorithm>

namespace trelvo::server {

namespace {

// What a card is worth keeping: trumps above everything, then rank.
int Value(const msg::TCard &C, int TrumpSuit) {
    return C.Dignity + (C.Suit == TrumpSuit ? 20 : 0);
}

std::vector<msg::TCard> ByValue(const TBotView &V) {
    std::vector<msg::TCard> hand = V.Hand;
    std::sort(hand.begin(), hand.end(), [&](const msg::TCard &a, const msg::TCard &b) {
        return std::make_pair(Value(a, V.TrumpSuit), a.Suit) < std::make_pair(Value(b, V.TrumpSuit), b.Suit);
    });
    return hand;
}

TBotAction ChooseLead(const TBotView &V) {
    const std::vector<msg::TCard> hand = ByValue(V);
    // Once the stock is gone, the cards nobody has seen are in the others' hands: lead what none of
    // them can beat.
    if (V.Stock == 0 && V.Counting) {
        const std::vector<msg::TCard> unseen = V.Unseen();
        for (const msg::TCard &c : hand) {
            const bool beatable = std::any_of(unseen.begin(), unseen.end(),
                                              [&](const msg::TCard &u) { return Beats(u, c, V.TrumpSuit); });
            if (!beatable)
                return {TBotAction::Go, c.ID};
        }
    }
    return {TBotAction::Go, hand.front().ID};
}

TBotAction ChooseDefence(const TBotView &V) {
    // Cover the strongest open cards first, each with the cheapest card that beats it.
    std::vector<int> open;
    for (int place = 0; place < static_cast<int>(V.Table.size()); ++place)
        if (!V.Table[place].Covered)
            open.push_back(place);
    std::sort(open.begin(), open.end(), [&](int a, int b) {
        return Value(V.Table[a].Attack, V.TrumpSuit) > Value(V.Table[b].Attack, V.TrumpSuit);
    });
    const std::vector<msg::TCard> hand = ByValue(V);
    std::vector<bool> used(hand.size(), false);
    TBotAction first{TBotAction::Take};
    int cost = 0;
    bool all = true;
    for (int place : open) {
        bool found = false;
        for (size_t i = 0; i < hand.size(); ++i) {
            if (!used[i] && Beats(hand[i], V.Table[place].Attack, V.TrumpSuit)) {
                used[i] = true;
                found = true;
                cost += V.IsTrump(hand[i]) ? 10 + hand[i].Dignity - 4 : std::max(0, hand[i].Dignity - 10);
                if (first.Kind == TBotAction::Take)
                    first = {TBotAction::Cover, hand[i].ID, place};
                break;
            }
        }
        if (!found) {
            all = false;
            break;
        }
    }
    // A transfer pays when it costs a plain card, or when covering would cost trumps.
    if (V.TransferOpen && !V.Table.empty()) {
        const msg::TCard *best = nullptr;
        for (const msg::TCard &c : hand)
            if (c.Dignity == V.Table.front().Attack.Dignity &&
                (!best || Value(c, V.TrumpSuit) < Value(*best, V.TrumpSuit)))
                best = &c;
        if (best && (!V.IsTrump(*best) || !all || cost >= 10))
            return {TBotAction::Transfer, best->ID};
    }
    if (!all)
        return {TBotAction::Take};
    // Early on, taking a few cheap cards beats spending the high trumps on them.
    const bool cheapAttack = std::all_of(open.begin(), open.end(), [&](int place) {
        return !V.IsTrump(V.Table[place].Attack) && V.Table[place].Attack.Dignity <= 9;
    });
    if (V.Stock > 10 && cheapAttack && cost >= 20 && V.Table.size() <= 2)
        return {TBotAction::Take};
    return first;
}

TBotAction ChooseThrow(const TBotView &V) {
    if (static_cast<int>(V.Table.size()) >= V.Cap())
        return {TBotAction::Bito};
    const msg::TCard *best = nullptr;
    for (const msg::TCard &c : V.Hand) {
        if (!V.RankOnTable(c))
            continue;
        // Throw in what is cheap; once the stock is gone, everything that sheds a card.
        const bool cheap = V.Stock == 0 || (!V.IsTrump(c) && (c.Dignity <= 10 || V.Taking));
        if (cheap && (!best || Value(c, V.TrumpSuit) < Value(*best, V.TrumpSuit)))
            best = &c;
    }
    if (best)
        return {TBotAction::Go, best->ID};
    return {TBotAction::Bito};
}

} // namespace

TBotAction TEasyBrain::Choose(const TBotView &View, TRandom &Rng) {
    const std::vector<TBotAction> actions = View.LegalActions();
    return actions[Rng.Below(static_cast<int>(actions.size()))];
}

TBotAction TNormalBrain::Choose(const TBotView &View, TRandom &) {
    return Decide(View);
}

TBotAction TNormalBrain::Decide(const TBotView &View) {
    switch (View.Turn) {
    case TBotTurn::Lead:
        return ChooseLead(View);
    case TBotTurn::Defend:
        return ChooseDefence(View);
    default:
        return ChooseThrow(View);
    }
}

} // namespace trelvo::server
