#pragma once

#include "common/Clock.h"
#include "protocol/ClientMessages.h"
#include "protocol/ServerMessages.h"
#include "server/BotBrain.h"
#include "server/BotView.h"
#include "server/GameServer.h"
#include "server/Random.h"

#include <QString>

#include <functional>
#include <memory>

namespace trelvo::server {

// A bot's seat: it reads the same text messages a client reads, keeps what they tell it as its view,
// and after thinking on the clock sends the request its brain chose, like a client would.
class TBot {
public:
    // RoundEndPauseMs: how long the clients show a bout's end; the bot does not lead the next bout sooner.
    TBot(TClock &Clock, std::uint64_t Seed, std::unique_ptr<IBotBrain> Brain, int ThinkMinMs, int ThinkMaxMs,
         int RoundEndPauseMs, QString Name);
    TBot(TClock &Clock, std::uint64_t Seed, TBotLevel Level, int ThinkMinMs, int ThinkMaxMs,
         int RoundEndPauseMs, QString Name);
    ~TBot();
    TBot(const TBot &) = delete;
    TBot &operator=(const TBot &) = delete;

    // A request to the server ("subcode;payload").
    std::function<void(const QString &)> OnRequest;
    // The same request unbuilt, for a server in this process; when set, OnRequest is not called.
    std::function<void(const msg::TClientMessage &)> OnRequestMessage;

    const QString &Name() const { return FName; }
    const TBotView &View() const { return FView; }
    void SetRules(const TTableRules &Rules) { FView.Rules = Rules; }
    // One message from the server.
    void Receive(const QString &Message);
    // The same message already read: a table's broadcast is parsed once for all its bots.
    void Handle(const msg::TServerMessage &M);
    // Decisions thrown away because the view changed or the choice was not a legal move in it.
    int Dropped() const { return FDropped; }

private:
    void Wake();
    void Act();
    void Send(const TBotAction &A);
    void Request(const msg::TClientMessage &M);

    TClock &FClock;
    TRandom FRng;
    std::unique_ptr<IBotBrain> FBrain;
    int FThinkMinMs, FThinkMaxMs;
    int FRoundEndPauseMs;
    int64_t FBoutEndedAt = 0;
    QString FName;
    TClock::TId FPending = 0;
    bool FWantReady = false;
    int FTableID = -1;
    int FDropped = 0;
    TBotView FView;
};

} // namespace trelvo::server
