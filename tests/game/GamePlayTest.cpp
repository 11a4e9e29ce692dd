#include "GameFixture.h"

#include <algorithm>
#include <functional>
#include <set>

using namespace trelvo;
using namespace trelvo::test;

// Unless a case says otherwise the game is the fixture's two-player game at table 12: Ann (this
// player, server id 0, seat 1) and Bob (server id 1, seat 2).
class GamePlay : public GameFixture {};

TEST_F(GamePlay, SeatMapsForTwoThreeAndFourPlayers) {
    struct Case {
        const char *name;
        const char *payload;
        Lines out;
    };
    const Case cases[] = {
        {"two players, Ann at id 0 moves first",
         kTwoPlayerStart,
         {"StartGame(Ann,[1:Ann,2:Bob],{4,13},24,30,[7:1:5,8:3:11])", "SetPlayerActive(1,255)",
          "ShowCanGiveCard()"}},
        {"two players, Ann at id 1",
         "2;30;0;Bob;1;Ann;0;4;13;24;0;",
         {"StartGame(Ann,[4:Bob,1:Ann],{4,13},24,30,[])", "SetPlayerActive(4,255)"}},
        {"three players, Ann at id 2: seat 2 stays empty",
         "3;15;0;Bob;1;Cid;2;Ann;1;1;6;18;1;9;2;7;",
         {"StartGame(Ann,[3:Bob,4:Cid,1:Ann],{1,6},18,15,[9:2:7])", "SetPlayerActive(4,255)"}},
        {"four players, Ann at id 1",
         "4;20;0;Bob;1;Ann;2;Cid;3;Dan;3;2;10;12;0;",
         {"StartGame(Ann,[4:Bob,1:Ann,2:Cid,3:Dan],{2,10},12,20,[])", "SetPlayerActive(3,255)"}},
        {"names arrive escaped",
         "2;30;0;A$r^e%p#l&a-c=e@B;1;Ann;1;4;13;24;0;",
         {"StartGame(Ann,[4:A;B,1:Ann],{4,13},24,30,[])", "SetPlayerActive(1,255)", "ShowCanGiveCard()"}},
        {"letter case counts in the own name",
         "2;30;0;ann;1;Ann;0;4;13;24;0;",
         {"StartGame(Ann,[4:ann,1:Ann],{4,13},24,30,[])", "SetPlayerActive(4,255)"}},
        {"with two equal names the last counts",
         "2;30;0;Ann;1;Ann;0;4;13;24;0;",
         {"StartGame(Ann,[4:Ann,1:Ann],{4,13},24,30,[])", "SetPlayerActive(4,255)"}},
        {"a first mover not at the table",
         "2;30;0;Ann;1;Bob;9;4;13;24;0;",
         {"StartGame(Ann,[1:Ann,2:Bob],{4,13},24,30,[])", "SetPlayerActive(255,255)"}},
        // Without the own name nobody is this player; seats count from id 0.
        {"own name missing",
         "2;30;0;Bob;1;Cid;0;4;13;24;0;",
         {"StartGame(Ann,[1:Bob,2:Cid],{4,13},24,30,[])", "SetPlayerActive(1,255)"}},
        {"no players",
         "0;30;0;4;13;24;0;",
         {"StartGame(Ann,[],{4,13},24,30,[])", "SetPlayerActive(255,255)"}},
    };
    for (const Case &c : cases) {
        Drive(2);
        Server(9, c.payload);
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), 3) << c.name;
    }
}

TEST_F(GamePlay, PlayerGo) {
    struct Case {
        const char *name;
        int state;
        const char *payload;
        Lines out;
        int after;
    };
    const Case cases[] = {
        {"Bob attacks Ann: she must cover",
         3,
         "1;0;3;11;0;",
         {"SetTransfer(0)", "CoverCard(1)", "PlayerGo(2,3,11)", "SetPlayerActive(1,1)"},
         4},
        {"a transferable throw-in while covering",
         4,
         "1;0;3;12;1;",
         {"SetTransfer(1)", "CoverCard(1)", "PlayerGo(2,3,12)", "SetPlayerActive(1,1)"},
         4},
        {"while Ann takes she covers no more",
         5,
         "1;0;3;11;0;",
         {"SetTransfer(0)", "CoverCard(0)", "PlayerGo(2,3,11)", "SetPlayerActive(1,1)"},
         5},
        {"Ann throws in while Bob takes: her turn again",
         6,
         "0;1;2;9;0;",
         {"SetTransfer(0)", "PlayerGo(1,2,9)", "GiveCard()", "SetPlayerActive(2,2)"},
         6},
        {"Ann attacks Bob",
         3,
         "0;1;1;5;0;",
         {"SetTransfer(0)", "PlayerGo(1,1,5)", "SetPlayerActive(2,2)"},
         3},
        {"a defender not at the table only shows the card",
         3,
         "1;7;3;11;0;",
         {"SetTransfer(0)", "PlayerGo(2,3,11)"},
         3},
        {"defender -1 is nobody", 3, "1;-1;3;11;0;", {"SetTransfer(0)", "PlayerGo(2,3,11)"}, 3},
        {"ids count by their low byte",
         3,
         "257;256;3;11;2;",
         {"SetTransfer(1)", "CoverCard(1)", "PlayerGo(2,3,11)", "SetPlayerActive(1,1)"},
         4},
        {"the transfer flag is set before a broken id is read",
         3,
         "1;x;3;11;0;",
         {"OnError(0)", "SetTransfer(0)", "CoverCard(1)", "PlayerGo(2,3,11)", "SetPlayerActive(1,1)"},
         4},
    };
    for (const Case &c : cases) {
        Drive(c.state);
        Server(10, c.payload);
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), c.after) << c.name;
    }
}

TEST_F(GamePlay, PlayerCover) {
    struct Case {
        const char *name;
        int state;
        const char *payload;
        Lines out;
    };
    const Case cases[] = {
        {"Bob covers, Ann throws in next",
         3,
         "0;1;0;0;3;12;",
         {"PlayerCover(2,0,3,12)", "GiveCard()", "SetPlayerActive(1,255)"}},
        {"Bob covers, Bob next", 3, "0;1;1;2;3;12;", {"PlayerCover(2,2,3,12)", "SetPlayerActive(2,255)"}},
        {"Ann's own cover is on the table already", 4, "0;0;1;0;", {"SetPlayerActive(2,255)"}},
        {"kind 1 changes nothing, its next field is not even converted", 4, "1;0;x;0;", {}},
        {"kind 1 by Bob shows only the card", 3, "1;1;x;4;1;13;", {"PlayerCover(2,4,1,13)"}},
        {"kind 2: Ann must cover again", 4, "2;0;0;1;", {"CoverCard(1)", "SetPlayerActive(1,255)"}},
        {"kind 2 for Bob", 3, "2;1;1;0;4;9;", {"PlayerCover(2,0,4,9)", "SetPlayerActive(2,255)"}},
        {"a broken coverer reads as id 0 (Ann)",
         4,
         "0;x;0;0;",
         {"OnError(0)", "GiveCard()", "SetPlayerActive(1,255)"}},
    };
    for (const Case &c : cases) {
        Drive(c.state);
        Server(14, c.payload);
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), c.state) << c.name;
    }
}

TEST_F(GamePlay, PlayerTakeAndBito) {
    struct Case {
        const char *name;
        int state;
        int sub;
        const char *payload;
        Lines out;
        int after;
    };
    const Case cases[] = {
        {"Ann takes, Bob throws in", 4, 11, "0;1;", {"PlayerTake(1)", "SetPlayerActive(2,255)"}, 5},
        {"Bob takes, Ann throws in", 3, 11, "1;0;", {"PlayerTake(2)", "GiveCard()"}, 6},
        {"Ann's own take confirmed", 5, 11, "0;1;", {"PlayerTake(1)", "SetPlayerActive(2,255)"}, 5},
        {"a taker not at the table", 3, 11, "9;9;", {"PlayerTake(255)", "SetPlayerActive(255,255)"}, 6},
        {"bito, Ann next", 6, 12, "0;", {"GiveCard()"}, 6},
        {"bito, Bob next", 3, 12, "1;", {"SetPlayerActive(2,255)"}, 3},
    };
    for (const Case &c : cases) {
        Drive(c.state);
        Server(c.sub, c.payload);
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), c.after) << c.name;
    }
}

TEST_F(GamePlay, AllPlayerBitoStates) {
    struct Case {
        const char *name;
        int state;
        const char *payload;
        Lines out;
        int after;
    };
    const Case cases[] = {
        {"Bob took: back to 3", 6, "0;1;0;20;0;0;", {"PlayerTake(2)", "AllBito(2,1)"}, 3},
        {"Ann took: back to 3", 5, "0;0;1;20;0;0;", {"PlayerTake(1)", "AllBito(1,2)"}, 3},
        {"discard, Ann next: 3", 4, "1;255;0;20;0;0;", {"AllBito(255,1)"}, 3},
        {"discard, Bob next: unchanged", 4, "1;255;1;20;0;0;", {"AllBito(255,2)"}, 4},
        {"any non-zero low byte is a discard", 6, "2;1;1;20;0;0;", {"AllBito(255,2)"}, 6},
    };
    for (const Case &c : cases) {
        Drive(c.state);
        Server(13, c.payload);
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), c.after) << c.name;
    }
}

TEST_F(GamePlay, OwnCardsEnterTheHandInTheOrderADCB) {
    Drive(3);
    // Deck 20; Ann (seat 1) has 6, which is not recorded, Bob 5; four cards for Ann: A B C D.
    Server(13, "1;255;0;20;2;0;6;1;5;4;1;1;5;2;2;6;3;3;7;4;4;8;");
    EXPECT_EQ(Take(), Lines({"AllBito(255,1)"}));
    Gfx->OnBitoEnd();
    EXPECT_EQ(Take(), Lines({"GivePlayerCard(1,1,1,5)", "GivePlayerCard(1,4,4,8)", "GivePlayerCard(1,3,3,7)",
                             "GivePlayerCard(1,2,2,6)", "SetDeck(20)", "SetPlayerCountCard(2,5)",
                             "ShowCanGiveCard()"}));
    // The next player is told once only.
    Gfx->OnBitoEnd();
    EXPECT_EQ(Take(), Lines({"SetDeck(20)", "SetPlayerCountCard(2,5)"}));
}

TEST_F(GamePlay, PickedUpCardsEnterOneByOneAndTheRestAfterTheAnimation) {
    Drive(5);
    Server(13, "0;0;1;18;1;1;6;3;10;3;11;11;3;12;12;2;5;");
    EXPECT_EQ(Take(), Lines({"PlayerTake(1)", "AllBito(1,2)"}));
    Gfx->OnGetTempCard(3, 12);
    Gfx->OnGetTempCard(3, 11);
    Gfx->OnGetTempCard(4, 4);  // not announced: nothing
    Gfx->OnGetTempCard(3, 12); // already given
    EXPECT_EQ(Take(), Lines({"GivePlayerCard(1,11,3,12)", "GivePlayerCard(1,10,3,11)"}));
    Gfx->OnBitoEnd();
    EXPECT_EQ(Take(), Lines({"GivePlayerCard(1,12,2,5)", "SetDeck(18)", "SetPlayerCountCard(2,6)"}));
}

TEST_F(GamePlay, ClosingAnimationHandsOverEveryCardEvenBeyondAByteCount) {
    // Two round ends before one closing animation: 256 cards wait, which a byte count reads as none.
    Drive(3);
    for (int round = 0; round < 2; ++round) {
        QString payload = QStringLiteral("1;255;1;0;0;128;");
        for (int i = 0; i < 128; ++i)
            payload += QStringLiteral("%1;1;5;").arg(i);
        Server(13, payload);
    }
    Take();
    Gfx->OnBitoEnd();
    const Lines out = Take();
    EXPECT_EQ(std::count_if(out.begin(), out.end(),
                            [](const std::string &l) { return l.rfind("GivePlayerCard(", 0) == 0; }),
              256);
}

TEST_F(GamePlay, ResultShownOneSecondAfterEndGame) {
    Drive(3);
    Server(15, "1;1;");
    EXPECT_EQ(Game->State(), 2);
    Clock.Advance(999);
    EXPECT_TRUE(Log.Empty());
    Clock.Advance(1);
    EXPECT_EQ(Take(), Lines({"EndTableGame()", "CreateNewTable(12,Ann,1)", "UpdateInviteList(12,[-,-,-,-])",
                             "UpdateInviteState(0,0)"}));
    Clock.Advance(10000);
    EXPECT_TRUE(Log.Empty());
    // Shown and cleaned: seats go to the screen again.
    Server(6, "12;1;0;Ann;1;");
    EXPECT_EQ(Take(), Lines({"UpdateInviteList(12,[Ann+,-,-,-])", "UpdateInviteState(1,0)"}));
}

TEST_F(GamePlay, ResultAfterTheClosingAnimationWithTheSeatsReportedMeanwhile) {
    Drive(3);
    Server(13, "1;255;1;0;0;0;");
    Server(15, "0;0;");
    Server(6, "12;2;0;Ann;1;1;Bob;0;");
    Clock.Advance(5000);
    EXPECT_EQ(Take(), Lines({"AllBito(255,2)"}));
    Gfx->OnBitoEnd();
    EXPECT_TRUE(Log.Empty());
    Clock.Advance(1000);
    EXPECT_EQ(Take(), Lines({"EndTableGame()", "CreateNewTable(12,Ann,0)",
                             "UpdateInviteList(12,[Ann+,Bob-,-,-])", "UpdateInviteState(1,0)"}));
}

TEST_F(GamePlay, ResultToWaitForAnAnimationThatIsOverShowsAfterOneSecond) {
    const Lines result = {"EndTableGame()", "CreateNewTable(12,Ann,1)", "UpdateInviteList(12,[-,-,-,-])",
                          "UpdateInviteState(0,0)"};
    // The closing animation ended before the result arrived.
    Drive(3);
    Server(13, "1;255;1;0;0;0;");
    Gfx->OnBitoEnd();
    Take();
    Server(15, "1;0;");
    Clock.Advance(999);
    EXPECT_TRUE(Log.Empty());
    Clock.Advance(1);
    EXPECT_EQ(Take(), result);
    // No round ended at all (a player left and the game is over).
    Drive(3);
    Server(15, "1;0;");
    Clock.Advance(1000);
    EXPECT_EQ(Take(), result);
}

TEST_F(GamePlay, ASceneThatEndsTheRoundInsideAllBito) {
    Drive(3);
    Gfx->AfterCall = [this](const std::string &line) {
        if (line.rfind("AllBito(", 0) == 0)
            Gfx->OnBitoEnd();
    };
    Server(13, "1;255;0;20;1;1;5;2;1;1;5;2;2;6;");
    EXPECT_EQ(Take(), Lines({"AllBito(255,1)", "GivePlayerCard(1,1,1,5)", "GivePlayerCard(1,2,2,6)",
                             "SetDeck(20)", "SetPlayerCountCard(2,5)", "ShowCanGiveCard()"}));
    Server(15, "2;0;");
    Clock.Advance(1000);
    EXPECT_EQ(Take(), Lines({"EndTableGame()", "CreateNewTable(12,Ann,2)", "UpdateInviteList(12,[-,-,-,-])",
                             "UpdateInviteState(0,0)"}));
}

TEST_F(GamePlay, NoResultLeavesTheTableInStateTwo) {
    Drive(4);
    Server(15, "3;");
    EXPECT_EQ(Game->State(), 2);
    Gfx->OnBitoEnd();
    Clock.Advance(5000);
    // No result pending: the animation's end deals as usual and the seats go straight to the screen.
    EXPECT_EQ(Take(), Lines({"SetDeck(0)"}));
    Server(6, "12;1;0;Ann;0;");
    EXPECT_EQ(Take(), Lines({"UpdateInviteList(12,[Ann-,-,-,-])", "UpdateInviteState(0,0)"}));
}

TEST_F(GamePlay, ResultShowsOnceWhenItsTimerIsRestarted) {
    Drive(3);
    Server(15, "2;1;");
    Clock.Advance(500);
    Gfx->OnBitoEnd(); // a late closing animation restarts the timer
    Clock.Advance(999);
    EXPECT_TRUE(Log.Empty());
    Clock.Advance(5000);
    EXPECT_EQ(Take(), Lines({"EndTableGame()", "CreateNewTable(12,Ann,2)", "UpdateInviteList(12,[-,-,-,-])",
                             "UpdateInviteState(0,0)"}));
}

TEST_F(GamePlay, DestroyingTheControllerWithAPendingResult) {
    Drive(3);
    Server(15, "1;1;");
    Game.reset();
    Clock.Advance(5000);
    EXPECT_TRUE(Log.Empty());
}

TEST_F(GamePlay, ExcludedFromTheTable) {
    Drive(6);
    Server(13, "0;1;0;20;0;1;1;3;5;"); // cards announced, then the exclusion
    Take();
    Server(16, "0;");
    EXPECT_EQ(Take(), Lines({"EndTableGame()", "ShowMessage(Стол,Вы были исключены со стола за бездействие.)",
                             "ShowTableList()"}));
    EXPECT_EQ(Game->State(), 1);
    EXPECT_EQ(Game->TableID(), -1);
    Gfx->OnGetTempCard(3, 5); // the held cards were dropped
    Clock.Advance(500);
    EXPECT_EQ(Take(), Lines({"OnTableList()"}));
}

TEST_F(GamePlay, AnotherPlayerLeaves) {
    struct Case {
        const char *name;
        int state;
        const char *payload;
        Lines out;
        int after;
    };
    const Case cases[] = {
        {"Ann moves next",
         6,
         "1;x;0;",
         {"PlayerExitGame(2)", "SetPlayerActive(1,255)", "ShowCanGiveCard()"},
         3},
        {"nobody moves next", 4, "1;0;255;", {"PlayerExitGame(2)"}, 4},
        {"nobody, written -1", 5, "1;0;-1;", {"PlayerExitGame(2)"}, 5},
        {"a player not at the table", 4, "7;0;1;", {"PlayerExitGame(255)", "SetPlayerActive(2,255)"}, 3},
    };
    for (const Case &c : cases) {
        Drive(c.state);
        Server(16, c.payload);
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), c.after) << c.name;
    }
}

TEST_F(GamePlay, SceneEventsBecomeRequests) {
    Drive(3);
    Gfx->OnCardGo(7);
    Gfx->OnCardCover(8, 2);
    Gfx->OnCardTransfer(9);
    Gfx->OnPlayerBitoCard();
    Gfx->OnRoundStart();
    EXPECT_EQ(Game->State(), 3);
    Gfx->OnPlayerTakeCard();
    EXPECT_EQ(Take(), Lines({"OnPlayerGo(12,7)", "OnPlayerCover(12,8,2)", "OnPlayerTransfer(12,9)",
                             "OnPlayerBito(12)", "OnRoundStart(12)", "OnPlayerTake(12)"}));
    EXPECT_EQ(Game->State(), 5);
}

TEST_F(GamePlay, ReportsOutsideTheirStatesDoNothing) {
    struct Case {
        int sub;
        const char *payload;
        std::set<int> states;
    };
    const Case cases[] = {
        {2, "1;0;0;0;0;3;2;1;0;0;", {1}},  {5, "1;", {2}},
        {6, "12;1;0;Ann;1;", {2}},         {9, kTwoPlayerStart, {2}},
        {10, "1;0;3;11;0;", {3, 4, 5, 6}}, {11, "1;0;", {3, 4, 5}},
        {12, "1;", {3, 4, 5, 6}},          {13, "1;255;1;20;0;0;", {3, 4, 5, 6}},
        {14, "0;1;0;0;3;12;", {3, 4}},     {15, "3;", {3, 4, 5, 6}},
        {16, "1;0;0;", {3, 4, 5, 6}},
    };
    for (const Case &c : cases) {
        for (int state = 0; state <= 6; ++state) {
            Drive(state);
            Server(c.sub, c.payload);
            const bool acted = !Log.Empty() || Game->State() != state;
            EXPECT_EQ(acted, c.states.count(state) == 1) << "subcode " << c.sub << " in state " << state;
            Clock.Advance(100);
        }
    }
}

TEST_F(GamePlay, AMessageWithBadFieldsIsAnsweredOnceAtItsFirstBadField) {
    // However many fields of one message fail, the host hears of it once: a hostile table list of a
    // million bad fields must not become a million answers.
    struct Case {
        int state;
        int sub;
        const char *payload;
    };
    const Case cases[] = {
        {3, 11, "a;b;"},
        {3, 12, ""},
        {3, 12, "0"}, // the only field lacks its ";"
        {3, 15, "z;"}, // result 0, then the missing ShowNow
        {3, 13, "x;x;x;x;x;x;"},
        {3, 16, "-;"},
        {2, 9, "2;30;x;Ann;1;Bob;0;4;13;24;0;"},
        {2, 6, "q;1;0;Ann;1;"},
        {1, 2, "1;0;0;0;0;+;;2;1;0;"},
        {1, 2, "2;0;0;0;0;1;x;x;x;x;2;x;x;x;x;"},
    };
    for (const Case &c : cases) {
        Drive(c.state);
        Server(c.sub, c.payload);
        const Lines out = Take();
        EXPECT_EQ(std::count(out.begin(), out.end(), "OnError(0)"), 1) << c.sub << " " << c.payload;
    }
    // The next message has an answer of its own.
    Drive(3);
    Server(11, "a;b;");
    Server(11, "a;b;");
    const Lines out = Take();
    EXPECT_EQ(std::count(out.begin(), out.end(), "OnError(0)"), 2);
}
