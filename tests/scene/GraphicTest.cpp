#include "scene/Graphic.h"
#include "common/Clock.h"

#include <gtest/gtest.h>

#include <QPointF>

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
            log.push_back(std::string("create ") + (s.Transfer ? "transfer" : "plain"));
        };
        g.OnCloseInvite = [this] { log.push_back("close invite"); };
        g.OnEnterTable = [this](int id) { log.push_back("enter " + std::to_string(id)); };
        g.OnReady = [this](bool s) { log.push_back(s ? "ready" : "not ready"); };
        g.OnCardGo = [this](uint8_t id) { log.push_back("go " + std::to_string(id)); };
        g.OnCardCover = [this](uint8_t id, uint8_t place) {
            // The take button is gone before the controller hears of the cover.
            log.push_back("cover " + std::to_string(id) + " on " + std::to_string(place) +
                          (g.Table()->PickBitoButton()->Visible() ? " button shown" : ""));
        };
        g.OnCardTransfer = [this](uint8_t id) { log.push_back("transfer " + std::to_string(id)); };
        g.OnPlayerTakeCard = [this] {
            log.push_back(std::string("take") +
                          (g.Table()->PickBitoButton()->Visible() ? " button shown" : ""));
        };
        g.OnPlayerBitoCard = [this] { log.push_back("bito"); };
        g.OnGetTempCard = [this](uint8_t s, uint8_t d) {
            log.push_back("temp " + std::to_string(s) + "/" + std::to_string(d));
            g.GivePlayerCard(kOwnSeat, nextId++, s, d);
        };
        g.OnBitoEnd = [this] { log.push_back("round end"); };
        g.OnRoundStart = [this] { log.push_back("clock"); };
        g.OnChatResize(700, 1000);
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
              (std::vector<std::string>{"clock", "clock", "transfer 15", "clock", "clock", "round end"}));

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
    EXPECT_EQ(Take(), (std::vector<std::string>{"clock", "go 12", "clock", "bito", "clock", "round end"}));

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
                                                "temp 1/5", "temp 3/5", "clock", "round end"}));

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
        {"discard", kNoSeat, {"clock", "round end", "clock"}, 4},
        {"seat 2 takes", 2, {"clock", "round end", "clock"}, 6},
        {"the user takes", 1, {"temp 1/6", "clock", "round end", "clock"}, 4},
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
