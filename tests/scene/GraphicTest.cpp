#include "scene/Graphic.h"
#include "common/Clock.h"
#include "common/VirtualKeys.h"
#include "kit/Round.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <QPointF>

#include <algorithm>
#include <functional>

#include <string>
#include <vector>

namespace trelvo::scene {
namespace {

// The facade on a manual clock, sized 1000 x 700 by the host, with every event it raises written to
// a log, and a controller that answers a picked-up card with the next card ID.
struct GraphicsScene {
    TManualClock clock;
    TClockScope scope{clock};
    TGraphics g;
    std::vector<std::string> log;
    uint8_t nextId = 100;

    GraphicsScene() {
        g.OnCreateNewTable = [this](const TCreateSetting &s) {
            Note(std::string("create ") + (s.Transfer ? "transfer" : "plain"));
        };
        g.OnCloseInvite = [this] { Note("close invite"); };
        g.OnEnterTable = [this](int id) { Note("enter " + std::to_string(id)); };
        g.OnReady = [this](bool s) { Note(s ? "ready" : "not ready"); };
        g.OnCardGo = [this](uint8_t id) { Note("go " + std::to_string(id)); };
        g.OnCardCover = [this](uint8_t id, uint8_t place) {
            // The take button is gone before the controller hears of the cover.
            Note("cover " + std::to_string(id) + " on " + std::to_string(place) +
                 (g.Table()->PickBitoButton()->Visible() ? " button shown" : ""));
        };
        g.OnCardTransfer = [this](uint8_t id) { Note("transfer " + std::to_string(id)); };
        g.OnPlayerTakeCard = [this] {
            Note(std::string("take") + (g.Table()->PickBitoButton()->Visible() ? " button shown" : ""));
        };
        g.OnPlayerBitoCard = [this] { Note("bito"); };
        g.OnGetTempCard = [this](uint8_t s, uint8_t d) {
            Note("temp " + std::to_string(s) + "/" + std::to_string(d));
            g.GivePlayerCard(kOwnSeat, nextId++, s, d);
        };
        g.OnBitoEnd = [this] { Note("round end"); };
        g.OnRoundStart = [this] { Note("clock"); };
        g.OnChatResize(700, 1000);
    }

    // Runs inside every event the facade raises, right after it was logged: a controller that reacts
    // at once, as one does when a quick server's message is handled inside the send of a request.
    std::function<void(const std::string &Event)> Inside;
    void Note(std::string Line) {
        log.push_back(Line);
        if (Inside)
            Inside(Line);
    }

    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }
    void Click(TControl *control) {
        TForm &form = g.Form();
        const QPointF p = control->LocalToAbsolute(QPointF(control->Width() / 2, control->Height() / 2));
        TScreen::SetMousePos(form.ClientToScreen(p));
        form.PointerMove(p);
        form.PointerDown(TMouseButton::Left, p);
        form.PointerUp(TMouseButton::Left, p);
        clock.Advance(5);
    }
    TControl *OwnCard(uint8_t id) const {
        const TCardList *hand = g.Table()->Player(kOwnSeat)->CardList();
        for (int i = 0; i < hand->Count(); ++i)
            if (hand->Sprite(i)->ID() == id)
                return hand->Sprite(i);
        return nullptr;
    }
    // A game of the user and seat 2 ("Бот 2"), hearts trumps, the user holding Hand.
    void StartTwoHanded(const TListCardID &Hand) {
        g.CreateNewTable(0, QStringLiteral("Иван"), TWindowShowPlayer::kNewTable);
        g.StartGame(QStringLiteral("Иван"), {{QStringLiteral("Иван"), 1}, {QStringLiteral("Бот 2"), 2}},
                    {kSuitHearts, 4}, 24, 30, Hand);
        clock.Advance(5);
    }
    // Seat 2 leads a card against the user, as the controller hands it on; it has landed on return.
    void SeatTwoAttacksTheUser(uint8_t Suit, uint8_t Dignity) {
        g.SetPlayerActive(2, 1);
        g.CoverCard(true);
        g.SetTransfer(false);
        g.PlayerGo(2, Suit, Dignity);
        g.SetPlayerActive(1, 1);
        clock.Advance(600);
    }
    // A window's close button, then its fade and the moment its deferred free needs.
    void CloseByButton(TWindow *window) {
        Click(window->Button_Close());
        clock.Advance(300);
        clock.Advance(5);
    }
};

struct GraphicsFixture : ::testing::Test, GraphicsScene {};

TEST_F(GraphicsFixture, BuildsTheClothAndTheEmptyLobbyLayerAndShowsNothing) {
    EXPECT_FALSE(g.MainForm().isVisible());
    EXPECT_EQ(g.Image_Background()->Width(), 1000);
    EXPECT_EQ(g.Image_Background()->Height(), 700);
    // The cloth, the largest picture, is decoded by the first frame, not before the client connects.
    EXPECT_TRUE(g.Image_Background()->Bitmap().isNull());
    g.Form().RenderToImage();
    EXPECT_EQ(g.Image_Background()->Bitmap().size(), QSize(1280, 1024));
    EXPECT_FALSE(g.WindowStart()->Valid());
    EXPECT_EQ(g.WindowSettingTable(), nullptr);
    EXPECT_EQ(g.Window_Players(), nullptr);
    EXPECT_EQ(g.Table(), nullptr);
    g.ShowTableList();
    EXPECT_TRUE(g.WindowStart()->Valid());
    EXPECT_TRUE(g.WindowStart()->Visible());
}

TEST_F(GraphicsFixture, AHostSizeBeyondAnyScreenIsClamped) {
    struct Case {
        int height, width, wantHeight, wantWidth;
    };
    const Case cases[] = {
        {480, 640, 480, 640},
        {100000, 100000, TGraphics::kMaxClientSize, TGraphics::kMaxClientSize},
        {-5, 900, 0, 900},
        {TGraphics::kMaxClientSize, 1, TGraphics::kMaxClientSize, 1},
    };
    for (const Case &c : cases) {
        g.OnChatResize(c.height, c.width);
        EXPECT_EQ(g.MainForm().height(), c.wantHeight) << c.height;
        EXPECT_EQ(g.MainForm().width(), c.wantWidth) << c.width;
        EXPECT_EQ(g.Form().ClientHeight(), c.wantHeight) << c.height;
    }
}

TEST_F(GraphicsFixture, TheSettingsWindowReplacesTheListAndGoesAfterCreateOrItsCloseButton) {
    g.ShowTableList();
    g.WindowStart()->OnClickCreateTable();
    TWindowSettingTable *first = g.WindowSettingTable();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(g.WindowStart()->Visible());
    // Opening it again replaces it: never two settings windows.
    g.WindowStart()->OnClickCreateTable();
    TWeakRef<TWindowSettingTable> firstRef(first);
    clock.Advance(5);
    EXPECT_FALSE(firstRef);
    ASSERT_NE(g.WindowSettingTable(), nullptr);

    // Closed by its own button: forgotten, the list is back, nothing reaches the controller.
    CloseByButton(g.WindowSettingTable());
    EXPECT_EQ(g.WindowSettingTable(), nullptr);
    EXPECT_TRUE(g.WindowStart()->Visible());
    EXPECT_EQ(Take(), std::vector<std::string>{});

    // Create: the controller hears the choice, the window goes, the list stays hidden.
    g.WindowStart()->OnClickCreateTable();
    TWeakRef<TWindowSettingTable> created(g.WindowSettingTable());
    clock.Advance(300);
    Click(created->Button_Create());
    EXPECT_EQ(Take(), std::vector<std::string>{"create plain"});
    EXPECT_EQ(g.WindowSettingTable(), nullptr);
    EXPECT_FALSE(created);
    EXPECT_FALSE(g.WindowStart()->Visible());
    // A refused creation brings the list back.
    g.CloseSettingCreateTable(0);
    EXPECT_TRUE(g.WindowStart()->Visible());
}

TEST_F(GraphicsFixture, OneWaitingRoomThatFollowsTheServerAndIsForgottenWhenItClosesItself) {
    g.ShowTableList();
    g.WindowStart()->OnClickEnterTable(4);
    EXPECT_FALSE(g.WindowStart()->Visible());
    EXPECT_EQ(Take(), std::vector<std::string>{"enter 4"});

    TPlayerList players{};
    players[0] = {QStringLiteral("Лиса"), true};
    players[1] = {QStringLiteral("Иван"), false};
    g.UpdateInviteList(4, players);
    TWindowShowPlayer *room = g.Window_Players();
    ASSERT_NE(room, nullptr);
    EXPECT_FALSE(g.WindowStart()->Valid());
    EXPECT_EQ(room->TableID(), 5);
    EXPECT_EQ(room->ListLine(1)->Label_Name()->Text(), QStringLiteral("Лиса"));
    EXPECT_EQ(room->Width(), TGraphics::kWaitingRoomWidth);
    // Further updates keep the same window.
    players[2].Playrname = QStringLiteral("Волк");
    g.UpdateInviteList(4, players);
    EXPECT_EQ(g.Window_Players(), room);
    EXPECT_EQ(room->ListLine(3)->Label_Name()->Text(), QStringLiteral("Волк"));
    g.UpdateTimerNewTable(10);
    EXPECT_EQ(room->Time_Invite(), 10);

    // Created anew (after a game): the old room goes, the new one shows only the user.
    TWeakRef<TWindowShowPlayer> old(room);
    g.CreateNewTable(4, QStringLiteral("Иван"), TWindowShowPlayer::kWin);
    clock.Advance(5);
    EXPECT_FALSE(old);
    room = g.Window_Players();
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->TableID(), 5);
    EXPECT_EQ(room->ListLine(1)->Label_Name()->Text(), QStringLiteral("Иван"));
    for (int seat = 2; seat <= 4; ++seat)
        EXPECT_EQ(room->ListLine(seat)->Label_Name()->Text(), QString()) << seat;

    clock.Advance(300);
    Click(room->Button_Ready());
    // The user's close button: the list is back before the controller hears of it.
    g.OnCloseInvite = [this] {
        log.push_back(g.WindowStart()->Valid() && !g.Window_Players() ? "close invite, list shown"
                                                                      : "close invite");
    };
    CloseByButton(room);
    EXPECT_EQ(g.Window_Players(), nullptr);
    EXPECT_EQ(Take(), (std::vector<std::string>{"ready", "close invite, list shown"}));

    // Without a waiting room its updates change nothing.
    g.UpdateTimerNewTable(5);
    g.KickInvite();
    g.WindowStart()->Close();
    g.UpdateInviteList(1, players);
    EXPECT_EQ(g.Window_Players(), nullptr);
    EXPECT_FALSE(g.WindowStart()->Valid());
}

TEST_F(GraphicsFixture, GameOperationsWithoutATableAreIgnored) {
    g.PlayerGo(2, kSuitClubs, 6);
    g.SetPlayerActive(1, kNoSeat);
    g.CoverCard(true);
    g.ShowCoverCard();
    g.PlayerCover(2, 0, kSuitClubs, 7);
    g.PlayerTake(2);
    g.GiveCard();
    g.ShowCanGiveCard();
    g.AllBito(kNoSeat, 2);
    g.GivePlayerCard(1, 5, kSuitClubs, 8);
    g.SetDeck(10);
    g.SetPlayerCountCard(2, 3);
    g.SetTransfer(true);
    g.PlayerExitGame(2);
    g.EndTableGame();
    clock.Advance(10000);
    EXPECT_EQ(g.Table(), nullptr);
    EXPECT_EQ(Take(), std::vector<std::string>{});
}

TEST_F(GraphicsFixture, ARoundWithATransferADiscardAndATakeThroughTheFacade) {
    g.CreateNewTable(0, QStringLiteral("Иван"), TWindowShowPlayer::kNewTable);
    TWeakRef<TWindowShowPlayer> room(g.Window_Players());
    // Hand: 7 of diamonds (10), 9 of clubs (11), queen of spades (12), 6 of hearts (13, trump),
    // ace of clubs (14), 7 of spades (15). Seats 1 and 2 play; seat 3 is a bot, seat 4 is empty.
    g.StartGame(QStringLiteral("Иван"),
                {{QStringLiteral("Иван"), 1}, {QStringLiteral("Бот 2"), 2}, {QStringLiteral("Бот 3"), 3}},
                {kSuitHearts, 4}, 24, 30,
                {{10, 2, 6}, {11, 1, 8}, {12, 4, 11}, {13, 3, 5}, {14, 1, 13}, {15, 4, 6}});
    clock.Advance(5);
    EXPECT_FALSE(room);
    ASSERT_NE(g.Table(), nullptr);
    EXPECT_EQ(g.Table()->Player(1)->CountCard(), 6);
    EXPECT_EQ(g.Table()->Player(2)->CountCard(), 6);
    EXPECT_EQ(g.Table()->Player(4)->CountCard(), 0);

    // Seat 3 attacks the user, who transfers to seat 2; seat 2 takes.
    g.SetPlayerActive(3, kNoSeat);
    g.CoverCard(true);
    g.SetTransfer(true);
    g.PlayerGo(3, kSuitClubs, 6);
    g.SetPlayerActive(1, 1);
    clock.Advance(600);
    Click(OwnCard(15));
    g.SetPlayerActive(2, 2);
    clock.Advance(600);
    g.PlayerTake(2);
    g.AllBito(2, 3);
    EXPECT_EQ(g.Table()->TableState(), TTable::kStateWaiting);
    clock.Advance(4600);
    EXPECT_EQ(g.Table()->Player(2)->CountCard(), 8);
    EXPECT_EQ(Take(),
              (std::vector<std::string>{"clock", "clock", "transfer 15", "clock", "round end", "clock"}));

    // The user attacks with the queen of spades, seat 2 covers, the user ends with the discard.
    g.SetPlayerActive(1, kNoSeat);
    g.ShowCanGiveCard();
    Click(OwnCard(12));
    g.PlayerGo(1, kSuitSpades, 11);
    clock.Advance(600);
    g.PlayerCover(2, 0, kSuitSpades, 13);
    clock.Advance(600);
    g.GiveCard();
    Click(g.Table()->PickBitoButton());
    g.AllBito(kNoSeat, 2);
    clock.Advance(4000);
    EXPECT_EQ(Take(), (std::vector<std::string>{"clock", "go 12", "clock", "bito", "round end", "clock"}));

    // Seat 2 attacks with two cards; the user covers one, then takes and the controller hands out IDs.
    g.SetPlayerActive(2, 1);
    g.CoverCard(true);
    g.SetTransfer(false);
    g.PlayerGo(2, kSuitDiamonds, 5);
    g.PlayerGo(2, kSuitClubs, 5);
    g.SetPlayerActive(1, 1);
    clock.Advance(600);
    Click(OwnCard(13));
    clock.Advance(600);
    Click(g.Table()->PlayerBar()->ButtonTake());
    g.AllBito(1, 2);
    clock.Advance(4600);
    EXPECT_EQ(g.Table()->Player(1)->CountCard(), 6);
    EXPECT_NE(OwnCard(102), nullptr);
    EXPECT_EQ(Take(), (std::vector<std::string>{"clock", "clock", "cover 13 on 0", "take", "temp 2/5",
                                                "temp 1/5", "temp 3/5", "round end", "clock"}));

    // A player leaves: the seat empties and the user attacks anew.
    g.PlayerExitGame(3);
    EXPECT_EQ(g.Table()->Player(3)->CountCard(), 0);
    EXPECT_EQ(g.Table()->TableState(), TTable::kStateAttack);
    g.EndTableGame();
    EXPECT_EQ(g.Table(), nullptr);
}

TEST_F(GraphicsFixture, TheDiscardEndsWhileTheLastCoverStillFliesAndTheUserLeadsNext) {
    StartTwoHanded({{10, 2, 6}, {11, 1, 8}, {12, 4, 11}});
    SeatTwoAttacksTheUser(kSuitClubs, 6);
    Click(OwnCard(11));
    // The attacker is done at once: the round ends before the cover has landed.
    g.AllBito(kNoSeat, 1);
    clock.Advance(4600);
    g.ShowCanGiveCard();
    Take();
    Click(OwnCard(12));
    EXPECT_EQ(Take(), std::vector<std::string>{"go 12"});
}

// A quick server sends the next round's first card while the last round's end still counts down: that
// round ends at once (its cards reach the taker or the discard, the controller hears of its end) and
// the new card stays on the table.
TEST(GraphicsRoundEnd, TheNextRoundsCardEndsTheCountdownStillRunning) {
    struct Case {
        const char *name;
        uint8_t taker;
        std::vector<std::string> atTheNewCard;
        int seat2Cards;
    };
    const Case cases[] = {
        // Seat 2 was dealt six cards and has led two.
        {"discard", kNoSeat, {"round end", "clock", "clock"}, 4},
        {"seat 2 takes", 2, {"round end", "clock", "clock"}, 6},
        {"the user takes", 1, {"temp 1/6", "round end", "clock", "clock"}, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GraphicsScene f;
        f.StartTwoHanded({{10, 2, 6}, {11, 3, 8}, {12, 4, 11}, {13, 2, 9}});
        // Seat 2 leads the six of clubs; the user covers it with the eight of hearts, or takes it.
        f.SeatTwoAttacksTheUser(kSuitClubs, 6);
        if (c.taker == 1)
            f.Click(f.g.Table()->PlayerBar()->ButtonTake());
        else
            f.Click(f.OwnCard(11));
        f.clock.Advance(600);
        f.g.AllBito(c.taker, 2);
        f.clock.Advance(1500);
        f.Take();
        // Seat 2 leads the next round at once: the seven of diamonds.
        f.g.CoverCard(true);
        f.g.PlayerGo(2, kSuitDiamonds, 7);
        f.g.SetPlayerActive(1, 1);
        EXPECT_EQ(f.Take(), c.atTheNewCard);
        f.clock.Advance(5000);
        const TPlayingPlace *place = f.g.Table()->PlayingPlace();
        EXPECT_TRUE(place->Card(0)->Visible());
        EXPECT_EQ(place->GetCard(0), (TSrvCard{kSuitDiamonds, 7}));
        EXPECT_EQ(place->CountNoCover(), 1);
        EXPECT_EQ(f.g.Table()->Player(2)->CountCard(), c.seat2Cards);
        // The old countdown is over for good, and the user covers the new card in its slot.
        f.Click(f.OwnCard(13));
        EXPECT_EQ(f.Take(), std::vector<std::string>{"cover 13 on 0"});
    }
}

// The last cover of a round is still in the air when the round ends in the discard and the next
// attack, on the user, comes at once. The swept card must not land as a played one: that would light
// the user's cards against an empty slot, which every trump "beats", and a click on one would send the
// server a cover it refuses.
TEST(GraphicsRoundEnd, ACardSweptInTheAirLightsNothing) {
    GraphicsScene f;
    f.g.CreateNewTable(0, QStringLiteral("Иван"), TWindowShowPlayer::kNewTable);
    f.g.StartGame(QStringLiteral("Иван"),
                  {{QStringLiteral("Иван"), 1}, {QStringLiteral("Бот 2"), 2}, {QStringLiteral("Бот 3"), 3}},
                  {kSuitDiamonds, 8}, 0, 30, {{4, 4, 10}, {8, 2, 10}, {16, 1, 7}, {20, 2, 9}});
    f.clock.Advance(5);
    // Seat 2 attacks seat 3 with the queen of hearts; seat 3's king is on its way when the round ends.
    f.g.SetPlayerActive(2, 3);
    f.g.PlayerGo(2, kSuitHearts, 11);
    f.clock.Advance(600);
    f.g.PlayerCover(3, 0, kSuitHearts, 12);
    f.clock.Advance(100);
    f.g.AllBito(kNoSeat, 3);
    // Seat 3 attacks the user with the ace of trumps: nothing in the hand covers it.
    f.g.CoverCard(true);
    f.g.SetTransfer(false);
    f.g.PlayerGo(3, kSuitDiamonds, 13);
    f.g.SetPlayerActive(1, 1);
    const TCardList *hand = f.g.Table()->Player(kOwnSeat)->CardList();
    auto lit = [&] {
        int n = 0;
        for (int i = 0; i < hand->Count(); ++i)
            n += hand->Sprite(i)->Lights() ? 1 : 0;
        return n;
    };
    for (int step = 0; step < 8; ++step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(lit(), 0);
        f.clock.Advance(100);
    }
    EXPECT_TRUE(f.g.Table()->PickBitoButton()->Visible()); // taking is all there is
}

// The user takes while the attacker's second card is still in the air: its landing must not offer the
// cover again (the take button and lit cards would come back, and a click would cover while taking).
TEST_F(GraphicsFixture, ACardLandingAfterTheUserTookOffersNoCover) {
    StartTwoHanded({{10, 1, 8}, {11, 1, 9}, {12, 3, 7}});
    SeatTwoAttacksTheUser(kSuitClubs, 6);
    g.PlayerGo(2, kSuitClubs, 7);
    clock.Advance(100);
    Click(g.Table()->PickBitoButton());
    clock.Advance(600);
    EXPECT_FALSE(g.Table()->PickBitoButton()->Visible());
    const TCardList *hand = g.Table()->Player(kOwnSeat)->CardList();
    for (int i = 0; i < hand->Count(); ++i)
        EXPECT_FALSE(hand->Sprite(i)->Lights()) << "card " << i;
    Take();
    Click(OwnCard(11));
    EXPECT_TRUE(Take().empty());
}

TEST_F(GraphicsFixture, StopGameClearsTheListTheWaitingRoomAndTheTable) {
    g.ShowTableList();
    g.UpdateInviteList(2, TPlayerList{});
    ASSERT_NE(g.Window_Players(), nullptr);
    g.StartGame(QStringLiteral("Иван"), {{QStringLiteral("Иван"), 1}}, {kSuitHearts, 4}, 24, 30, {});
    g.ShowTableList();
    g.StopGame();
    clock.Advance(5);
    EXPECT_FALSE(g.WindowStart()->Valid());
    EXPECT_EQ(g.Window_Players(), nullptr);
    EXPECT_EQ(g.Table(), nullptr);
}

} // namespace
} // namespace trelvo::scene

namespace trelvo::scene {
namespace {

// The controller ends or replaces the game from inside an event of the table (a StopGame, StartGame or
// the user's own removal handled inside the send of a move). The table is still running the method that
// raised the event: it must outlive that call, report nothing more, and go on the next turn of the loop.
TEST(GraphicsQuickServer, TheTableIsFreedOnlyAfterTheCallThatRaisedTheEvent) {
    struct Case {
        const char *name;
        const char *event;                          // the event inside which the controller acts
        std::function<void(GraphicsScene &)> reach; // brings the table to the point where it raises it
        std::function<void(GraphicsScene &)> act;
    };
    auto attack = [](GraphicsScene &f) {
        f.g.SetPlayerActive(1, kNoSeat);
        f.g.ShowCanGiveCard();
        f.Click(f.OwnCard(10));
    };
    auto cover = [](GraphicsScene &f) {
        f.SeatTwoAttacksTheUser(kSuitClubs, 6);
        f.Click(f.OwnCard(11));
    };
    auto transfer = [](GraphicsScene &f) {
        f.g.SetPlayerActive(2, 1);
        f.g.CoverCard(true);
        f.g.SetTransfer(true);
        f.g.PlayerGo(2, kSuitClubs, 6);
        f.g.SetPlayerActive(1, 1);
        f.clock.Advance(600);
        f.Click(f.OwnCard(10));
    };
    auto take = [](GraphicsScene &f) {
        f.SeatTwoAttacksTheUser(kSuitClubs, 6);
        f.Click(f.g.Table()->PickBitoButton());
    };
    auto roundEnd = [](GraphicsScene &f) {
        f.g.AllBito(kNoSeat, 2);
        f.clock.Advance(4000);
    };
    auto stop = [](GraphicsScene &f) { f.g.StopGame(); };
    auto end = [](GraphicsScene &f) { f.g.EndTableGame(); };
    auto excluded = [](GraphicsScene &f) {
        f.g.EndTableGame();
        f.g.ShowTableList();
    };
    auto restart = [](GraphicsScene &f) {
        f.g.StartGame(QStringLiteral("Иван"), {{QStringLiteral("Иван"), 1}, {QStringLiteral("Бот 2"), 2}},
                      {kSuitHearts, 4}, 24, 30, {{20, 1, 5}});
    };
    const Case cases[] = {
        {"StopGame inside the attack", "go", attack, stop},
        {"EndTableGame inside the cover", "cover", cover, end},
        {"a new game inside the transfer", "transfer", transfer, restart},
        {"StopGame inside the take", "take", take, stop},
        {"the user removed inside the clock restart at the round's end", "clock", roundEnd, excluded},
        {"a new game inside the round's end", "round end", roundEnd, restart},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GraphicsScene f;
        f.StartTwoHanded({{10, 1, 6}, {11, 1, 9}, {12, 4, 11}});
        TWeakRef<TTable> old(f.g.Table());
        bool aliveInside = false, acted = false;
        f.Inside = [&](const std::string &event) {
            if (acted || event.rfind(c.event, 0) != 0)
                return;
            acted = true;
            c.act(f);
            aliveInside = bool(old);
        };
        c.reach(f);
        f.Inside = nullptr;
        ASSERT_TRUE(acted);
        EXPECT_TRUE(aliveInside);
        f.clock.Advance(5);
        EXPECT_FALSE(old);
        // Nothing more from the old table.
        const std::vector<std::string> after = f.Take();
        EXPECT_EQ(after.back().rfind(c.event, 0), 0u) << after.back();
        f.clock.Advance(10000);
        EXPECT_TRUE(f.Take().empty());
    }
}

// The table list comes back when the server closes the table, also before the waiting room was built.
TEST_F(GraphicsFixture, KickInviteShowsTheTableListWithOrWithoutAWaitingRoom) {
    for (const bool room : {true, false}) {
        SCOPED_TRACE(room ? "in the waiting room" : "before the waiting room");
        g.ShowTableList();
        g.WindowStart()->OnClickEnterTable(3);
        if (room)
            g.UpdateInviteList(3, TPlayerList{});
        g.KickInvite();
        clock.Advance(5);
        EXPECT_EQ(g.Window_Players(), nullptr);
        EXPECT_TRUE(g.WindowStart()->Valid());
        EXPECT_TRUE(g.WindowStart()->Visible());
    }
}

// A quick server: the next round's first card comes while the last round's end still counts down (it
// ends at once) or while its cards still fly to the taker. The controller deals in OnBitoEnd, setting
// the leader's count as the server counted it before the lead: the lead must come off after that.
TEST(GraphicsRoundEnd, TheLeaderShowsItsCardsLessTheLeadAfterAQuickRoundEnd) {
    struct Case {
        const char *name;
        uint8_t taker;
        int dealt; // seat 2's count in the deal
        int wait;  // ms from AllBito to the next lead
    };
    const Case cases[] = {
        {"discard, countdown cut short", kNoSeat, 6, 1500},
        {"seat 2 takes, countdown cut short", 2, 7, 1500},
        {"seat 2 takes, in the pick-up's flight", 2, 7, 3900},
        {"the user takes, countdown cut short", 1, 6, 1500},
        {"the user takes, in the pick-up's flight", 1, 6, 3900},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GraphicsScene f;
        f.StartTwoHanded({{10, 2, 6}, {11, 3, 8}, {12, 4, 11}, {13, 2, 9}});
        f.Inside = [&](const std::string &event) {
            if (event == "round end")
                f.g.SetPlayerCountCard(2, static_cast<uint8_t>(c.dealt));
        };
        f.SeatTwoAttacksTheUser(kSuitClubs, 6);
        if (c.taker == 1)
            f.Click(f.g.Table()->PlayerBar()->ButtonTake());
        else
            f.Click(f.OwnCard(11));
        f.clock.Advance(600);
        f.g.AllBito(c.taker, 2);
        f.clock.Advance(c.wait);
        f.g.CoverCard(true);
        f.g.PlayerGo(2, kSuitDiamonds, 7);
        f.g.SetPlayerActive(1, 1);
        f.clock.Advance(5000);
        EXPECT_EQ(f.g.Table()->Player(2)->CountCard(), c.dealt - 1);
    }
}

// The user takes and seat 2 throws in; the round ends at once and seat 2 leads the next round before
// the thrown-in card has landed, with a transfer allowed. That card must land silently (it belongs to
// the pick-up): landing as a played card it would offer the old round's transfer, and the next click
// would transfer instead of covering the new card.
TEST(GraphicsRoundEnd, ACardStillFlyingWhenThePickUpStartsOffersNothing) {
    GraphicsScene f;
    // The nine of clubs, the six of diamonds (could transfer the old six of clubs), the eight of trumps.
    f.StartTwoHanded({{10, kSuitClubs, 9}, {11, kSuitDiamonds, 6}, {12, kSuitHearts, 8}});
    f.SeatTwoAttacksTheUser(kSuitClubs, 6);
    f.Click(f.g.Table()->PlayerBar()->ButtonTake());
    f.g.PlayerGo(2, kSuitClubs, 7); // thrown in, in the air
    f.clock.Advance(100);
    f.g.AllBito(1, 2);
    f.g.SetTransfer(true);
    f.g.CoverCard(true);
    f.g.PlayerGo(2, kSuitDiamonds, 10);
    f.g.SetPlayerActive(1, 1);
    f.clock.Advance(600);
    const TTable *table = f.g.Table();
    EXPECT_EQ(table->TableState(), TTable::kStateCover);
    for (int i = 1; i < TPlayingPlace::kSlots; ++i)
        EXPECT_FALSE(table->PlayingPlace()->PlaceLights(i)->Visible()) << i;
    const TCardList *hand = table->Player(kOwnSeat)->CardList();
    for (int i = 0; i < hand->Count(); ++i)
        EXPECT_EQ(hand->Sprite(i)->Lights(), hand->Sprite(i)->ID() == 12) << int(hand->Sprite(i)->ID());
    f.Take();
    f.Click(f.OwnCard(12));
    EXPECT_EQ(f.Take(), std::vector<std::string>{"cover 12 on 0"});
}

} // namespace
} // namespace trelvo::scene

namespace trelvo::scene {
namespace {

// F11 lays the table out for the full screen at once, and again for the window's own size when the
// user leaves it; a host resize meanwhile changes nothing until then.
TEST_F(GraphicsFixture, FullScreenAndBackLayTheTableOutAtOnce) {
    StartTwoHanded({{10, 1, 6}, {11, 1, 9}, {12, 4, 11}});
    g.ShowGUI();
    QCoreApplication::processEvents();
    const TTable *table = g.Table();
    auto laidOutFor = [&](int w, int h) {
        EXPECT_EQ(g.Form().Width(), w);
        EXPECT_EQ(g.Form().Height(), h);
        EXPECT_EQ(table->PlayerBar()->Y(), h - 100);
        EXPECT_EQ(table->PlayerBar()->X(), Round((w - table->PlayerBar()->Width()) / 2.0));
    };
    laidOutFor(1000, 700);
    g.MainForm().FormKeyDown(VK_F11);
    QCoreApplication::processEvents();
    ASSERT_TRUE(g.MainForm().isFullScreen());
    const QSize screen = g.MainForm().size();
    ASSERT_NE(screen, QSize(1000, 700));
    laidOutFor(screen.width(), screen.height());
    g.OnChatResize(600, 900); // ignored in full screen
    QCoreApplication::processEvents();
    laidOutFor(screen.width(), screen.height());
    g.MainForm().FormKeyDown(VK_F11);
    QCoreApplication::processEvents();
    laidOutFor(1000, 700);
}

} // namespace
} // namespace trelvo::scene

namespace trelvo::scene {
namespace {

// The round ends while the clock's restart of GiveCard is being sent (the server's report of the
// round's end handled inside that send): no bito button and no lit card may be left over.
TEST(GraphicsQuickServer, TheRoundEndingInsideGiveCardsClockLeavesNoControls) {
    GraphicsScene f;
    f.StartTwoHanded({{10, 1, 6}, {11, 1, 9}, {12, 4, 11}});
    f.SeatTwoAttacksTheUser(kSuitClubs, 6);
    f.Click(f.OwnCard(11));
    f.clock.Advance(600);
    bool ended = false;
    f.Inside = [&](const std::string &event) {
        if (event == "clock" && !ended) {
            ended = true;
            f.g.AllBito(kNoSeat, 2);
        }
    };
    f.g.GiveCard();
    ASSERT_TRUE(ended);
    const TTable *table = f.g.Table();
    EXPECT_FALSE(table->PickBitoButton()->Visible());
    const TCardList *hand = table->Player(kOwnSeat)->CardList();
    for (int i = 0; i < hand->Count(); ++i)
        EXPECT_FALSE(hand->Sprite(i)->Lights()) << i;
}

} // namespace
} // namespace trelvo::scene

namespace trelvo::scene {
namespace {

// A player leaves while the round's end counts down or while the table's cards fly to the taker: the
// cards vanish, the round still ends exactly once (the controller deals then), and a seat that left
// gets no cards.
TEST(GraphicsRoundEnd, APlayerLeavingDuringTheRoundsEndEndsItOnceAndLeavesTheSeatEmpty) {
    struct Case {
        const char *name;
        int wait; // ms from AllBito to the leaving
        uint8_t leaver;
    };
    const Case cases[] = {
        {"the taker leaves during the countdown", 1500, 2},
        {"another leaves during the countdown", 1500, 3},
        {"the taker leaves during the pick-up", 3900, 2},
        {"another leaves during the pick-up", 3900, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        GraphicsScene f;
        f.g.CreateNewTable(0, QStringLiteral("Иван"), TWindowShowPlayer::kNewTable);
        f.g.StartGame(
            QStringLiteral("Иван"),
            {{QStringLiteral("Иван"), 1}, {QStringLiteral("Бот 2"), 2}, {QStringLiteral("Бот 3"), 3}},
            {kSuitHearts, 4}, 24, 30, {{10, 1, 6}, {11, 1, 9}});
        f.clock.Advance(5);
        // Seat 3 attacks seat 2, who takes; the user moves next.
        f.g.SetPlayerActive(3, 2);
        f.g.PlayerGo(3, kSuitClubs, 6);
        f.g.PlayerGo(3, kSuitClubs, 7);
        f.clock.Advance(600);
        f.g.PlayerTake(2);
        f.g.AllBito(2, 1);
        f.clock.Advance(c.wait);
        f.Take();
        f.g.PlayerExitGame(c.leaver);
        f.clock.Advance(5000);
        const std::vector<std::string> events = f.Take();
        EXPECT_EQ(std::count(events.begin(), events.end(), "round end"), 1);
        const TTable *table = f.g.Table();
        for (int slot = 0; slot < 2 * TPlayingPlace::kSlots; ++slot)
            EXPECT_FALSE(table->PlayingPlace()->Card(slot)->Visible()) << slot;
        EXPECT_EQ(table->Player(c.leaver)->CountCard(), 0);
        EXPECT_FALSE(table->Player(2)->Take());
    }
}

} // namespace
} // namespace trelvo::scene
