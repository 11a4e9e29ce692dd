#include "server/Bot.h"

#include "protocol/ClientMessages.h"
#include "server/Log.h"

namespace trelvo::server {

TBot::TBot(TClock &Clock, std::uint64_t Seed, std::unique_ptr<IBotBrain> Brain, int ThinkMinMs,
           int ThinkMaxMs, int RoundEndPauseMs, QString Name)
    : FClock(Clock), FRng(Seed), FBrain(std::move(Brain)), FThinkMinMs(ThinkMinMs), FThinkMaxMs(ThinkMaxMs),
      FRoundEndPauseMs(RoundEndPauseMs), FName(std::move(Name)) {}

TBot::TBot(TClock &Clock, std::uint64_t Seed, TBotLevel Level, int ThinkMinMs, int ThinkMaxMs,
           int RoundEndPauseMs, QString Name)
    : TBot(Clock, Seed, MakeBrain(Level), ThinkMinMs, ThinkMaxMs, RoundEndPauseMs, std::move(Name)) {}

TBot::~TBot() {
    if (FPending)
        FClock.Cancel(FPending);
}

void TBot::Receive(const QString &Message) {
    const auto m = msg::ParseServerMessage(Message);
    if (m)
        Handle(*m);
}

void TBot::Handle(const msg::TServerMessage &M) {
    if (const auto *room = std::get_if<msg::TWaitingRoom>(&M)) {
        FTableID = room->TableID;
        for (const msg::TSeat &seat : room->Seats)
            if (seat.Name == FName && !seat.Ready)
                FWantReady = true;
    }
    FView.Apply(M, FName);
    if (std::holds_alternative<msg::TBoutEnd>(M))
        FBoutEndedAt = FClock.Now();
    Wake();
}

void TBot::Wake() {
    if (FPending || (FView.Turn == TBotTurn::None && !FWantReady))
        return;
    FPending = FClock.Schedule(FRng.Between(FThinkMinMs, FThinkMaxMs), [this] {
        FPending = 0;
        Act();
    });
}

void TBot::Act() {
    if (FWantReady) {
        FWantReady = false;
        Request(msg::TReadyRequest{FTableID, true});
    }
    if (FView.Turn == TBotTurn::None || !FView.InGame())
        return;
    // A card led while the clients still show the last bout's end would land in the middle of it.
    const int64_t pause = FBoutEndedAt + FRoundEndPauseMs - FClock.Now();
    if (FView.Turn == TBotTurn::Lead && FView.Bout > 0 && pause > 0) {
        FPending = FClock.Schedule(pause, [this] {
            FPending = 0;
            Act();
        });
        return;
    }
    const std::uint64_t version = FView.Version;
    TBotAction action = FBrain->Choose(FView, FRng);
    // A choice made on a view that has moved on would only be refused: think again on the new one.
    if (FView.Version != version) {
        ++FDropped;
        qCDebug(lcServer) << "bot" << FName << "dropped a decision made on a stale view";
        Wake();
        return;
    }
    if (!FView.IsLegal(action)) {
        ++FDropped;
        qCWarning(lcServer) << "bot" << FName << "chose a move its view does not allow; plays the usual one";
        action = TNormalBrain::Decide(FView);
    }
    // The turn is spent before the request: the server's answer arrives inside it and may give it back.
    FView.Turn = TBotTurn::None;
    Send(action);
}

void TBot::Request(const msg::TClientMessage &M) {
    if (OnRequestMessage)
        OnRequestMessage(M);
    else if (OnRequest)
        OnRequest(msg::BuildMessage(M));
}

void TBot::Send(const TBotAction &A) {
    switch (A.Kind) {
    case TBotAction::Go:
        Request(msg::TGoRequest{FTableID, A.Card});
        break;
    case TBotAction::Cover:
        if (const msg::TCard *card = FView.OwnCard(A.Card))
            FView.LastCover = *card;
        Request(msg::TCoverRequest{FTableID, A.Card, A.Place});
        break;
    case TBotAction::Transfer:
        Request(msg::TTransferRequest{FTableID, A.Card});
        break;
    case TBotAction::Take:
        Request(msg::TTakeRequest{FTableID});
        break;
    case TBotAction::Bito:
        Request(msg::TBitoRequest{FTableID});
        break;
    }
}

} // namespace trelvo::server
