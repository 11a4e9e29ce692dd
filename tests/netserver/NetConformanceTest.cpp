// The game server over the network: the real controller plays the same whole games as against the
// server in the host's process, through the host's seam (TNetGameServer), WebSocket frames on loopback
// and trelvo-server's listener; and two people play each other at one table.
#include "PlayedClient.h"
#include "SpinUntil.h"

#include "host/NetGameServer.h"
#include "netserver/NetServer.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::server;
using namespace trelvo::server::test;
using trelvo::test::SpinUntil;

namespace {

// One person's program: the real controller behind the host's network seam.
struct TRemotePlayer {
    TRemotePlayer(TJumpClock &Clock, quint16 Port, const QString &Name)
        : Remote(Clock, QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(Port))),
          Client(
              Clock, [this](TConnId Conn, const QString &Text) { Remote.Receive(Conn, Text); }, Name) {
        Remote.OnSend = [this](host::IGameServer::TConnId, const QString &Text) { Wire.push_back(Text); };
        Client.Conn = Remote.Connect(Name);
    }
    host::TNetGameServer Remote;
    TPlayedClient Client;
    std::deque<QString> Wire;
};

// Time stands still while frames are on their way: every frame sent either way has arrived, and what
// the clients answered to it as well. False when the frames do not meet within the deadline.
bool Settle(const net::TNetServer &Listener, const std::vector<TRemotePlayer *> &Players) {
    for (;;) {
        const bool met = SpinUntil(
            [&] {
                std::uint64_t out = 0, in = 0;
                for (TRemotePlayer *p : Players) {
                    out += p->Remote.FramesOut();
                    in += p->Remote.FramesIn();
                }
                return Listener.FramesIn() == out && Listener.FramesOut() == in;
            },
            10000);
        if (!met)
            return false;
        bool delivered = false;
        for (TRemotePlayer *p : Players)
            while (!p->Wire.empty()) {
                const QString text = p->Wire.front();
                p->Wire.pop_front();
                p->Client.Deliver(text);
                delivered = true;
            }
        if (!delivered)
            return true;
    }
}

TEST(NetConformance, TheServerDrivesTheRealControllerThroughWholeGamesOverTheNetwork) {
    for (const ConformanceCase &c : ConformanceCases()) {
        for (std::uint64_t seed = 1; seed <= 4; ++seed) {
            SCOPED_TRACE(std::to_string(c.players) + " players, seed " + std::to_string(seed));
            TJumpClock clock;
            TClockScope scope(clock);
            TGameServer server(clock, seed, ConformanceServerOptions(c));
            int games = 0;
            server.OnGameOver = [&](const TGameRecord &) { ++games; };
            net::TNetServerOptions netOptions;
            netOptions.Port = 0;
            net::TNetServer listener(clock, server, netOptions);
            QString error;
            ASSERT_TRUE(listener.Listen(error)) << error.toStdString();

            TRemotePlayer ann(clock, listener.Port(), QStringLiteral("Ann"));
            ASSERT_TRUE(SpinUntil([&] { return ann.Remote.Online() && !ann.Wire.empty(); }));
            ASSERT_TRUE(Settle(listener, {&ann}));
            ASSERT_EQ(ann.Client.Game->State(), 1);
            ann.Client.Gfx->OnCreateNewTable(c.table);
            bool settled = Settle(listener, {&ann});
            ASSERT_TRUE(clock.RunUntil([&] {
                settled = settled && Settle(listener, {&ann});
                return !settled || games >= 3;
            }));
            ASSERT_TRUE(settled);
            ExpectConformingGames(ann.Client, server);
            EXPECT_EQ(listener.Players(), 1);
        }
    }
}

// No bots at all: Bob finds the table Ann opened in the lobby's list, sits down, both say they are
// ready, and they play game after game against each other to the result.
TEST(NetConformance, TwoPeopleFindEachOtherInTheLobbyAndPlayWholeGames) {
    TJumpClock clock;
    TClockScope scope(clock);
    TServerOptions options;
    options.LobbyBotTables = 0;
    options.BotFillMs = 0;
    TGameServer server(clock, 5, options);
    int games = 0;
    server.OnGameOver = [&](const TGameRecord &Record) {
        ++games;
        EXPECT_EQ(Record.Slots.size(), 2u);
    };
    net::TNetServerOptions netOptions;
    netOptions.Port = 0;
    net::TNetServer listener(clock, server, netOptions);
    QString error;
    ASSERT_TRUE(listener.Listen(error)) << error.toStdString();

    TRemotePlayer ann(clock, listener.Port(), QStringLiteral("Ann"));
    TRemotePlayer bob(clock, listener.Port(), QStringLiteral("Bob"));
    const std::vector<TRemotePlayer *> both{&ann, &bob};
    std::optional<int> table;
    bob.Remote.OnSend = [&](host::IGameServer::TConnId, const QString &Text) {
        if (const auto m = msg::ParseServerMessage(Text))
            if (const auto *list = std::get_if<msg::TTableList>(&*m))
                for (const auto &t : list->Tables)
                    if (t.PlayerCount == 1 && t.Transfer)
                        table = t.ID;
        bob.Wire.push_back(Text);
    };
    ASSERT_TRUE(SpinUntil([&] { return ann.Remote.Online() && bob.Remote.Online(); }));
    ASSERT_TRUE(Settle(listener, both));
    ann.Client.Gfx->OnCreateNewTable({true, false, false});

    // Bob's lobby asks for the list now and then, as it always does; Ann's table shows in it.
    bool settled = true;
    ASSERT_TRUE(clock.RunUntil(
        [&] {
            settled = settled && Settle(listener, both);
            return !settled || table.has_value();
        },
        10000));
    ASSERT_TRUE(settled);
    ASSERT_TRUE(table.has_value());
    bob.Client.Gfx->OnEnterTable(*table);
    settled = Settle(listener, both);
    ASSERT_TRUE(clock.RunUntil([&] {
        settled = settled && Settle(listener, both);
        return !settled || games >= 3;
    }));
    ASSERT_TRUE(settled);
    for (TRemotePlayer *p : both) {
        SCOPED_TRACE(p == &ann ? "Ann" : "Bob");
        ExpectConformingGames(p->Client, server);
    }
}

} // namespace
