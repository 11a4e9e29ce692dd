#include "GameFixture.h"

#include <algorithm>
#include <functional>

using namespace trelvo;
using namespace trelvo::test;

// Unless a case says otherwise the game is the fixture's two-player game at table 12: Ann (this
// player, server id 0, seat 1) and Bob (server id 1, seat 2).
class GameTurn : public GameFixture {};

// The end of a round names players by id; ids that are not at the table reach no seat, and the
// counts are bytes, read as loop counts of exactly that many entries.
TEST_F(GameTurn, RoundEndWithPlayersNotAtTheTableAndByteCounts) {
    // 254 count entries for a player not at the table, then Bob's: M written as -1 is 255 entries.
    QString manyCounts = QStringLiteral("1;255;1;20;-1;");
    for (int i = 0; i < 254; ++i)
        manyCounts += QStringLiteral("9;3;");
    manyCounts += QStringLiteral("1;4;1;30;2;6;");
    // 255 cards announced for Ann.
    QString manyCards = QStringLiteral("1;255;0;20;0;255;");
    Lines manyCardsDealt;
    for (int i = 0; i < 255; ++i) {
        manyCards += QStringLiteral("%1;1;5;").arg(i);
        manyCardsDealt.push_back("GivePlayerCard(1," + N(i) + ",1,5)");
    }
    // After the 255 cards, taken first, then the last, and so on backwards.
    std::reverse(manyCardsDealt.begin() + 1, manyCardsDealt.end());
    manyCardsDealt.push_back("SetDeck(20)");
    manyCardsDealt.push_back("ShowCanGiveCard()");

    struct Case {
        const char *name;
        int state;
        QString payload;
        Lines out;
        int after;
        Lines closing; // after the closing animation
    };
    const Case cases[] = {
        {"discard, the next player is not at the table",
         4,
         "1;255;9;20;0;0;",
         {"AllBito(255,255)"},
         4,
         {"SetDeck(20)"}},
        {"Bob took, the next player is not at the table",
         6,
         "0;1;9;20;0;0;",
         {"PlayerTake(2)", "AllBito(2,255)"},
         3,
         {"SetDeck(20)"}},
        {"a taker not at the table",
         6,
         "0;9;0;20;0;0;",
         {"AllBito(255,1)"},
         3,
         {"SetDeck(20)", "ShowCanGiveCard()"}},
        {"a count for a player not at the table is dropped",
         3,
         "1;255;1;20;2;7;4;1;5;0;",
         {"AllBito(255,2)"},
         3,
         {"SetDeck(20)", "SetPlayerCountCard(2,5)"}},
        // A card count is a signed byte, and -1 there means none was reported.
        {"a card count of 255 reads as not reported",
         3,
         "1;255;1;20;1;1;255;0;",
         {"AllBito(255,2)"},
         3,
         {"SetDeck(20)"}},
        {"a card count of 254 is passed on",
         3,
         "1;255;1;20;1;1;254;0;",
         {"AllBito(255,2)"},
         3,
         {"SetDeck(20)", "SetPlayerCountCard(2,254)"}},
        {"a player count of -1 reads 255 entries",
         3,
         manyCounts,
         {"AllBito(255,2)"},
         3,
         {"GivePlayerCard(1,30,2,6)", "SetDeck(20)", "SetPlayerCountCard(2,4)"}},
        {"255 cards", 3, manyCards, {"AllBito(255,1)"}, 3, manyCardsDealt},
    };
    for (const Case &c : cases) {
        Drive(c.state);
        Server(13, c.payload);
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), c.after) << c.name;
        Gfx->OnBitoEnd();
        EXPECT_EQ(Take(), c.closing) << c.name;
    }
}

// Readiness in the waiting room counts the whole integer; the flags of the game's reports count
// only the low byte.
TEST_F(GameTurn, ReadinessIsTheWholeIntegerOtherFlagsTheLowByte) {
    struct Case {
        const char *name;
        int state;
        int sub;
        const char *payload;
        Lines out;
        int after;
    };
    const Case cases[] = {
        {"ready 256",
         2,
         6,
         "12;2;0;Ann;256;1;Bob;-256;",
         {"UpdateInviteList(12,[Ann+,Bob+,-,-])", "UpdateInviteState(1,0)"},
         2},
        {"ready 0",
         2,
         6,
         "12;1;0;Ann;0;",
         {"UpdateInviteList(12,[Ann-,-,-,-])", "UpdateInviteState(0,0)"},
         2},
        {"transfer 256 is no transfer",
         3,
         10,
         "1;0;3;11;256;",
         {"SetTransfer(0)", "CoverCard(1)", "PlayerGo(2,3,11)", "SetPlayerActive(1,1)"},
         4},
        {"bito 256 means the cards were taken",
         6,
         13,
         "256;1;0;20;0;0;",
         {"PlayerTake(2)", "AllBito(2,1)"},
         3},
        {"bito 257 is a discard", 6, 13, "257;1;1;20;0;0;", {"AllBito(255,2)"}, 6},
    };
    for (const Case &c : cases) {
        Drive(c.state);
        Server(c.sub, c.payload);
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), c.after) << c.name;
    }
}

// A card played while someone takes never makes this player cover; only while another player takes
// does this player's own card give the turn back to throw in more.
TEST_F(GameTurn, PlayedCardWhileSomeoneTakes) {
    struct Case {
        const char *name;
        int state;
        const char *payload;
        Lines out;
    };
    const Case cases[] = {
        {"Bob takes and Ann is named defender: she does not cover",
         6,
         "1;0;3;11;0;",
         {"SetTransfer(0)", "PlayerGo(2,3,11)", "SetPlayerActive(1,1)"}},
        {"Ann takes and her own card is shown: no turn to throw in",
         5,
         "0;1;2;9;0;",
         {"SetTransfer(0)", "CoverCard(0)", "PlayerGo(1,2,9)", "SetPlayerActive(2,2)"}},
        {"Ann covers and her own card is shown: no turn to throw in",
         4,
         "0;1;2;9;0;",
         {"SetTransfer(0)", "PlayerGo(1,2,9)", "SetPlayerActive(2,2)"}},
        {"Bob takes, Ann's card against a defender not at the table only shows",
         6,
         "0;9;2;9;0;",
         {"SetTransfer(0)", "PlayerGo(1,2,9)"}},
        {"Ann takes, a card against a defender not at the table only shows",
         5,
         "1;9;3;11;0;",
         {"SetTransfer(0)", "PlayerGo(2,3,11)"}},
    };
    for (const Case &c : cases) {
        Drive(c.state);
        Server(10, c.payload);
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), c.state) << c.name;
    }
}

// The scene's events are the player's own actions and the ends of animations; the controller turns
// them into requests for the current table whatever its state. Only the take button moves the state.
TEST_F(GameTurn, SceneEventsInEveryState) {
    for (int state = 0; state <= 6; ++state) {
        Drive(state);
        // No table before the first waiting room.
        const std::string table = state >= 2 ? "12" : "0";
        Gfx->OnCardGo(7);
        Gfx->OnCardCover(8, 2);
        Gfx->OnCardTransfer(9);
        Gfx->OnPlayerBitoCard();
        Gfx->OnRoundStart();
        Gfx->OnGetTempCard(1, 5); // nothing is held for the hand
        Gfx->OnBitoEnd();         // no round to close: the deck as last reported
        EXPECT_EQ(Take(), Lines({"OnPlayerGo(" + table + ",7)", "OnPlayerCover(" + table + ",8,2)",
                                 "OnPlayerTransfer(" + table + ",9)", "OnPlayerBito(" + table + ")",
                                 "OnRoundStart(" + table + ")", "SetDeck(0)"}))
            << "state " << state;
        EXPECT_EQ(Game->State(), state);
        Gfx->OnPlayerTakeCard();
        EXPECT_EQ(Take(), Lines({"OnPlayerTake(" + table + ")"})) << "state " << state;
        EXPECT_EQ(Game->State(), 5) << "state " << state;
    }
}

// When this player's name is not among the game's players nobody is this player: the seats count
// from id 0, so the player at id 0 sits at seat 1, but neither that seat nor that id is treated as
// this player's anywhere.
TEST_F(GameTurn, WithoutTheOwnNameNobodyIsThisPlayer) {
    struct Case {
        const char *name;
        std::function<void()> act;
        Lines out;
        int after;
    };
    const Case cases[] = {
        {"Bob at seat 1 is attacked: this player does not cover",
         [this] { Server(10, "1;0;3;11;0;"); },
         {"SetTransfer(0)", "PlayerGo(2,3,11)", "SetPlayerActive(1,1)"},
         3},
        {"Bob at seat 1 takes: another player takes",
         [this] { Server(11, "0;1;"); },
         {"PlayerTake(1)", "SetPlayerActive(2,255)"},
         6},
        {"Cid takes and Bob at seat 1 throws in: no turn for this player",
         [this] {
             Server(11, "1;0;");
             Server(10, "0;1;3;11;0;");
         },
         {"PlayerTake(2)", "SetPlayerActive(1,255)", "SetTransfer(0)", "PlayerGo(1,3,11)",
          "SetPlayerActive(2,2)"},
         6},
        {"Bob at seat 1 is next after bito", [this] { Server(12, "0;"); }, {"SetPlayerActive(1,255)"}, 3},
        {"Bob at seat 1 is next after a cover",
         [this] { Server(14, "0;1;0;0;3;12;"); },
         {"PlayerCover(2,0,3,12)", "SetPlayerActive(1,255)"},
         3},
        {"Bob at seat 1 moves first in the next round: this player is not told to play",
         [this] {
             Server(13, "1;255;0;20;2;0;6;1;5;0;");
             Gfx->OnBitoEnd();
         },
         {"AllBito(255,1)", "SetDeck(20)", "SetPlayerCountCard(2,5)"},
         3},
        {"Bob at seat 1 took the cards",
         [this] {
             Server(13, "0;0;1;20;0;0;");
             Gfx->OnBitoEnd();
         },
         {"PlayerTake(1)", "AllBito(1,2)", "SetDeck(20)"},
         3},
        {"Bob at seat 1 leaves: this player stays",
         [this] { Server(16, "0;x;1;"); },
         {"PlayerExitGame(1)", "SetPlayerActive(2,255)"},
         3},
    };
    for (const Case &c : cases) {
        Drive(2);
        Server(9, "2;30;0;Bob;1;Cid;0;4;13;24;0;");
        EXPECT_EQ(Take(), Lines({"StartGame(Ann,[1:Bob,2:Cid],{4,13},24,30,[])", "SetPlayerActive(1,255)"}));
        c.act();
        EXPECT_EQ(Take(), c.out) << c.name;
        EXPECT_EQ(Game->State(), c.after) << c.name;
    }
}
