// Which sound each game-server message the plug-in relays asks for, heard through the relay with a
// recording sink: no sound card.
#include "ScriptedServer.h"

#include "host/HostRelay.h"
#include "host/SoundCue.h"
#include "protocol/ServerMessages.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trelvo;
using namespace trelvo::host;
using trelvo::test::TScriptedServer;

namespace {

using TSounds = std::vector<TSound>;

// Anya sits at id 2; a player whose name only begins like hers sits at 3.
msg::TGameStart Start(int FirstID) {
    msg::TGameStart start;
    start.Players = {{1, QStringLiteral("Боб")}, {2, QStringLiteral("Аня")}, {3, QStringLiteral("Аня2")}};
    start.FirstID = FirstID;
    start.Cards = {{1, 1, 6}, {2, 2, 14}};
    return start;
}

class SoundCueTest : public testing::Test {
protected:
    SoundCueTest() : relay(server, Identity()), cue(relay.Identity().Name) {
        cue.OnSound = [this](TSound Sound) { heard.push_back(Sound); };
        relay.OnRelayed = [this](const QString &Message) { cue.ServerMessage(Message); };
        relay.ClientConnected(1, QSize(800, 600));
        heard.clear();
    }
    static THostIdentity Identity() {
        THostIdentity id;
        id.Name = QStringLiteral("Аня");
        return id;
    }
    TSounds Hear(const msg::TServerMessage &Message) {
        heard.clear();
        server.Send(msg::BuildMessage(Message));
        return heard;
    }

    TScriptedServer server;
    THostRelay relay;
    TSoundCue cue;
    TSounds heard;
};

TEST_F(SoundCueTest, EachTableEventAsksForItsSoundAndYourMoveWhenTheTurnComesToThePlayer) {
    ASSERT_EQ(Hear(Start(1)), (TSounds{TSound::Deal}));
    const struct {
        const char *What;
        msg::TServerMessage Message;
        TSounds Expected;
    } cases[] = {
        {"lead at another", msg::TCardPlayed{1, 3, 1, 6, false}, {TSound::CardPlayed}},
        {"lead at the player", msg::TCardPlayed{1, 2, 1, 6, false}, {TSound::CardPlayed, TSound::YourMove}},
        {"all covered, player throws in",
         msg::TCovered{0, 3, 2, 0, true, 1, 7},
         {TSound::Cover, TSound::YourMove}},
        {"open cards, another covers on", msg::TCovered{2, 3, 3, 0, true, 1, 7}, {TSound::Cover}},
        {"a cover that calls nobody", msg::TCovered{1, 3, 2, 0, true, 1, 7}, {TSound::Cover}},
        {"another takes, player throws in", msg::TTaken{3, 2}, {TSound::Take, TSound::YourMove}},
        {"another takes, another throws in", msg::TTaken{3, 1}, {TSound::Take}},
        {"a thrower-in passes to the player", msg::TPassed{2}, {TSound::YourMove}},
        {"a thrower-in passes to nobody", msg::TPassed{msg::kNobody}, {}},
        {"discard, another leads", msg::TBoutEnd{true, msg::kNobody, 1, 10, {}, {}}, {TSound::Discard}},
        {"discard, the player leads",
         msg::TBoutEnd{true, msg::kNobody, 2, 10, {}, {}},
         {TSound::Discard, TSound::YourMove}},
        {"a taken bout ends (heard at the take)", msg::TBoutEnd{false, 3, 1, 10, {}, {}}, {}},
        {"a player leaves, the player is on turn", msg::TPlayerLeft{1, false, 2}, {TSound::YourMove}},
        {"the lobby's list", msg::TTableList{}, {}},
        {"the countdown", msg::TCountdown{5}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Hear(c.Message), c.Expected) << c.What;
}

TEST_F(SoundCueTest, TheGameStartsAndEndsWithItsSounds) {
    EXPECT_EQ(Hear(Start(2)), (TSounds{TSound::Deal, TSound::YourMove}));
    const struct {
        int Result;
        TSounds Expected;
    } results[] = {{1, {TSound::Win}}, {0, {TSound::Loss}}, {2, {}}, {3, {}}};
    for (const auto &r : results)
        EXPECT_EQ(Hear(msg::TGameResult{r.Result, 1}), r.Expected) << r.Result;
    // After the game the seat is no longer the player's.
    EXPECT_EQ(Hear(msg::TCardPlayed{1, 2, 1, 6, false}), (TSounds{TSound::CardPlayed}));
}

TEST_F(SoundCueTest, WithoutTheirSeatOrWithBadMessagesNoTurnSoundIsAskedFor) {
    // No game start seen: the id 2 is nobody's the host knows.
    EXPECT_EQ(Hear(msg::TCardPlayed{1, 2, 1, 6, false}), (TSounds{TSound::CardPlayed}));
    msg::TGameStart strangers = Start(2);
    strangers.Players = {{1, QStringLiteral("Боб")}, {2, QStringLiteral("Аня2")}};
    EXPECT_EQ(Hear(strangers), (TSounds{TSound::Deal}));

    for (const char *bad : {"", "10;", "10;x;y;", "99;1;", "15;", "abc"}) {
        heard.clear();
        server.Send(QString::fromLatin1(bad));
        EXPECT_TRUE(heard.empty()) << bad;
    }
}

TEST_F(SoundCueTest, MessagesNotRelayedToTheClientAreNotHeard) {
    server.Send(msg::BuildMessage(Start(2)), 99);
    relay.ClientDisconnected();
    server.Send(msg::BuildMessage(msg::TGameResult{1, 1}));
    EXPECT_TRUE(heard.empty());
}

} // namespace
