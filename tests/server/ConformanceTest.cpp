#include "PlayedClient.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>

using namespace trelvo;
using namespace trelvo::server;
using namespace trelvo::server::test;

namespace {

// Whole games between the real controller and the server, the messages handed over directly.
TEST(Conformance, TheServerDrivesTheRealControllerThroughWholeGames) {
    for (const ConformanceCase &c : ConformanceCases()) {
        for (std::uint64_t seed = 1; seed <= 4; ++seed) {
            SCOPED_TRACE(std::to_string(c.players) + " players, seed " + std::to_string(seed));
            TJumpClock clock;
            TClockScope scope(clock);
            TGameServer server(clock, seed, ConformanceServerOptions(c));
            int games = 0;
            server.OnGameOver = [&](const TGameRecord &) { ++games; };
            TPlayedClient client(
                clock, [&server](TConnId Conn, const QString &Text) { server.Receive(Conn, Text); });
            std::deque<std::pair<TConnId, QString>> wire;
            server.OnSend = [&](TConnId Conn, const QString &Text) { wire.push_back({Conn, Text}); };
            auto pump = [&] {
                while (!wire.empty()) {
                    auto [conn, text] = wire.front();
                    wire.pop_front();
                    ASSERT_EQ(conn, client.Conn);
                    client.Deliver(text);
                }
            };
            client.Conn = server.Connect(QStringLiteral("Ann"));
            pump();
            ASSERT_EQ(client.Game->State(), 1);
            client.Gfx->OnCreateNewTable(c.table);
            pump();
            ASSERT_TRUE(clock.RunUntil([&] {
                pump();
                return games >= 3;
            }));
            ExpectConformingGames(client, server);
        }
    }
}

} // namespace
