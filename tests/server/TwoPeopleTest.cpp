#include "PlayedClient.h"

#include "protocol/GameOutcome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace trelvo;
using namespace trelvo::server;
using namespace trelvo::server::test;

namespace {

struct TSeen {
    int64_t At;
    QString Text;
};

int Subcode(const QString &Text) {
    int sub = -1;
    QStringView payload;
    return msg::SplitSubcode(Text, sub, payload) ? sub : -1;
}

// The times of one subcode in a player's messages between two moments (both included).
std::vector<int64_t> TimesOf(const std::vector<TSeen> &Seen, int Sub, int64_t From, int64_t To) {
    std::vector<int64_t> times;
    for (const TSeen &s : Seen)
        if (s.At >= From && s.At <= To && Subcode(s.Text) == Sub)
            times.push_back(s.At);
    return times;
}

// Two people and a bot at one table, each person the real controller. While both are in a game every
// bout's end reaches them at the same moment; at each game's end both hear how it ended, a person who
// went out first too, and only after their own result.
TEST(TwoPeople, BothGetEveryBoutEndAtOnceAndBothHearTheOutcome) {
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TJumpClock clock;
        TClockScope scope(clock);
        TServerOptions options;
        options.LobbyBotTables = 0;
        options.AutoJoinBots = 1;
        options.BotThinkMinMs = 100;
        options.BotThinkMaxMs = 1200;
        TGameServer server(clock, seed, options);
        std::vector<TGameRecord> records;
        std::vector<int64_t> endedAt;
        server.OnGameOver = [&](const TGameRecord &Record) {
            records.push_back(Record);
            endedAt.push_back(clock.Now());
        };
        auto send = [&server](TConnId Conn, const QString &Text) { server.Receive(Conn, Text); };
        TPlayedClient ann(clock, send, QStringLiteral("Ann")), bob(clock, send, QStringLiteral("Bob"));
        std::map<TConnId, std::vector<TSeen>> seen;
        std::deque<std::pair<TConnId, QString>> wire;
        server.OnSend = [&](TConnId Conn, const QString &Text) {
            seen[Conn].push_back({clock.Now(), Text});
            wire.push_back({Conn, Text});
        };
        auto pump = [&] {
            while (!wire.empty()) {
                auto [conn, text] = wire.front();
                wire.pop_front();
                (conn == ann.Conn ? ann : bob).Deliver(text);
            }
        };
        ann.Conn = server.Connect(QStringLiteral("Ann"));
        bob.Conn = server.Connect(QStringLiteral("Bob"));
        pump();
        ann.Gfx->OnCreateNewTable({false, false, false});
        pump();
        bob.Gfx->OnEnterTable(0);
        pump();
        ASSERT_TRUE(clock.RunUntil([&] {
            pump();
            return records.size() >= 3;
        }));
        ExpectConformingGames(ann, server);
        ExpectConformingGames(bob, server);

        const std::vector<TSeen> &a = seen[ann.Conn], &b = seen[bob.Conn];
        const std::vector<int64_t> startsA = TimesOf(a, 9, 0, clock.Now()),
                                   startsB = TimesOf(b, 9, 0, clock.Now());
        ASSERT_EQ(startsA, startsB);
        ASSERT_GE(startsA.size(), 3u);
        for (const TGameRecord &record : records)
            ASSERT_EQ(std::count(record.Bots.begin(), record.Bots.end(), false), 2);
        for (size_t g = 0; g < records.size() && g < startsA.size(); ++g) {
            SCOPED_TRACE("game " + std::to_string(g));
            const int64_t from = startsA[g], to = endedAt[g];
            // Each is in the game until their own result.
            const std::vector<int64_t> resultA = TimesOf(a, 15, from, to), resultB = TimesOf(b, 15, from, to);
            ASSERT_EQ(resultA.size(), 1u);
            ASSERT_EQ(resultB.size(), 1u);
            const int64_t bothIn = std::min(resultA[0], resultB[0]);
            EXPECT_EQ(TimesOf(a, 13, from, bothIn), TimesOf(b, 13, from, bothIn));
            EXPECT_FALSE(TimesOf(a, 13, from, bothIn).empty());
            // The outcome, once each, right at the game's end, after the own result.
            msg::TGameOutcome expected;
            for (size_t i = 0; i < records[g].Names.size(); ++i)
                expected.Seats.push_back({records[g].Names[i], records[g].Results[i]});
            for (const std::vector<TSeen> *person : {&a, &b}) {
                int outcomes = 0;
                bool afterResult = false;
                for (const TSeen &s : *person) {
                    if (s.At < from || s.At > to)
                        continue;
                    if (Subcode(s.Text) == 15)
                        afterResult = true;
                    if (const auto outcome = msg::ParseGameOutcome(s.Text)) {
                        ++outcomes;
                        EXPECT_TRUE(afterResult);
                        EXPECT_EQ(s.At, to);
                        EXPECT_EQ(*outcome, expected);
                    }
                }
                EXPECT_EQ(outcomes, 1);
            }
        }
    }
}

} // namespace
