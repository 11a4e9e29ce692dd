#include "ServerTestSupport.h"

#include "server/Bot.h"
#include "server/GameServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace trelvo::server;
using namespace trelvo::server::test;

namespace {

TServerOptions QuickBots() {
    TServerOptions options;
    options.LobbyBotTables = 0;
    options.BotThinkMinMs = 1;
    options.BotThinkMaxMs = 30;
    return options;
}

// Bots of both levels play whole games at every kind of table; every request they make is legal
// (the server refuses none), every game ends, and every result is one the rules allow.
TEST(BotGames, EveryVariantAndTableSizePlaysToTheEnd) {
    const TTableRules variants[] = {
        {}, {false, false, true}, {true, false, false}, {true, true, false}, {true, false, true}};
    for (const TTableRules &rules : variants) {
        for (int players = 2; players <= 4; ++players) {
            for (std::uint64_t seed = 1; seed <= 3; ++seed) {
                TJumpClock clock;
                TGameServer server(clock, seed * 17 + players, QuickBots());
                std::vector<TGameRecord> games;
                server.OnGameOver = [&](const TGameRecord &r) { games.push_back(r); };
                // Mixed levels, and one table of careful bots only.
                std::vector<TBotLevel> bots;
                for (int i = 0; i < players; ++i)
                    bots.push_back(i % 2 && seed != 3 ? TBotLevel::Easy : TBotLevel::Normal);
                server.OpenBotTable(rules, bots);
                ASSERT_TRUE(clock.RunUntil([&] { return games.size() >= 4; }));
                EXPECT_EQ(server.RefusedRequests(), 0);
                for (const TGameRecord &g : games) {
                    ASSERT_EQ(static_cast<int>(g.Results.size()), players);
                    int lost = 0, draws = 0;
                    for (int r : g.Results) {
                        ASSERT_TRUE(r == 0 || r == 1 || r == 2);
                        lost += r == 0;
                        draws += r == 2;
                    }
                    // One fool, or a draw between the last players out, never both.
                    EXPECT_TRUE((lost == 1 && draws == 0) || (lost == 0 && draws >= 2));
                }
            }
        }
    }
}

// The clients show a bout's end for a few seconds; a bot that leads the next bout waits for it, even
// when its thinking was already under way as the bout ended.
TEST(BotGames, ABotLeadsTheNextBoutOnlyAfterTheClientsShowedTheEnd) {
    struct Case {
        const char *name;
        int thinkMs, pauseMs;
        bool scheduledBefore; // the bout ends while the bot's answer to an attack is pending
    };
    const Case cases[] = {{"thinking", 100, 4500, false},
                          {"pending answer", 100, 4500, true},
                          {"quick think, no pause", 100, 0, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        trelvo::TManualClock clock;
        TBot bot(clock, 5, TBotLevel::Normal, c.thinkMs, c.thinkMs, c.pauseMs, QStringLiteral("Bot"));
        std::vector<std::pair<int64_t, QString>> sent;
        bot.OnRequest = [&](const QString &m) { sent.emplace_back(clock.Now(), m); };
        // Ann (0) leads against the bot (1); the bot holds six clubs, hearts are trumps.
        bot.Receive(QStringLiteral("9;2;30;0;Ann;1;Bot;0;3;6;24;6;0;1;5;1;1;6;2;1;7;3;1;8;4;1;9;5;1;10;"));
        if (c.scheduledBefore) {
            // Ann attacks; the bout ends (her clock ran out, say) before the bot has answered.
            bot.Receive(QStringLiteral("10;0;1;2;5;0;"));
        }
        const int64_t ended = clock.Now();
        bot.Receive(QStringLiteral("13;1;255;1;24;2;0;6;1;6;0;"));
        clock.Advance(std::max(c.thinkMs, c.pauseMs) - 1);
        const auto leads = [&] {
            return std::count_if(sent.begin(), sent.end(),
                                 [](const auto &s) { return s.second.startsWith(QStringLiteral("10;")); });
        };
        EXPECT_EQ(leads(), 0);
        clock.Advance(2);
        ASSERT_EQ(leads(), 1);
        EXPECT_GE(sent.back().first - ended, std::max(c.thinkMs, c.pauseMs));
    }
}

// Four careful bots can pass the same cards round for ever; such a game is called off as a draw, so
// every game ends. This table runs into one.
TEST(BotGames, AGameGoingRoundInCirclesEndsInADraw) {
    TJumpClock clock;
    TServerOptions options;
    options.LobbyBotTables = 0;
    TGameServer server(clock, 42, options);
    int games = 0, longest = 0;
    server.OnGameOver = [&](const TGameRecord &r) {
        ++games;
        longest = std::max(longest, r.Bouts);
    };
    server.OpenBotTable({}, std::vector<TBotLevel>(4, TBotLevel::Normal));
    ASSERT_TRUE(clock.RunUntil([&] { return longest >= kMaxBouts; }, 20000000)) << games << " games";
    EXPECT_EQ(server.RefusedRequests(), 0);
}

// The careful bot beats the random one: 1000 two-player games at one table, seats fixed, the first
// attacker decided by the deal.
TEST(BotGames, NormalBeatsEasyInMostGames) {
    TJumpClock clock;
    TGameServer server(clock, 2024, QuickBots());
    int games = 0, normalWins = 0;
    server.OnGameOver = [&](const TGameRecord &r) {
        ++games;
        normalWins += r.Results[0] == 1 ? 1 : 0;
    };
    server.OpenBotTable({}, {TBotLevel::Normal, TBotLevel::Easy});
    ASSERT_TRUE(clock.RunUntil([&] { return games >= 1000; }, 10000000));
    EXPECT_EQ(server.RefusedRequests(), 0);
    const double rate = double(normalWins) / games;
    std::printf("normal beat easy in %d of %d games (%.1f %%)\n", normalWins, games, rate * 100);
    EXPECT_GE(rate, 0.7);
}

} // namespace
