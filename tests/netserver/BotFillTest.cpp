// --bot-fill: bots take the free seats of a waiting table only after a while without a new person.
#include "protocol/ServerMessages.h"
#include "server/GameServer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trelvo;
using namespace trelvo::server;

namespace {

// The seats of the last waiting room Conn was shown.
int SeatsShown(const std::vector<QString> &Sent) {
    for (auto it = Sent.rbegin(); it != Sent.rend(); ++it)
        if (const auto m = msg::ParseServerMessage(*it))
            if (const auto *room = std::get_if<msg::TWaitingRoom>(&*m))
                return static_cast<int>(room->Seats.size());
    return 0;
}

TEST(BotFill, BotsComeOneAtATimeAfterTheWaitAndEveryNewPersonRestartsIt) {
    TManualClock clock;
    TClockScope scope(clock);
    TServerOptions options;
    options.LobbyBotTables = 0;
    options.BotFillMs = 30000;
    TGameServer game(clock, 1, options);
    std::vector<QString> ann, bob;
    game.OnSend = [&](TConnId Conn, const QString &Text) { (Conn == 1 ? ann : bob).push_back(Text); };
    ASSERT_EQ(game.Connect(QStringLiteral("Ann")), 1);
    game.Receive(1, QStringLiteral("3;0;0;0;"));
    EXPECT_EQ(SeatsShown(ann), 1); // nobody else sits down at once
    clock.Advance(20000);
    game.Connect(QStringLiteral("Bob"));
    game.Receive(2, QStringLiteral("5;0"));
    EXPECT_EQ(SeatsShown(ann), 2);
    clock.Advance(29999); // Bob came: the wait starts again
    EXPECT_EQ(SeatsShown(ann), 2);
    clock.Advance(1);
    EXPECT_EQ(SeatsShown(ann), 3);
    clock.Advance(30000);
    EXPECT_EQ(SeatsShown(bob), 4);
    clock.Advance(120000); // full: no more
    EXPECT_EQ(SeatsShown(bob), 4);
}

TEST(BotFill, NoBotEverSitsDownWhenFillingIsOff) {
    TManualClock clock;
    TClockScope scope(clock);
    TServerOptions options;
    options.LobbyBotTables = 0;
    options.BotFillMs = 0;
    TGameServer game(clock, 1, options);
    std::vector<QString> ann;
    game.OnSend = [&](TConnId, const QString &Text) { ann.push_back(Text); };
    game.Connect(QStringLiteral("Ann"));
    game.Receive(1, QStringLiteral("3;1;0;0;"));
    clock.Advance(4 * 60 * 1000);
    EXPECT_EQ(SeatsShown(ann), 1);
}

} // namespace
