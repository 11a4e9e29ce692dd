#pragma once

#include "ServerTestSupport.h"

#include "FakeStatistics.h"
#include "RecordingGraphics.h"

#include "game/Game.h"
#include "game/ServerRouting.h"
#include "protocol/ClientMessages.h"
#include "protocol/Fields.h"
#include "protocol/GameOutcome.h"
#include "protocol/Protocol.h"
#include "protocol/ServerMessages.h"
#include "server/Bot.h"
#include "server/GameServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace trelvo::server::test {

// The real controller as the person's client, with a recording scene that ends each bout's closing
// animation a moment later, played by a bot brain that reads the same messages and acts through the
// scene's events. The other players are the server's bots. Its requests go out through Send: straight
// to the server or over a network.
class TPlayedClient {
public:
    using TSend = std::function<void(TConnId Conn, const QString &Text)>;

    TPlayedClient(TJumpClock &Clock, TSend Send, const QString &Name = QStringLiteral("Ann"))
        : FClock(Clock), FSend(std::move(Send)) {
        auto graphics = std::make_unique<trelvo::test::TRecordingGraphics>();
        Gfx = graphics.get();
        Gfx->AutoRoundStart = true;
        Game =
            std::make_unique<TGame>(std::move(graphics), std::make_unique<trelvo::test::TFakeStatistics>());
        Game->SetPlayerInfo(Name, QStringLiteral("10.0.0.2"), 1);
        auto send = [this](const QString &Text) { FSend(Conn, Text); };
        Game->OnTableList = [send] { send(msg::Build(msg::TTableListRequest{})); };
        Game->OnCreateNewTable = [send](const QString &Param) {
            send(QString::number(ServerOut::kCreateNewTable) + QLatin1Char(';') + Param);
        };
        Game->OnExitInvite = [send](int ID) { send(msg::Build(msg::TExitInviteRequest{ID})); };
        Game->OnEnterTable = [send](int ID) { send(msg::Build(msg::TEnterTableRequest{ID})); };
        Game->OnPlayerReady = [send](int ID, char State) {
            send(msg::Build(msg::TReadyRequest{ID, State == '1'}));
        };
        Game->OnPlayerGo = [send](int T, uint8_t C) { send(msg::Build(msg::TGoRequest{T, C})); };
        Game->OnPlayerCover = [send](int T, uint8_t C, uint8_t S) {
            send(msg::Build(msg::TCoverRequest{T, C, S}));
        };
        Game->OnPlayerTake = [send](int T) { send(msg::Build(msg::TTakeRequest{T})); };
        Game->OnPlayerBito = [send](int T) { send(msg::Build(msg::TBitoRequest{T})); };
        Game->OnRoundStart = [send](int T) { send(msg::Build(msg::TRoundStartRequest{T})); };
        Game->OnPlayerTransfer = [send](int T, uint8_t C) { send(msg::Build(msg::TTransferRequest{T, C})); };
        Game->OnError = [this](int) { ++Errors; };
        Game->OnIgnoredOutOfState = [this](const char *Handler) {
            Ignored.push_back(std::to_string(Game->State()) + " " + Handler + " <- " +
                              (FDelivering ? FDelivering->toStdString() : std::string("(no message)")));
        };
        // The brain decides; its requests become the person's clicks.
        Brain = std::make_unique<TBot>(Clock, 99, TBotLevel::Normal, 200, 900,
                                       TServerOptions{}.RoundEndPauseMs, Name);
        Brain->OnRequest = [this](const QString &Request) { Click(Request); };
    }

    ~TPlayedClient() {
        if (FSceneTimer)
            FClock.Cancel(FSceneTimer);
    }

    // A game-server message as the host hands it to the client: routed by the program's own function;
    // the scene's part (the bout's closing animation) is played here.
    void Deliver(const QString &Text) {
        // The host keeps its own notes; the client never sees them.
        if (msg::IsHostOnlyMessage(Text))
            return;
        int sub = 0;
        QStringView payload;
        ASSERT_TRUE(msg::SplitSubcode(Text, sub, payload)) << Text.toStdString();
        ++Seen[sub];
        FDelivering = &Text;
        RouteServerMessage(*Game, sub, payload.toString(), nullptr);
        FDelivering = nullptr;
        switch (sub) {
        case ServerIn::kStartGame:
            FTableCards = 0;
            break;
        case ServerIn::kPlayerGo:
        case ServerIn::kPlayerCover:
            ++FTableCards;
            break;
        case ServerIn::kAllPlayerBito:
            CloseBoutLater(Text);
            break;
        default:
            break;
        }
        Brain->Receive(Text);
    }

    TConnId Conn = 0;
    std::unique_ptr<TGame> Game;
    trelvo::test::TRecordingGraphics *Gfx = nullptr;
    std::unique_ptr<TBot> Brain;
    int Errors = 0;
    std::vector<std::string> Ignored;
    std::map<int, int> Seen;

private:
    void Click(const QString &Request) {
        const auto m = msg::ParseClientMessage(Request);
        ASSERT_TRUE(m);
        if (const auto *go = std::get_if<msg::TGoRequest>(&*m))
            Gfx->OnCardGo(static_cast<uint8_t>(go->CardID));
        else if (const auto *cover = std::get_if<msg::TCoverRequest>(&*m))
            Gfx->OnCardCover(static_cast<uint8_t>(cover->CardID), static_cast<uint8_t>(cover->SelectID));
        else if (const auto *transfer = std::get_if<msg::TTransferRequest>(&*m))
            Gfx->OnCardTransfer(static_cast<uint8_t>(transfer->CardID));
        else if (std::holds_alternative<msg::TTakeRequest>(*m))
            Gfx->OnPlayerTakeCard();
        else if (std::holds_alternative<msg::TBitoRequest>(*m))
            Gfx->OnPlayerBitoCard();
        else if (std::holds_alternative<msg::TReadyRequest>(*m))
            Gfx->OnReady(true);
    }

    // The scene's closing animation: the table cards fly into the taker's hand one by one, then the
    // round is over for the controller.
    void CloseBoutLater(const QString &Text) {
        const auto m = msg::ParseServerMessage(Text);
        ASSERT_TRUE(m);
        const auto end = std::get<msg::TBoutEnd>(*m);
        std::vector<msg::TCard> picked;
        if (!end.Bito)
            for (int i = 0; i < FTableCards && i < static_cast<int>(end.Cards.size()); ++i)
                picked.push_back(end.Cards[i]);
        FTableCards = 0;
        if (FSceneTimer)
            FClock.Cancel(FSceneTimer);
        FSceneTimer = FClock.Schedule(300, [this, picked, own = !end.Bito && !end.Cards.empty()] {
            FSceneTimer = 0;
            if (own)
                for (const msg::TCard &c : picked)
                    Gfx->OnGetTempCard(static_cast<uint8_t>(c.Suit), static_cast<uint8_t>(c.Dignity));
            Gfx->OnBitoEnd();
        });
    }

    TJumpClock &FClock;
    TSend FSend;
    int FTableCards = 0;
    TClock::TId FSceneTimer = 0;
    const QString *FDelivering = nullptr;
};

struct ConformanceCase {
    int players;
    TCreateSetting table;
};

// The game server of a conformance game: no bot tables in the lobby, bots fill the person's table and
// think for a varied while, so that their moves meet the client's animations in every order.
inline TServerOptions ConformanceServerOptions(const ConformanceCase &Case) {
    TServerOptions options;
    options.LobbyBotTables = 0;
    options.AutoJoinBots = Case.players - 1;
    options.BotThinkMinMs = 100;
    options.BotThinkMaxMs = 1200;
    return options;
}

inline const std::vector<ConformanceCase> &ConformanceCases() {
    static const std::vector<ConformanceCase> cases = {
        {2, {false, false, false}}, {3, {true, false, false}}, {4, {true, true, true}},
        {2, {true, false, false}},  {3, {false, false, true}}, {4, {false, false, false}}};
    return cases;
}

// At least three whole games: not one report ignored for arriving out of the controller's state, not
// one field it could not read, not one request refused.
inline void ExpectConformingGames(TPlayedClient &Client, const TGameServer &Server) {
    EXPECT_EQ(Client.Ignored, std::vector<std::string>{});
    EXPECT_EQ(Client.Errors, 0);
    EXPECT_EQ(Server.RefusedRequests(), 0);
    EXPECT_GT(Client.Seen[ServerIn::kAllPlayerBito], 0);
    EXPECT_GT(Client.Seen[ServerIn::kEndGame], 0);
    EXPECT_GE(Client.Seen[ServerIn::kStartGame], 3);
    EXPECT_GT(Client.Seen[ServerIn::kPlayerCover], 0);
}

} // namespace trelvo::server::test
