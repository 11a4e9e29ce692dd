#include "server/BotView.h"

#include "server/Durak.h"

#include <algorithm>
#include <array>

namespace trelvo::server {

namespace {

bool Same(const msg::TCard &A, const msg::TCard &B) {
    return A.Suit == B.Suit && A.Dignity == B.Dignity;
}

void RemoveFace(std::vector<msg::TCard> &Cards, const msg::TCard &C) {
    const auto it = std::find_if(Cards.begin(), Cards.end(), [&](const msg::TCard &x) { return Same(x, C); });
    if (it != Cards.end())
        Cards.erase(it);
}

} // namespace

bool TBotView::RankOnTable(const msg::TCard &Card) const {
    return trelvo::RankOnTable(Card, Table, [](const TBotSlot &s) {
        return std::array{s.Attack, s.Covered ? s.Cover : msg::TCard{}};
    });
}

int TBotView::Cap() const {
    return AttackCap(Rules.MaxFive, Bout, CapBase);
}

const msg::TCard *TBotView::OwnCard(int ID) const {
    for (const msg::TCard &c : Hand)
        if (c.ID == ID)
            return &c;
    return nullptr;
}

std::vector<TBotAction> TBotView::LegalActions() const {
    std::vector<TBotAction> actions;
    auto add = [&](const TBotAction &A, const msg::TCard *Card) {
        if (Allows(A, Card))
            actions.push_back(A);
    };
    for (const msg::TCard &c : Hand) {
        add({TBotAction::Go, c.ID}, &c);
        if (Turn == TBotTurn::Defend) {
            for (int place = 0; place < static_cast<int>(Table.size()); ++place)
                add({TBotAction::Cover, c.ID, place}, &c);
            add({TBotAction::Transfer, c.ID}, &c);
        }
    }
    add({TBotAction::Take}, nullptr);
    add({TBotAction::Bito}, nullptr);
    return actions;
}

bool TBotView::IsLegal(const TBotAction &A) const {
    return Allows(A, OwnCard(A.Card));
}

bool TBotView::Allows(const TBotAction &A, const msg::TCard *card) const {
    switch (A.Kind) {
    case TBotAction::Go:
        return card && (Turn == TBotTurn::Lead ||
                        (Turn == TBotTurn::Throw && static_cast<int>(Table.size()) < Cap() &&
                         RankOnTable(*card)));
    case TBotAction::Cover:
        return card && Turn == TBotTurn::Defend && A.Place >= 0 && A.Place < static_cast<int>(Table.size()) &&
               !Table[A.Place].Covered && Beats(*card, Table[A.Place].Attack, TrumpSuit);
    case TBotAction::Transfer:
        return card && Turn == TBotTurn::Defend && TransferOpen && !Table.empty() &&
               TransfersWith(*card, Table.front().Attack);
    case TBotAction::Take:
        return Turn == TBotTurn::Defend;
    case TBotAction::Bito:
        return Turn == TBotTurn::Throw;
    }
    return false;
}

std::vector<msg::TCard> TBotView::Unseen() const {
    bool seen[kDeckSize] = {};
    auto mark = [&](const msg::TCard &c) {
        if (InDeck(c))
            seen[DeckIndex(c)] = true;
    };
    for (const msg::TCard &c : Hand)
        mark(c);
    for (const msg::TCard &c : Discarded)
        mark(c);
    for (const TBotSlot &s : Table) {
        mark(s.Attack);
        if (s.Covered)
            mark(s.Cover);
    }
    std::vector<msg::TCard> unseen;
    for (const TDeckFace &face : DeckInOrder())
        if (!seen[DeckIndex(face)])
            unseen.push_back({-1, face.Suit, face.Dignity});
    return unseen;
}

int TBotView::IndexOf(int ID) const {
    for (int i = 0; i < static_cast<int>(Ids.size()); ++i)
        if (Ids[i] == ID)
            return i;
    return -1;
}

void TBotView::Forget(int Player, const msg::TCard &C) {
    if (Player == Me)
        RemoveFace(Hand, C);
    else if (Player >= 0 && Player < static_cast<int>(Known.size()))
        RemoveFace(Known[Player], C);
}

void TBotView::EndGame() {
    Me = -1;
    Turn = TBotTurn::None;
}

bool TBotView::Apply(const msg::TServerMessage &M, const QString &MyName) {
    const int n = static_cast<int>(Ids.size());
    auto valid = [&](int p) { return p >= 0 && p < n; };
    auto resetPassed = [&] { std::fill(Passed.begin(), Passed.end(), false); };
    ++Version;
    if (const auto *start = std::get_if<msg::TGameStart>(&M)) {
        const TTableRules rules = Rules;
        *this = TBotView{};
        Rules = rules;
        for (const msg::TGamePlayer &p : start->Players) {
            if (p.Name == MyName)
                Me = static_cast<int>(Ids.size());
            Ids.push_back(p.ID);
        }
        const int players = static_cast<int>(Ids.size());
        Counts.assign(players, static_cast<int>(start->Cards.size()));
        Out.assign(players, false);
        Passed.assign(players, false);
        Known.assign(players, {});
        Hand = start->Cards;
        TrumpSuit = start->TrumpSuit;
        TrumpCard = {-1, start->TrumpSuit, start->TrumpDignity};
        Stock = start->DeckCount;
        Attacker = Active = IndexOf(start->FirstID);
        const bool known = Attacker >= 0 && players > 1;
        Defender = known ? (Attacker + 1) % players : -1;
        CapBase = known ? Counts[Defender] : kMaxBoutCards;
        Turn = Me >= 0 && Attacker == Me ? TBotTurn::Lead : TBotTurn::None;
        return true;
    }
    if (!InGame())
        return false;
    if (const auto *played = std::get_if<msg::TCardPlayed>(&M)) {
        const int a = IndexOf(played->AttackerID), d = IndexOf(played->DefenderID);
        if (!valid(a) || !valid(d))
            return false;
        const msg::TCard face{-1, played->Suit, played->Dignity};
        Forget(a, face);
        --Counts[a];
        // A lead or a transfer makes a new main attacker and sets the attack's limit by the defender's
        // hand at that moment.
        if (Table.empty() || d != Defender) {
            CapBase = Counts[d];
            Attacker = a;
        }
        Defender = d;
        Table.push_back({face, false, {}});
        TransferOpen = played->Transfer;
        resetPassed();
        if (Taking) {
            Active = a;
            Turn = a == Me ? TBotTurn::Throw : TBotTurn::None;
        } else {
            Active = d;
            Turn = d == Me ? TBotTurn::Defend : TBotTurn::None;
        }
    } else if (const auto *covered = std::get_if<msg::TCovered>(&M)) {
        const int c = IndexOf(covered->CovererID);
        if (!valid(c))
            return false;
        const msg::TCard face =
            covered->HasFace ? msg::TCard{-1, covered->Suit, covered->Dignity} : LastCover;
        Forget(c, face);
        --Counts[c];
        if (covered->Place >= 0 && covered->Place < static_cast<int>(Table.size())) {
            Table[covered->Place].Covered = true;
            Table[covered->Place].Cover = {-1, face.Suit, face.Dignity};
        }
        TransferOpen = false;
        Turn = TBotTurn::None;
        const int next = IndexOf(covered->NextID);
        if (covered->CoverKind != 2)
            resetPassed();
        if (valid(next))
            Active = next;
        if (covered->CoverKind == 0 && next == Me)
            Turn = TBotTurn::Throw;
        if (covered->CoverKind == 2 && next == Me)
            Turn = TBotTurn::Defend;
    } else if (const auto *taken = std::get_if<msg::TTaken>(&M)) {
        Taking = true;
        TransferOpen = false;
        resetPassed();
        Active = IndexOf(taken->NextID);
        Turn = valid(Active) && Active == Me ? TBotTurn::Throw : TBotTurn::None;
    } else if (const auto *passed = std::get_if<msg::TPassed>(&M)) {
        if (valid(Active))
            Passed[Active] = true;
        Active = IndexOf(passed->NextID);
        Turn = valid(Active) && Active == Me ? TBotTurn::Throw : TBotTurn::None;
    } else if (const auto *end = std::get_if<msg::TBoutEnd>(&M)) {
        const int taker = end->Bito ? -1 : IndexOf(end->TakerID);
        std::vector<msg::TCard> &to = !valid(taker) ? Discarded : taker == Me ? Hand : Known[taker];
        int tableCards = 0;
        for (const TBotSlot &s : Table) {
            // The seat's own taken cards come with the message's cards.
            if (&to != &Hand) {
                to.push_back(s.Attack);
                if (s.Covered)
                    to.push_back(s.Cover);
            }
            tableCards += s.Covered ? 2 : 1;
        }
        // The stock runs out: the last to draw (the main attacker first, clockwise, the defender last)
        // holds the trump card.
        const bool stockRunsOut = Counting && Stock > 0 && end->DeckCount == 0 && valid(Attacker) && valid(Defender);
        std::vector<int> before;
        if (stockRunsOut) {
            before = Counts;
            if (valid(taker))
                before[taker] += tableCards;
        }
        for (const msg::TCardCount &c : end->Counts)
            if (valid(IndexOf(c.ID)))
                Counts[IndexOf(c.ID)] = c.CardCount;
        if (stockRunsOut) {
            int owner = -1;
            for (int i = 0; i < n; ++i) {
                const int p = (Attacker + i) % n;
                if (p != Defender && !Out[p] && Counts[p] > before[p])
                    owner = p;
            }
            if (!Out[Defender] && Counts[Defender] > before[Defender])
                owner = Defender;
            TrumpOwner = owner;
            if (valid(owner) && owner != Me)
                Known[owner].push_back(TrumpCard);
        }
        Hand.insert(Hand.end(), end->Cards.begin(), end->Cards.end());
        Stock = end->DeckCount;
        Table.clear();
        Taking = false;
        TransferOpen = false;
        resetPassed();
        ++Bout;
        if (Stock == 0)
            for (int p = 0; p < n; ++p)
                Out[p] = Out[p] || Counts[p] == 0;
        Attacker = Active = IndexOf(end->NextID);
        Defender = valid(Attacker) ? NextInGame(Attacker, n, [this](int p) { return !Out[p]; }) : -1;
        CapBase = valid(Defender) ? Counts[Defender] : kMaxBoutCards;
        Turn = valid(Attacker) && Attacker == Me ? TBotTurn::Lead : TBotTurn::None;
    } else if (std::get_if<msg::TGameResult>(&M)) {
        EndGame();
    } else if (const auto *left = std::get_if<msg::TPlayerLeft>(&M)) {
        if (left->ToLeaver) {
            EndGame();
            return true;
        }
        // The leaver's cards and the abandoned bout go to the discard unseen.
        Counting = false;
        const int l = IndexOf(left->LeaverID);
        if (valid(l)) {
            Counts[l] = 0;
            Out[l] = true;
            Known[l].clear();
        }
        for (const TBotSlot &s : Table) {
            Discarded.push_back(s.Attack);
            if (s.Covered)
                Discarded.push_back(s.Cover);
        }
        Table.clear();
        Turn = TBotTurn::None;
    } else {
        --Version;
        return false;
    }
    return true;
}

TBotView TBotView::Of(const TDurakGame &Game, int Player) {
    TBotView v;
    v.Load(Game, Player);
    return v;
}

void TBotView::Load(const TDurakGame &Game, int Player) {
    TBotView &v = *this;
    const int n = Game.Players();
    auto card = [&](int id) {
        const TFace f = Game.Face(id);
        return msg::TCard{id, f.Suit, f.Dignity};
    };
    v.Rules = Game.Rules();
    v.Me = Player;
    v.Ids.resize(n);
    v.Counts.resize(n);
    v.Out.resize(n);
    v.Passed.assign(n, false);
    v.Known.resize(n);
    for (int p = 0; p < n; ++p) {
        v.Ids[p] = p;
        v.Counts[p] = static_cast<int>(Game.Hand(p).size());
        v.Out[p] = !Game.InGame(p);
        v.Known[p].clear();
    }
    v.Hand.clear();
    for (int id : Game.Hand(Player))
        v.Hand.push_back(card(id));
    v.Table.clear();
    v.Discarded.clear();
    v.TrumpOwner = -1;
    v.Counting = true;
    v.TrumpSuit = Game.TrumpSuit();
    v.TrumpCard = Game.TrumpCard() >= 0 ? card(Game.TrumpCard()) : msg::TCard{};
    v.Stock = Game.StockCount();
    for (const TPair &pair : Game.Table())
        v.Table.push_back(
            {card(pair.Attack), pair.Cover >= 0, pair.Cover >= 0 ? card(pair.Cover) : msg::TCard{}});
    for (int id : Game.Discarded())
        v.Discarded.push_back(card(id));
    v.Attacker = Game.Attacker();
    v.Defender = Game.Defender();
    v.Active = Game.Active();
    v.Bout = Game.Bout();
    v.CapBase = Game.Cap();
    v.TransferOpen = Game.TransferOpen();
    v.Taking = Game.Phase() == TPhase::Taking;
    v.Turn = TBotTurn::None;
    if (Game.Active() == Player) {
        switch (Game.Phase()) {
        case TPhase::Lead:
            v.Turn = TBotTurn::Lead;
            break;
        case TPhase::Defend:
            v.Turn = TBotTurn::Defend;
            break;
        case TPhase::ThrowIn:
        case TPhase::Taking:
            v.Turn = TBotTurn::Throw;
            break;
        case TPhase::Over:
            break;
        }
    }
}

} // namespace trelvo::server
