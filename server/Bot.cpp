#include "server/Bot.h"

#include "protocol/ClientMessages.h"

#include <algorithm>

namespace trelvo::server {

namespace {

// What a card is worth keeping: trumps above everything, then rank.
int Value(const msg::TCard &C, int TrumpSuit) {
    return C.Dignity + (C.Suit == TrumpSuit ? 20 : 0);
}

} // namespace

TBot::TBot(TClock &Clock, std::uint64_t Seed, TBotLevel Level, int ThinkMinMs, int ThinkMaxMs,
           int RoundEndPauseMs, QString Name)
    : FClock(Clock), FRng(Seed), FLevel(Level), FThinkMinMs(ThinkMinMs), FThinkMaxMs(ThinkMaxMs),
      FRoundEndPauseMs(RoundEndPauseMs), FName(std::move(Name)) {}

TBot::~TBot() {
    if (FPending)
        FClock.Cancel(FPending);
}

void TBot::Receive(const QString &Message) {
    const auto m = msg::ParseServerMessage(Message);
    if (m)
        Handle(*m);
}

int TBot::Count(int ID) const {
    for (const auto &c : FCounts)
        if (c.first == ID)
            return c.second;
    return 0;
}

void TBot::SetCount(int ID, int Value) {
    for (auto &c : FCounts)
        if (c.first == ID) {
            c.second = Value;
            return;
        }
    FCounts.push_back({ID, Value});
}

void TBot::RemoveOwn(int Suit, int Dignity) {
    const auto it = std::find_if(FHand.begin(), FHand.end(),
                                 [&](const msg::TCard &c) { return c.Suit == Suit && c.Dignity == Dignity; });
    if (it != FHand.end())
        FHand.erase(it);
}

bool TBot::Beats(const msg::TCard &A, const msg::TCard &B) const {
    if (A.Suit == B.Suit)
        return A.Dignity > B.Dignity;
    return A.Suit == FTrumpSuit;
}

bool TBot::RankOnTable(int Dignity) const {
    for (const TSlot &s : FTable)
        if (s.Attack.Dignity == Dignity || (s.Covered && s.Cover.Dignity == Dignity))
            return true;
    return false;
}

int TBot::Cap() const {
    return std::min(FRules.MaxFive && FBout == 0 ? 5 : 6, FCapBase);
}

void TBot::Handle(const msg::TServerMessage &M) {
    if (const auto *room = std::get_if<msg::TWaitingRoom>(&M)) {
        FTableID = room->TableID;
        for (const msg::TSeat &seat : room->Seats)
            if (seat.Name == FName && !seat.Ready)
                FWantReady = true;
    } else if (const auto *start = std::get_if<msg::TGameStart>(&M)) {
        FInGame = true;
        FCounts.clear();
        for (const msg::TGamePlayer &p : start->Players) {
            if (p.Name == FName)
                FMyId = p.ID;
            SetCount(p.ID, static_cast<int>(start->Cards.size()));
        }
        FHand = start->Cards;
        FTrumpSuit = start->TrumpSuit;
        FStock = start->DeckCount;
        FBout = 0;
        FTable.clear();
        FGone.clear();
        FTaking = false;
        FCounting = true;
        FDefender = -1;
        FTurn = start->FirstID == FMyId ? TTurn::Lead : TTurn::None;
    } else if (!FInGame) {
        return;
    } else if (const auto *played = std::get_if<msg::TCardPlayed>(&M)) {
        const msg::TCard face{0, played->Suit, played->Dignity};
        if (played->AttackerID == FMyId)
            RemoveOwn(face.Suit, face.Dignity);
        SetCount(played->AttackerID, Count(played->AttackerID) - 1);
        // A lead or a transfer sets the attack's limit by the defender's hand at that moment.
        if (FTable.empty() || played->DefenderID != FDefender)
            FCapBase = Count(played->DefenderID);
        FDefender = played->DefenderID;
        FTable.push_back({face, false, {}});
        FTransferOpen = played->Transfer;
        if (FTaking)
            FTurn = played->AttackerID == FMyId ? TTurn::Throw : TTurn::None;
        else
            FTurn = played->DefenderID == FMyId ? TTurn::Defend : TTurn::None;
    } else if (const auto *covered = std::get_if<msg::TCovered>(&M)) {
        msg::TCard face = covered->HasFace ? msg::TCard{0, covered->Suit, covered->Dignity} : FLastCover;
        if (covered->CovererID == FMyId)
            RemoveOwn(face.Suit, face.Dignity);
        SetCount(covered->CovererID, Count(covered->CovererID) - 1);
        if (covered->Place >= 0 && covered->Place < static_cast<int>(FTable.size())) {
            FTable[covered->Place].Covered = true;
            FTable[covered->Place].Cover = face;
        }
        FTransferOpen = false;
        FTurn = TTurn::None;
        if (covered->CoverKind == 0 && covered->NextID == FMyId)
            FTurn = TTurn::Throw;
        if (covered->CoverKind == 2 && covered->NextID == FMyId)
            FTurn = TTurn::Defend;
    } else if (const auto *taken = std::get_if<msg::TTaken>(&M)) {
        FTaking = true;
        FTurn = taken->NextID == FMyId ? TTurn::Throw : TTurn::None;
    } else if (const auto *passed = std::get_if<msg::TPassed>(&M)) {
        FTurn = passed->NextID == FMyId ? TTurn::Throw : TTurn::None;
    } else if (const auto *end = std::get_if<msg::TBoutEnd>(&M)) {
        if (end->Bito)
            for (const TSlot &s : FTable) {
                FGone.push_back(s.Attack);
                if (s.Covered)
                    FGone.push_back(s.Cover);
            }
        FTable.clear();
        for (const msg::TCardCount &c : end->Counts)
            SetCount(c.ID, c.CardCount);
        FHand.insert(FHand.end(), end->Cards.begin(), end->Cards.end());
        FStock = end->DeckCount;
        FTaking = false;
        ++FBout;
        FBoutEndedAt = FClock.Now();
        FTurn = end->NextID == FMyId ? TTurn::Lead : TTurn::None;
    } else if (std::get_if<msg::TGameResult>(&M)) {
        FInGame = false;
        FTurn = TTurn::None;
    } else if (const auto *left = std::get_if<msg::TPlayerLeft>(&M)) {
        if (left->ToLeaver) {
            FInGame = false;
            FTurn = TTurn::None;
        } else {
            // The leaver's cards go unseen to the discard: counting is guesswork from here on.
            FCounting = false;
            SetCount(left->LeaverID, 0);
            FTurn = TTurn::None;
        }
    }
    Wake();
}

void TBot::Wake() {
    if (FPending || (FTurn == TTurn::None && !FWantReady))
        return;
    FPending = FClock.Schedule(FRng.Between(FThinkMinMs, FThinkMaxMs), [this] {
        FPending = 0;
        Act();
    });
}

void TBot::Act() {
    if (FWantReady) {
        FWantReady = false;
        if (OnRequest)
            OnRequest(msg::Build(msg::TReadyRequest{FTableID, true}));
    }
    if (FTurn == TTurn::None || !FInGame)
        return;
    // A card led while the clients still show the last bout's end would land in the middle of it.
    const int64_t pause = FBoutEndedAt + FRoundEndPauseMs - FClock.Now();
    if (FTurn == TTurn::Lead && FBout > 0 && pause > 0) {
        FPending = FClock.Schedule(pause, [this] {
            FPending = 0;
            Act();
        });
        return;
    }
    const TAction action = Choose();
    // Cleared before the request: the server's answer arrives inside it and may give the turn back.
    FTurn = TTurn::None;
    Send(action);
}

void TBot::Send(const TAction &A) {
    if (!OnRequest)
        return;
    switch (A.Kind) {
    case TAction::Go:
        OnRequest(msg::Build(msg::TGoRequest{FTableID, A.Card}));
        break;
    case TAction::Cover:
        for (const msg::TCard &c : FHand)
            if (c.ID == A.Card)
                FLastCover = c;
        OnRequest(msg::Build(msg::TCoverRequest{FTableID, A.Card, A.Place}));
        break;
    case TAction::Transfer:
        OnRequest(msg::Build(msg::TTransferRequest{FTableID, A.Card}));
        break;
    case TAction::Take:
        OnRequest(msg::Build(msg::TTakeRequest{FTableID}));
        break;
    case TAction::Bito:
        OnRequest(msg::Build(msg::TBitoRequest{FTableID}));
        break;
    }
}

std::vector<TBot::TAction> TBot::LegalActions() const {
    std::vector<TAction> actions;
    switch (FTurn) {
    case TTurn::None:
        break;
    case TTurn::Lead:
        for (const msg::TCard &c : FHand)
            actions.push_back({TAction::Go, c.ID});
        break;
    case TTurn::Defend:
        for (int place = 0; place < static_cast<int>(FTable.size()); ++place) {
            if (FTable[place].Covered)
                continue;
            for (const msg::TCard &c : FHand)
                if (Beats(c, FTable[place].Attack))
                    actions.push_back({TAction::Cover, c.ID, place});
        }
        if (FTransferOpen)
            for (const msg::TCard &c : FHand)
                if (c.Dignity == FTable.front().Attack.Dignity)
                    actions.push_back({TAction::Transfer, c.ID});
        actions.push_back({TAction::Take});
        break;
    case TTurn::Throw:
        if (static_cast<int>(FTable.size()) < Cap())
            for (const msg::TCard &c : FHand)
                if (RankOnTable(c.Dignity))
                    actions.push_back({TAction::Go, c.ID});
        actions.push_back({TAction::Bito});
        break;
    }
    return actions;
}

TBot::TAction TBot::Choose() {
    if (FLevel == TBotLevel::Easy) {
        const std::vector<TAction> actions = LegalActions();
        return actions[FRng.Below(static_cast<int>(actions.size()))];
    }
    switch (FTurn) {
    case TTurn::Lead:
        return ChooseLead();
    case TTurn::Defend:
        return ChooseDefence();
    default:
        return ChooseThrow();
    }
}

std::vector<msg::TCard> TBot::Unseen() const {
    std::vector<msg::TCard> unseen;
    auto seen = [&](int suit, int dignity) {
        auto same = [&](const msg::TCard &c) { return c.Suit == suit && c.Dignity == dignity; };
        return std::any_of(FHand.begin(), FHand.end(), same) ||
               std::any_of(FGone.begin(), FGone.end(), same) ||
               std::any_of(FTable.begin(), FTable.end(),
                           [&](const TSlot &s) { return same(s.Attack) || (s.Covered && same(s.Cover)); });
    };
    for (int suit = 1; suit <= 4; ++suit)
        for (int dignity = 5; dignity <= 13; ++dignity)
            if (!seen(suit, dignity))
                unseen.push_back({0, suit, dignity});
    return unseen;
}

TBot::TAction TBot::ChooseLead() const {
    std::vector<msg::TCard> hand = FHand;
    std::sort(hand.begin(), hand.end(), [&](const msg::TCard &a, const msg::TCard &b) {
        return Value(a, FTrumpSuit) < Value(b, FTrumpSuit);
    });
    // Once the stock is gone, the cards nobody has seen are in the others' hands: lead what none of
    // them can beat.
    if (FStock == 0 && FCounting) {
        const std::vector<msg::TCard> unseen = Unseen();
        for (const msg::TCard &c : hand) {
            const bool beatable =
                std::any_of(unseen.begin(), unseen.end(), [&](const msg::TCard &u) { return Beats(u, c); });
            if (!beatable)
                return {TAction::Go, c.ID};
        }
    }
    return {TAction::Go, hand.front().ID};
}

TBot::TAction TBot::ChooseDefence() const {
    // Cover the strongest open cards first, each with the cheapest card that beats it.
    std::vector<int> open;
    for (int place = 0; place < static_cast<int>(FTable.size()); ++place)
        if (!FTable[place].Covered)
            open.push_back(place);
    std::sort(open.begin(), open.end(), [&](int a, int b) {
        return Value(FTable[a].Attack, FTrumpSuit) > Value(FTable[b].Attack, FTrumpSuit);
    });
    std::vector<msg::TCard> hand = FHand;
    std::sort(hand.begin(), hand.end(), [&](const msg::TCard &a, const msg::TCard &b) {
        return Value(a, FTrumpSuit) < Value(b, FTrumpSuit);
    });
    std::vector<bool> used(hand.size(), false);
    TAction first{TAction::Take};
    int cost = 0;
    bool all = true;
    for (int place : open) {
        bool found = false;
        for (size_t i = 0; i < hand.size(); ++i) {
            if (!used[i] && Beats(hand[i], FTable[place].Attack)) {
                used[i] = true;
                found = true;
                cost += IsTrump(hand[i]) ? 10 + hand[i].Dignity - 4 : std::max(0, hand[i].Dignity - 10);
                if (first.Kind == TAction::Take)
                    first = {TAction::Cover, hand[i].ID, place};
                break;
            }
        }
        if (!found) {
            all = false;
            break;
        }
    }
    // A transfer pays when it costs a plain card, or when covering would cost trumps.
    if (FTransferOpen) {
        const msg::TCard *best = nullptr;
        for (const msg::TCard &c : hand)
            if (c.Dignity == FTable.front().Attack.Dignity &&
                (!best || Value(c, FTrumpSuit) < Value(*best, FTrumpSuit)))
                best = &c;
        if (best && (!IsTrump(*best) || !all || cost >= 10))
            return {TAction::Transfer, best->ID};
    }
    if (!all)
        return {TAction::Take};
    // Early on, taking a few cheap cards beats spending the high trumps on them.
    const bool cheapAttack = std::all_of(open.begin(), open.end(), [&](int place) {
        return !IsTrump(FTable[place].Attack) && FTable[place].Attack.Dignity <= 9;
    });
    if (FStock > 10 && cheapAttack && cost >= 20 && FTable.size() <= 2)
        return {TAction::Take};
    return first;
}

TBot::TAction TBot::ChooseThrow() const {
    if (static_cast<int>(FTable.size()) >= Cap())
        return {TAction::Bito};
    const msg::TCard *best = nullptr;
    for (const msg::TCard &c : FHand) {
        if (!RankOnTable(c.Dignity))
            continue;
        // Throw in what is cheap; once the stock is gone, everything that sheds a card.
        const bool cheap = FStock == 0 || (!IsTrump(c) && (c.Dignity <= 10 || FTaking));
        if (cheap && (!best || Value(c, FTrumpSuit) < Value(*best, FTrumpSuit)))
            best = &c;
    }
    if (best)
        return {TAction::Go, best->ID};
    return {TAction::Bito};
}

} // namespace trelvo::server
