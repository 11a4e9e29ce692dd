#include "server/Table.h"

#include "protocol/ServerMessages.h"
#include "server/Log.h"

#include <variant>

namespace trelvo::server {

TTable::TTable(int ID, const TTableRules &Rules, bool BotsPlayAlone, int TimeGoSeconds, int CountdownTickMs,
               ITableHost &Host, TClock &Clock)
    : FID(ID), FRules(Rules), FBotsPlayAlone(BotsPlayAlone), FTimeGo(TimeGoSeconds),
      FCountdownTickMs(CountdownTickMs), FHost(Host), FClock(Clock) {
    ArmIdle();
}

TTable::~TTable() {
    for (TClock::TId id : {FCountdownTimer, FIdleTimer, FTurnTimer})
        if (id)
            FClock.Cancel(id);
}

int TTable::PlayerCount() const {
    int count = 0;
    for (const TSeatState &s : FSeats)
        count += s.Conn >= 0 ? 1 : 0;
    return count;
}

int TTable::HumanCount() const {
    int count = 0;
    for (const TSeatState &s : FSeats)
        count += s.Conn >= 0 && !FHost.IsBot(s.Conn) ? 1 : 0;
    return count;
}

std::vector<TConnId> TTable::Seated() const {
    std::vector<TConnId> seated;
    for (const TSeatState &s : FSeats)
        if (s.Conn >= 0)
            seated.push_back(s.Conn);
    return seated;
}

int TTable::SlotOf(TConnId Conn) const {
    for (int slot = 0; slot < kSlots; ++slot)
        if (FSeats[slot].Conn == Conn)
            return slot;
    return -1;
}

int TTable::IndexOf(int Slot) const {
    for (int i = 0; i < static_cast<int>(FSlots.size()); ++i)
        if (FSlots[i] == Slot)
            return i;
    return -1;
}

bool TTable::ClosingSoon() const {
    return FIdleTimer && HumanCount() > 0 && FIdleDue - FClock.Now() <= kIdleUnlistedMs;
}

void TTable::ArmIdle() {
    if (FIdleTimer)
        FClock.Cancel(FIdleTimer);
    FIdleDue = FClock.Now() + kIdleCloseMs;
    FIdleTimer = FClock.Schedule(kIdleCloseMs, [this] {
        FIdleTimer = 0;
        if (!Playing() && OnIdle)
            OnIdle(*this);
    });
}

// The waiting room goes to everyone seated who is not inside the running game.
void TTable::SendRoom() {
    msg::TWaitingRoom room{FID, {}};
    for (int slot = 0; slot < kSlots; ++slot)
        if (FSeats[slot].Conn >= 0)
            room.Seats.push_back({slot, FHost.NameOf(FSeats[slot].Conn), FSeats[slot].Ready});
    const msg::TServerMessage text = std::move(room);
    for (const TSeatState &s : FSeats)
        if (s.Conn >= 0 && !s.Listening)
            FHost.Send(s.Conn, text);
}

void TTable::Broadcast(const msg::TServerMessage &Message) {
    for (const TSeatState &s : FSeats)
        if (s.Conn >= 0 && !s.Listening)
            FHost.Send(s.Conn, Message);
}

bool TTable::Seat(TConnId Conn) {
    if (Playing() || Full())
        return false;
    for (TSeatState &s : FSeats) {
        if (s.Conn < 0) {
            s = {Conn, false, false};
            break;
        }
    }
    // A person who just sat down is not sent away for the time the table waited before.
    if (!FHost.IsBot(Conn))
        ArmIdle();
    SendRoom();
    CheckCountdown();
    return true;
}

void TTable::Free(int Slot) {
    const TConnId conn = FSeats[Slot].Conn;
    FSeats[Slot] = {};
    FHost.LeftTable(conn);
}

void TTable::Leave(TConnId Conn) {
    const int slot = SlotOf(Conn);
    if (slot < 0)
        return;
    if (Playing() && FSeats[slot].Listening) {
        // Leaving a running game is a removal: the game goes on without the player.
        FSeats[slot].Listening = false;
        FGame->Remove(IndexOf(slot));
        Free(slot);
        Dispatch();
        SendRoom();
        return;
    }
    Free(slot);
    SendRoom();
    if (FCountdownTimer && PlayerCount() < 2)
        StopCountdown();
}

void TTable::SetReady(TConnId Conn, bool Ready) {
    const int slot = SlotOf(Conn);
    if (slot < 0 || FSeats[slot].Listening) {
        FHost.Refused(Conn, "readiness from outside the waiting room");
        return;
    }
    if (FSeats[slot].Ready == Ready)
        return;
    FSeats[slot].Ready = Ready;
    if (!FHost.IsBot(Conn))
        ArmIdle();
    SendRoom();
    CheckCountdown();
}

void TTable::CheckCountdown() {
    if (Playing() || FCountdownTimer || PlayerCount() < 2 || (!FBotsPlayAlone && HumanCount() == 0))
        return;
    for (const TSeatState &s : FSeats)
        if (s.Conn >= 0 && !s.Ready)
            return;
    FCountdown = kCountdownSeconds;
    Broadcast(msg::TCountdown{FCountdown});
    FCountdownTimer = FClock.Schedule(FCountdownTickMs, [this] { Tick(); });
}

void TTable::StopCountdown() {
    if (FCountdownTimer)
        FClock.Cancel(FCountdownTimer);
    FCountdownTimer = 0;
    Broadcast(msg::TCountdown{0});
}

void TTable::Tick() {
    FCountdownTimer = 0;
    --FCountdown;
    if (FCountdown == kReadyDeadlineSeconds) {
        bool changed = false;
        for (int slot = 0; slot < kSlots; ++slot) {
            if (FSeats[slot].Conn >= 0 && !FSeats[slot].Ready) {
                FHost.Send(FSeats[slot].Conn, msg::TTableClosed{});
                Free(slot);
                changed = true;
            }
        }
        if (changed)
            SendRoom();
        if (PlayerCount() < 2 || (!FBotsPlayAlone && HumanCount() == 0)) {
            Broadcast(msg::TCountdown{0});
            return;
        }
    }
    if (FCountdown > 0) {
        FCountdownTimer = FClock.Schedule(FCountdownTickMs, [this] { Tick(); });
        return;
    }
    Broadcast(msg::TCountdown{0});
    StartGame();
}

void TTable::StartGame() {
    if (FIdleTimer)
        FClock.Cancel(FIdleTimer);
    FIdleTimer = 0;
    FSlots.clear();
    for (int slot = 0; slot < kSlots; ++slot)
        if (FSeats[slot].Conn >= 0)
            FSlots.push_back(slot);
    const int n = static_cast<int>(FSlots.size());
    // A game of its own seed: the record names it, and it deals the same game again.
    FGameSeed = FHost.Rng().Next();
    FGameStartedMs = FClock.Now();
    TRandom dealer(FGameSeed);
    FGame = std::make_unique<TDurakGame>(n, FRules, dealer);
    FTimeouts.assign(n, 0);
    FLastBoutEnded = false;
    msg::TGameStart start;
    start.TimeGo = FTimeGo;
    FGameNames.clear();
    FGameBots.clear();
    for (int slot : FSlots) {
        start.Players.push_back({slot, FHost.NameOf(FSeats[slot].Conn)});
        FGameNames.push_back(FHost.NameOf(FSeats[slot].Conn));
        FGameBots.push_back(FHost.IsBot(FSeats[slot].Conn));
    }
    start.FirstID = FSlots[FGame->FirstAttacker()];
    const TFace trump = FGame->Face(FGame->TrumpCard());
    start.TrumpSuit = trump.Suit;
    start.TrumpDignity = trump.Dignity;
    start.DeckCount = FGame->StockCount();
    for (int i = 0; i < n; ++i) {
        TSeatState &seat = FSeats[FSlots[i]];
        seat.Listening = true;
        start.Cards.clear();
        for (int card : FGame->Hand(i))
            start.Cards.push_back({card, FGame->Face(card).Suit, FGame->Face(card).Dignity});
        FHost.Send(seat.Conn, start);
    }
    ArmTurnClock();
}

void TTable::Request(TConnId Conn, const msg::TClientMessage &Request) {
    const int slot = SlotOf(Conn);
    if (!Playing() || slot < 0 || !FSeats[slot].Listening) {
        FHost.Refused(Conn, "a move outside a game");
        return;
    }
    const int player = IndexOf(slot);
    auto card = [](int id) { return id >= 0 && id < kDeckSize ? id : -1; };
    TRefusal refusal = TRefusal::Illegal;
    if (const auto *go = std::get_if<msg::TGoRequest>(&Request))
        refusal = card(go->CardID) < 0 ? TRefusal::NoSuchCard : FGame->Go(player, go->CardID);
    else if (const auto *cover = std::get_if<msg::TCoverRequest>(&Request))
        refusal = card(cover->CardID) < 0 ? TRefusal::NoSuchCard
                                          : FGame->Cover(player, cover->CardID, cover->SelectID);
    else if (const auto *transfer = std::get_if<msg::TTransferRequest>(&Request))
        refusal =
            card(transfer->CardID) < 0 ? TRefusal::NoSuchCard : FGame->Transfer(player, transfer->CardID);
    else if (std::holds_alternative<msg::TTakeRequest>(Request))
        refusal = FGame->Take(player);
    else if (std::holds_alternative<msg::TBitoRequest>(Request))
        refusal = FGame->Bito(player);
    switch (refusal) {
    case TRefusal::None:
        break;
    case TRefusal::NotYourTurn:
        FHost.Refused(Conn, "a move out of turn");
        return;
    case TRefusal::NoSuchCard:
        FHost.Refused(Conn, "a card the player does not hold");
        return;
    case TRefusal::Illegal:
        FHost.Refused(Conn, "a move against the rules");
        return;
    }
    FTimeouts[player] = 0;
    Dispatch();
}

void TTable::ArmTurnClock() {
    if (FTurnTimer)
        FClock.Cancel(FTurnTimer);
    FTurnTimer = 0;
    if (FGame && FGame->Phase() != TPhase::Over)
        FTurnTimer = FClock.Schedule(int64_t(FTimeGo) * 1000, [this] { TurnClockRanOut(); });
}

void TTable::TurnClockRanOut() {
    FTurnTimer = 0;
    if (!FGame)
        return;
    const int player = FGame->Active();
    if (player < 0)
        return;
    // The first time the obvious move is made; the second time in a row the player is removed.
    if (++FTimeouts[player] >= 2) {
        FGame->Remove(player);
        Dispatch();
        return;
    }
    FGame->MoveFor(player);
    Dispatch();
}

// Turns the game's events into each player's own messages.
void TTable::Dispatch() {
    const std::vector<TGameEvent> events = FGame->TakeEvents();
    auto id = [this](int player) { return player < 0 ? msg::kNobody : FSlots[player]; };
    auto toAll = [this](const msg::TServerMessage &text) {
        for (int slot : FSlots)
            if (FSeats[slot].Listening)
                FHost.Send(FSeats[slot].Conn, text);
    };
    bool over = false;
    for (const TGameEvent &event : events) {
        if (const auto *played = std::get_if<TEvPlayed>(&event)) {
            const TFace f = FGame->Face(played->Card);
            FLastBoutEnded = false;
            toAll(msg::TCardPlayed{id(played->Attacker), id(played->Defender), f.Suit, f.Dignity,
                                   played->TransferOpen});
        } else if (const auto *covered = std::get_if<TEvCovered>(&event)) {
            const TFace f = FGame->Face(covered->Card);
            msg::TCovered m{
                covered->Kind, id(covered->Coverer), id(covered->Next), covered->Place, false, 0, 0};
            const msg::TServerMessage own = m;
            m.HasFace = true;
            m.Suit = f.Suit;
            m.Dignity = f.Dignity;
            const msg::TServerMessage others = m;
            for (int i = 0; i < static_cast<int>(FSlots.size()); ++i)
                if (FSeats[FSlots[i]].Listening)
                    FHost.Send(FSeats[FSlots[i]].Conn, i == covered->Coverer ? own : others);
        } else if (const auto *taken = std::get_if<TEvTaken>(&event)) {
            toAll(msg::TTaken{id(taken->Taker), id(taken->Next)});
        } else if (const auto *passed = std::get_if<TEvPassed>(&event)) {
            toAll(msg::TPassed{id(passed->Next)});
        } else if (const auto *end = std::get_if<TEvBoutEnd>(&event)) {
            FLastBoutEnded = true;
            msg::TBoutEnd m{end->Bito, id(end->Taker), id(end->Next), end->Deck, {}, {}};
            for (int p : end->Players)
                m.Counts.push_back({id(p), static_cast<int>(FGame->Hand(p).size())});
            for (int i = 0; i < static_cast<int>(FSlots.size()); ++i) {
                if (!FSeats[FSlots[i]].Listening)
                    continue;
                m.Cards.clear();
                for (int card : end->Received[i])
                    m.Cards.push_back({card, FGame->Face(card).Suit, FGame->Face(card).Dignity});
                FHost.Send(FSeats[FSlots[i]].Conn, m);
            }
            // A player who went out while the game goes on sees the result after the bout's
            // closing animation and waits in the waiting room.
            if (FGame->Phase() != TPhase::Over && !end->Out.empty()) {
                for (int p : end->Out) {
                    TSeatState &seat = FSeats[FSlots[p]];
                    FHost.Send(seat.Conn, msg::TGameResult{kWon, 0});
                    seat.Listening = false;
                    seat.Ready = false;
                }
                SendRoom();
            }
        } else if (const auto *removed = std::get_if<TEvRemoved>(&event)) {
            const int slot = FSlots[removed->Player];
            TSeatState &seat = FSeats[slot];
            FLastBoutEnded = false;
            if (seat.Listening) {
                FHost.Send(seat.Conn, msg::TPlayerLeft{slot, true, msg::kNobody});
                seat.Listening = false;
                Free(slot);
                SendRoom();
            }
            toAll(msg::TPlayerLeft{slot, false, msg::kNobody});
        } else if (std::holds_alternative<TEvGameOver>(event)) {
            over = true;
        }
    }
    if (over)
        SendGameOver(!FLastBoutEnded);
    else
        ArmTurnClock();
}

void TTable::SendGameOver(bool ShowNow) {
    if (FTurnTimer)
        FClock.Cancel(FTurnTimer);
    FTurnTimer = 0;
    TGameRecord record;
    record.TableID = FID;
    record.Slots = FSlots;
    record.Bouts = FGame->Bouts();
    record.Rules = FRules;
    record.Seed = FGameSeed;
    record.StartedMs = FGameStartedMs;
    record.EndedMs = FClock.Now();
    for (int i = 0; i < static_cast<int>(FSlots.size()); ++i) {
        record.Results.push_back(FGame->Result(i));
        const TSeatState &seat = FSeats[FSlots[i]];
        // A seat a player left mid-game is free by now: the name is the game's own.
        record.Names.push_back(FGameNames[i]);
        record.Bots.push_back(FGameBots[i]);
        record.Conns.push_back(seat.Listening ? seat.Conn : -1);
    }
    // Recorded and rated first: the store holds the result back until it is durable, and a host that
    // asks for the rating on the outcome finds the game counted.
    FHost.GameOver(record);
    for (int i = 0; i < static_cast<int>(FSlots.size()); ++i)
        if (record.Conns[i] >= 0)
            FHost.Send(record.Conns[i], msg::TGameResult{record.Results[i], ShowNow ? 1 : 0});
    for (TSeatState &s : FSeats) {
        s.Listening = false;
        s.Ready = false;
    }
    FGame.reset();
    TellOutcome(record);
    ArmIdle();
    SendRoom();
    CheckCountdown();
}

void TTable::Abort() {
    if (!FGame)
        return;
    if (FTurnTimer)
        FClock.Cancel(FTurnTimer);
    FTurnTimer = 0;
    FGame.reset();
    for (TSeatState &s : FSeats) {
        s.Listening = false;
        s.Ready = false;
    }
}

// Whoever played and still sits here learns how the game ended, a player who went out first too: the
// game's own messages told them only their own result.
void TTable::TellOutcome(const TGameRecord &Record) {
    msg::TGameOutcome outcome;
    for (size_t i = 0; i < Record.Names.size(); ++i)
        outcome.Seats.push_back({Record.Names[i], Record.Results[i]});
    const QString note = msg::BuildGameOutcome(outcome);
    for (size_t i = 0; i < FSlots.size(); ++i)
        if (FSeats[FSlots[i]].Conn >= 0 && !FGameBots[i])
            FHost.TellHost(FSeats[FSlots[i]].Conn, note);
}

void TTable::Close() {
    if (FCountdownTimer)
        StopCountdown();
    for (int slot = 0; slot < kSlots; ++slot) {
        if (FSeats[slot].Conn >= 0 && !FHost.IsBot(FSeats[slot].Conn)) {
            FHost.Send(FSeats[slot].Conn, msg::TTableClosed{});
            Free(slot);
        }
    }
    SendRoom();
    ArmIdle();
}

} // namespace trelvo::server
