// The game server over the network: the real controller plays the same whole games as against the
// server in the host's process, through the host's seam (TNetGameServer), WebSocket frames on loopback
// and trelvo-server's listener.
#include "PlayedClient.h"
#include "SpinUntil.h"

#include "host/NetGameServer.h"
#include "netserver/NetServer.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>

using namespace trelvo;
using namespace trelvo::server;
using namespace trelvo::server::test;
using trelvo::test::SpinUntil;

namespace {

TEST(NetConformance, TheServerDrivesTheRealControllerThroughWholeGamesOverTheNetwork) {
    for (const ConformanceCase &c : ConformanceCases()) {
        for (std::uint64_t seed = 1; seed <= 4; ++seed) {
            SCOPED_TRACE(std::to_string(c.players) + " players, seed " + std::to_string(seed));
            TJumpClock clock;
            TClockScope scope(clock);
            TServerOptions options;
            options.LobbyBotTables = 0;
            options.AutoJoinBots = c.players - 1;
            options.BotThinkMinMs = 100;
            options.BotThinkMaxMs = 1200;
            TGameServer server(clock, seed, options);
            int games = 0;
            server.OnGameOver = [&](const TGameRecord &) { ++games; };
            net::TNetServerOptions netOptions;
            netOptions.Port = 0;
            net::TNetServer listener(clock, server, netOptions);
            QString error;
            ASSERT_TRUE(listener.Listen(error)) << error.toStdString();

            host::TNetGameServer remote(clock, QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(listener.Port())));
            std::deque<QString> wire;
            remote.OnSend = [&](host::IGameServer::TConnId, const QString &Text) { wire.push_back(Text); };
            TPlayedClient client(clock, [&remote](TConnId Conn, const QString &Text) { remote.Receive(Conn, Text); });
            // Time stands still while frames are on their way: every frame sent either way has arrived,
            // and what the client answered to it as well.
            bool settled = true;
            auto settle = [&] {
                for (;;) {
                    settled = SpinUntil([&] {
                        return listener.FramesIn() == remote.FramesOut() && listener.FramesOut() == remote.FramesIn();
                    }, 10000);
                    if (!settled || wire.empty())
                        return;
                    while (!wire.empty()) {
                        const QString text = wire.front();
                        wire.pop_front();
                        client.Deliver(text);
                    }
                }
            };
            client.Conn = remote.Connect(QStringLiteral("Ann"));
            ASSERT_TRUE(SpinUntil([&] { return remote.Online() && !wire.empty(); }));
            settle();
            ASSERT_EQ(client.Game->State(), 1);
            client.Gfx->OnCreateNewTable(c.table);
            settle();
            ASSERT_TRUE(clock.RunUntil([&] {
                settle();
                return !settled || games >= 3;
            }));
            ASSERT_TRUE(settled);
            ExpectConformingGames(client, server);
            EXPECT_EQ(listener.Players(), 1);
        }
    }
}

} // namespace
