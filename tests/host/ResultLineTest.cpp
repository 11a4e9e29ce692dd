// The host's result line as the relay feeds it: the game's start and the own result on their way to
// the client, and the server's note of the game's outcome, which stays with the host.
#include "ScriptedServer.h"

#include "host/HostRelay.h"
#include "host/HostWindow.h"
#include "host/ResultLine.h"
#include "protocol/GameOutcome.h"
#include "protocol/ServerMessages.h"

#include <gtest/gtest.h>

using namespace trelvo;
using namespace trelvo::host;
using trelvo::test::TScriptedServer;

namespace {

class ResultLineTest : public testing::Test {
protected:
    ResultLineTest() : relay(server, Identity()), line(QStringLiteral("Аня")) {
        relay.OnSendToClient = [this](const QString &Text) { sent << Text; };
        relay.OnRelayed = [this](const QString &Message) { line.ServerMessage(Message); };
        relay.OnHostMessage = [this](const QString &Message) { line.ServerMessage(Message); };
        line.OnText = [this](const QString &Text) { shown << Text; };
        relay.ClientConnected(0x2a00005, QSize(800, 600));
    }
    static THostIdentity Identity() {
        THostIdentity id;
        id.Name = QStringLiteral("Аня");
        return id;
    }
    // Аня, Боря and Вася sit down; Аня gets her six cards.
    void StartGame() {
        msg::TGameStart start;
        start.Players = {
            {0, QStringLiteral("Аня")}, {1, QStringLiteral("Боря")}, {2, QStringLiteral("Вася")}};
        start.TrumpSuit = 3;
        start.TrumpDignity = 13;
        start.DeckCount = 18;
        for (int i = 0; i < 6; ++i)
            start.Cards.push_back({i, 1 + i % 4, 5 + i});
        server.Send(msg::Build(start));
    }
    void Outcome(int Ann, int Borya, int Vasya) {
        server.Send(msg::BuildGameOutcome({{{QStringLiteral("Аня"), Ann},
                                            {QStringLiteral("Боря"), Borya},
                                            {QStringLiteral("Вася"), Vasya}}}));
    }
    bool ClientSawOutcome() const {
        for (const QString &text : sent)
            if (text.contains(QStringLiteral("outcome")))
                return true;
        return false;
    }

    TScriptedServer server;
    THostRelay relay;
    TResultLine line;
    QStringList sent, shown;
};

TEST_F(ResultLineTest, TheLineNamesTheFoolOrTheDrawAndTheClientNeverSeesTheOutcome) {
    struct Case {
        const char *name;
        const char *ownResult; // the game server's 15 to Аня
        int ann, borya, vasya;
        const char *afterOwn, *atEnd;
    };
    const Case cases[] = {
        {"went out first, Боря left the fool", "15;1;0;", 1, 0, 1,
         "Вы вышли из игры без карт: победа. Остальные ещё играют.",
         "Игра окончена, вы выиграли. В дураках: «Боря»."},
        {"left the fool", "15;0;1;", 0, 1, 1, "Вы остались в дураках.",
         "Игра окончена: вы остались в дураках."},
        {"a draw", "15;2;1;", 2, 2, 1, "Ничья.", "Игра окончена вничью: в дураках никто."},
        {"Боря removed, Вася left the fool", "15;1;1;", 1, 0, 0,
         "Вы вышли из игры без карт: победа. Остальные ещё играют.",
         "Игра окончена, вы выиграли. В дураках: «Боря», «Вася»."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        StartGame();
        EXPECT_EQ(line.Text(), QString());
        server.Send(QString::fromUtf8(c.ownResult));
        EXPECT_EQ(line.Text().toStdString(), std::string(c.afterOwn));
        Outcome(c.ann, c.borya, c.vasya);
        EXPECT_EQ(line.Text().toStdString(), std::string(c.atEnd));
        EXPECT_EQ(shown.last(), line.Text());
        EXPECT_FALSE(ClientSawOutcome()) << sent.join(u'\n').toStdString();
        EXPECT_TRUE(sent.contains(QStringLiteral("7;") + QString::fromUtf8(c.ownResult)));
    }
}

TEST_F(ResultLineTest, AMalformedOutcomeChangesNothingAndStaysWithTheHost) {
    StartGame();
    server.Send(QStringLiteral("15;1;0;"));
    const QString before = line.Text();
    for (const char *note :
         {"outcome;5;a;0;b;0;c;0;d;0;e;0;", "outcome;1;Боря;7;", "outcome;1;Боря;0", "outcome;x;"})
        server.Send(QString::fromUtf8(note));
    EXPECT_EQ(line.Text(), before);
    EXPECT_FALSE(ClientSawOutcome());
}

// Online the line asks for the player's rating at the game's start and after its end, and shows the
// standing that counts the game, with its change; a table asked for before the game was counted waits.
TEST_F(ResultLineTest, OnlineTheNewRatingAndItsChangeFollowTheOutcome) {
    struct Case {
        int ann, borya, vasya;
        int before, after;
        const char *atEnd;
    };
    const Case cases[] = {
        {1, 0, 1, 1500, 1516, "Игра окончена, вы выиграли. В дураках: «Боря». Ваш рейтинг: 1516 (+16)."},
        {0, 1, 1, 1516, 1490, "Игра окончена: вы остались в дураках. Ваш рейтинг: 1490 (−26)."},
        {2, 2, 1, 1490, 1490, "Игра окончена вничью: в дураках никто. Ваш рейтинг: 1490 (±0)."},
    };
    int asked = 0;
    line.OnAskRating = [&] { ++asked; };
    int games = 3;
    for (const Case &c : cases) {
        StartGame();
        ASSERT_EQ(asked, 1);
        line.OwnRating(c.before, games);
        Outcome(c.ann, c.borya, c.vasya);
        ASSERT_EQ(asked, 2);
        const QString outcome = line.Text();
        line.OwnRating(c.before, games); // answered before the game was counted
        EXPECT_EQ(line.Text(), outcome);
        line.OwnRating(c.after, ++games);
        EXPECT_EQ(line.Text().toStdString(), std::string(c.atEnd));
        asked = 0;
    }
}

TEST_F(ResultLineTest, WithoutARatingServerTheLineShowsNoRating) {
    StartGame();
    Outcome(0, 1, 1);
    line.OwnRating(1500, 1);
    EXPECT_EQ(line.Text().toStdString(), std::string("Игра окончена: вы остались в дураках."));
}

TEST(ResultLineWindow, TheWindowShowsTheLineInItsFootAndHidesItWhenEmpty) {
    THostWindow window;
    EXPECT_EQ(window.ResultLine(), QString());
    window.SetResultLine(QStringLiteral("Игра окончена, вы выиграли. В дураках: «Боря»."));
    EXPECT_EQ(window.ResultLine(), QStringLiteral("Игра окончена, вы выиграли. В дураках: «Боря»."));
    window.SetResultLine(QString());
    EXPECT_EQ(window.ResultLine(), QString());
}

} // namespace
