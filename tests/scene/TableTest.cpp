#include "SceneFixture.h"

#include "scene/Table.h"

#include "kit/Round.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace trelvo::scene {
namespace {

// A 1000 x 700 table with every event it raises written to a log, dealt as the facade deals a game:
// the user at seat 1, opponents at seats 2 and 3, trump hearts, 30 seconds a move.
struct TableFixture : test::TSceneFixture {
    TTable *table = Add<TTable>();
    std::vector<std::string> log;
    uint8_t nextId = 100; // the IDs the "controller" gives to picked-up cards

    TableFixture() {
        table->OnGo = [this](uint8_t id) { log.push_back("go " + std::to_string(id)); };
        table->OnCover = [this](uint8_t id, uint8_t s) {
            log.push_back("cover " + std::to_string(id) + " on " + std::to_string(s));
        };
        table->OnTransfer = [this](uint8_t id) { log.push_back("transfer " + std::to_string(id)); };
        table->OnPickClick = [this] { log.push_back("take"); };
        table->OnBitoClick = [this] { log.push_back("bito"); };
        table->OnRoundStart = [this] { log.push_back("clock"); };
        table->OnBitoEnd = [this] { log.push_back("round end"); };
        table->OnGetCardFromTemp = [this](uint8_t s, uint8_t d) {
            log.push_back("temp " + std::to_string(s) + "/" + std::to_string(d));
            table->AddPlayerCard(kOwnSeat, nextId++, s, d);
        };
    }

    void Deal(const std::vector<TCardID> &own) {
        table->SetPlayerName(QStringLiteral("Иван"));
        table->SetTrump(kSuitHearts, 4);
        table->SetDeck(24);
        table->SetTimeGo(30);
        table->AddPlayer(kOwnSeat, QStringLiteral("Иван"));
        for (const TCardID &card : own)
            table->AddPlayerCard(kOwnSeat, card.ID, card.Suit, card.Dignity);
        for (uint8_t seat : {2, 3}) {
            table->AddPlayer(seat, QStringLiteral("Бот %1").arg(seat));
            for (int i = 0; i < 6; ++i)
                table->AddPlayerCard(seat, 0, 0, 0);
        }
    }

    TPlayer *Seat(uint8_t n) const { return table->Player(n); }
    TCardMoved *OwnCard(uint8_t id) const {
        const TCardList *hand = Seat(kOwnSeat)->CardList();
        for (int i = 0; i < hand->Count(); ++i)
            if (hand->Sprite(i)->ID() == id)
                return hand->Sprite(i);
        return nullptr;
    }
    std::vector<int> LitIds() const {
        std::vector<int> ids;
        const TCardList *hand = Seat(kOwnSeat)->CardList();
        for (int i = 0; i < hand->Count(); ++i)
            if (hand->Sprite(i)->Lights())
                ids.push_back(hand->Sprite(i)->ID());
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    int Pointer() const {
        for (uint8_t s = 1; s <= 4; ++s)
            if (Seat(s)->Beat())
                return s;
        return 0;
    }
    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }
};

TEST(Table, GeometryAt1000x700) {
    TableFixture f;
    f.Deal({{1, 1, 5}});
    f.table->Repaint();
    TPlayingPlace *place = f.table->PlayingPlace();
    EXPECT_EQ(place->Position(), QPointF(101, 96));
    EXPECT_EQ(place->Width(), 798);
    EXPECT_EQ(place->Height(), 374);
    EXPECT_EQ(place->PosFirsCard().X, 174);
    EXPECT_EQ(place->PosFirsCard().Y, 115);
    EXPECT_EQ(f.Seat(2)->X(), 0);
    EXPECT_EQ(f.Seat(2)->Width(), 101);
    EXPECT_EQ(f.Seat(4)->Width(), 101);
    EXPECT_EQ(f.Seat(1)->Y(), 470);
    EXPECT_EQ(f.table->PlayerBar()->Position(), QPointF(304, 600));
    EXPECT_EQ(f.table->PickBitoButton()->Position(), QPointF(777, 394));
    EXPECT_EQ(f.table->CardDeck()->Position(), QPointF(155, 285)); // clear of the first column
    EXPECT_EQ(f.Seat(1)->TakeImg()->X(), 196);
    EXPECT_EQ(f.Seat(1)->PointerBeat()->Position(), QPointF(750, 180));
    EXPECT_EQ(f.table->RoundEnd()->X(), 181);
    // A side seat's marks stay with its column, 90 above the middle (at -64 here) but held 56 below the
    // window's top for the name plate and the pointer over it; the take mark goes under the column.
    EXPECT_EQ(f.Seat(2)->CardList()->Y(), -40);
    EXPECT_EQ(f.Seat(2)->NickBar()->Position(), QPointF(10, -96));
    EXPECT_EQ(f.Seat(2)->TakeImg()->Position(), QPointF(9, -40 + 321 + 10));
    EXPECT_EQ(f.Seat(2)->PointerBeat()->Position(), QPointF(38, -66.5));
    EXPECT_EQ(f.table->CardDeck()->SpriteCount(), 11);
    // The round-end plate slides from the seat's lower edge to 140.
    f.table->PlayerTake(kNoSeat, kNoSeat);
    f.clock.Advance(800);
    EXPECT_EQ(f.table->RoundEnd()->Y(), 140);
}

// What a player sees of a piece: the union of its visible pictures, on the form.
QRectF Seen(const TControl *piece) {
    QRectF seen;
    for (const TSceneObject *child : piece->Children())
        if (const auto *control = dynamic_cast<const TControl *>(child); control && control->Visible())
            seen = seen.united(control->AbsoluteRect());
    return seen;
}

// The six attacking places with their covering places, on the form.
QRectF PlayingRow(const TPlayingPlace *place) {
    const QPointF first = place->LocalToAbsolute(QPointF(place->PosFirsCard().X, place->PosFirsCard().Y));
    return {first, QSizeF(TPlayingPlace::kRowWidth, TPlayingPlace::kCoverOffset + TCard::kHeight)};
}

// At every size of the table nothing lies on anything else and everything stays inside the window: the
// playing places, the stock, the big button, the four hands, the your-turn cue and every seat's marks.
TEST(Table, TheStockThePlayingPlacesTheTakeButtonTheHandsAndTheMarksDoNotOverlap) {
    struct Case {
        float w, h;
        uint8_t stock; // a full stack of backs reaches farthest
    };
    for (const Case c : {Case{800, 600, 24}, Case{1000, 700, 24}, Case{1024, 768, 24}, Case{1280, 1024, 24},
                         Case{800, 600, 1}}) {
        TableFixture f;
        f.form.SetSize(c.w, c.h);
        // Six cards in every hand: the widest hands of a game's start.
        f.Deal({{1, 1, 5}, {2, 1, 6}, {3, 2, 7}, {4, 3, 8}, {5, 4, 9}, {6, 4, 10}});
        f.table->AddPlayer(4, QStringLiteral("Бот 4"));
        for (int i = 0; i < 6; ++i)
            f.table->AddPlayerCard(4, 0, 0, 0);
        f.table->SetDeck(c.stock);
        // Six pairs in play, the hands dealt up again.
        for (uint8_t i = 0; i < TPlayingPlace::kSlots; ++i) {
            f.table->PlayerGo(4, kSuitSpades, static_cast<uint8_t>(2 + i));
            f.table->PlayerCover(2, i, kSuitSpades, static_cast<uint8_t>(8 + i));
        }
        f.clock.Advance(600);
        f.table->SetPlayerCountCard(2, 6);
        f.table->SetPlayerCountCard(4, 6);
        f.table->ShowBitoButton();
        // Every seat's marks at once: the name plates, the take marks and the defender pointers.
        for (uint8_t seat = 1; seat <= 4; ++seat) {
            f.Seat(seat)->SetTake(true);
            f.Seat(seat)->SetBeat(true);
        }
        f.table->Repaint();
        const std::string size = std::to_string(int(c.w)) + "x" + std::to_string(int(c.h));
        const struct {
            const char *name;
            QRectF seen;
        } pieces[] = {
            {"the playing places", PlayingRow(f.table->PlayingPlace())},
            {"the cards in play", Seen(f.table->PlayingPlace())},
            {"the stock", Seen(f.table->CardDeck())},
            {"the take or bito button", f.table->PickBitoButton()->AbsoluteRect()},
            {"the own hand", Seen(f.Seat(1)->CardList())},
            {"the left hand", Seen(f.Seat(2)->CardList())},
            {"the top hand", Seen(f.Seat(3)->CardList())},
            {"the right hand", Seen(f.Seat(4)->CardList())},
            {"the your-turn cue", f.table->YourTurn()->AbsoluteRect()},
            {"the left name plate", f.Seat(2)->NickBar()->AbsoluteRect()},
            {"the top name plate", f.Seat(3)->NickBar()->AbsoluteRect()},
            {"the right name plate", f.Seat(4)->NickBar()->AbsoluteRect()},
            {"the own take mark", f.Seat(1)->TakeImg()->AbsoluteRect()},
            {"the left take mark", f.Seat(2)->TakeImg()->AbsoluteRect()},
            {"the top take mark", f.Seat(3)->TakeImg()->AbsoluteRect()},
            {"the right take mark", f.Seat(4)->TakeImg()->AbsoluteRect()},
            {"the own pointer", f.Seat(1)->PointerBeat()->AbsoluteRect()},
            {"the left pointer", f.Seat(2)->PointerBeat()->AbsoluteRect()},
            {"the top pointer", f.Seat(3)->PointerBeat()->AbsoluteRect()},
            {"the right pointer", f.Seat(4)->PointerBeat()->AbsoluteRect()},
            {"the player bar", f.table->PlayerBar()->AbsoluteRect()},
        };
        for (const auto &piece : pieces)
            EXPECT_FALSE(piece.seen.isEmpty()) << size << ": " << piece.name;
        for (const auto &piece : pieces)
            EXPECT_TRUE(QRectF(0, 0, c.w, c.h).contains(piece.seen)) << size << ": " << piece.name;
        EXPECT_EQ(f.Seat(3)->CountCard(), 6);
        EXPECT_TRUE(pieces[0].seen.contains(pieces[1].seen)) << size << ": the cards lie in their places";
        for (size_t i = 1; i < std::size(pieces); ++i)
            for (size_t j = i + 1; j < std::size(pieces); ++j)
                EXPECT_FALSE(pieces[i].seen.intersects(pieces[j].seen))
                    << size << ": " << pieces[i].name << " and " << pieces[j].name;
    }
}

// Opponents' hands grow during a game without a layout of the whole table: the refill after a bout
// sets their counts, and the cards a seat picks up land in its hand one by one. The name plates, the
// take marks and the defender pointers follow their hands, off the cards and inside the window.
TEST(Table, PlatesMarksAndPointersStayOffOpponentsHandsThatGrowToSeven) {
    struct Case {
        float w, h;
        bool pickUp; // seat 3 picks its cards up from the table, else every count is set by a refill
    };
    for (const Case c : {Case{800, 600, false}, Case{1024, 768, false}, Case{800, 600, true}}) {
        const std::string size =
            std::to_string(int(c.w)) + "x" + std::to_string(int(c.h)) + (c.pickUp ? ", pick-up" : "");
        TableFixture f;
        f.form.SetSize(c.w, c.h);
        f.Deal({{1, 1, 5}, {2, 1, 6}, {3, 2, 7}, {4, 3, 8}, {5, 4, 9}, {6, 4, 10}});
        f.table->AddPlayer(4, QStringLiteral("Бот 4"));
        f.table->AddPlayerCard(4, 0, 0, 0);
        // A late bout: one card left in every opponent's hand, laid out with the table.
        for (uint8_t seat : {2, 3})
            f.table->SetPlayerCountCard(seat, 1);
        f.table->Repaint();
        if (c.pickUp) {
            f.table->PlayerActive(2, 3);
            for (uint8_t i = 0; i < 3; ++i) {
                f.table->PlayerGo(2, kSuitSpades, static_cast<uint8_t>(2 + i));
                f.table->PlayerCover(3, i, kSuitSpades, static_cast<uint8_t>(8 + i));
            }
            f.table->SetPlayerCountCard(2, 1);
            f.table->SetPlayerCountCard(3, 1);
            f.clock.Advance(1000);
            f.table->PlayerTake(3, 4);
            f.clock.Advance(10000);
            ASSERT_EQ(f.Seat(3)->CountCard(), 7) << size;
        }
        for (uint8_t seat = 2; seat <= 4; ++seat)
            f.table->SetPlayerCountCard(seat, 7);
        for (uint8_t seat = 2; seat <= 4; ++seat) {
            f.Seat(seat)->SetTake(true);
            f.Seat(seat)->SetBeat(true);
        }
        f.clock.Advance(1000);
        const struct {
            const char *name;
            QRectF seen;
        } hands[] = {{"the left hand", Seen(f.Seat(2)->CardList())},
                     {"the top hand", Seen(f.Seat(3)->CardList())},
                     {"the right hand", Seen(f.Seat(4)->CardList())}},
          marks[] = {{"the left name plate", f.Seat(2)->NickBar()->AbsoluteRect()},
                     {"the top name plate", f.Seat(3)->NickBar()->AbsoluteRect()},
                     {"the right name plate", f.Seat(4)->NickBar()->AbsoluteRect()},
                     {"the left take mark", f.Seat(2)->TakeImg()->AbsoluteRect()},
                     {"the top take mark", f.Seat(3)->TakeImg()->AbsoluteRect()},
                     {"the right take mark", f.Seat(4)->TakeImg()->AbsoluteRect()},
                     {"the left pointer", f.Seat(2)->PointerBeat()->AbsoluteRect()},
                     {"the top pointer", f.Seat(3)->PointerBeat()->AbsoluteRect()},
                     {"the right pointer", f.Seat(4)->PointerBeat()->AbsoluteRect()}};
        for (uint8_t seat = 2; seat <= 4; ++seat)
            EXPECT_EQ(f.Seat(seat)->CountCard(), 7) << size;
        for (const auto &mark : marks) {
            EXPECT_TRUE(QRectF(0, 0, c.w, c.h).contains(mark.seen)) << size << ": " << mark.name;
            for (const auto &hand : hands)
                EXPECT_FALSE(mark.seen.intersects(hand.seen))
                    << size << ": " << mark.name << " on " << hand.name;
        }
    }
}

TEST(Table, DefenderPointerGoesToTheNextSeatWithCards) {
    TableFixture f;
    f.Deal({{1, 1, 5}});
    f.table->AddPlayer(4, QStringLiteral("Бот 4"));
    f.table->AddPlayerCard(4, 0, 0, 0);
    f.table->PlayerActive(3, kNoSeat);
    EXPECT_EQ(f.Pointer(), 4);
    f.table->DelPlayer(4);
    f.table->DelPlayer(2);
    f.table->HideAllPointer();
    f.table->PlayerActive(3, kNoSeat);
    EXPECT_EQ(f.Pointer(), 1);
}

TEST(Table, ARoundWithATransferATakeAndADiscard) {
    TableFixture f;
    // Hand: 7 of diamonds (10), 9 of clubs (11), queen of spades (12), 6 of hearts (13, trump),
    // ace of clubs (14), 7 of spades (15).
    f.Deal({{10, 2, 6}, {11, 1, 8}, {12, 4, 11}, {13, 3, 5}, {14, 1, 13}, {15, 4, 6}});
    f.Take();

    // Round 1: seat 3 attacks the user with the 7 of clubs; the user transfers it to seat 2, who takes.
    f.table->PlayerActive(3, kNoSeat);
    EXPECT_EQ(f.Pointer(), 1);
    EXPECT_TRUE(f.Seat(3)->NickBar()->Active());
    f.table->SetTableState(TTable::kStateCover);
    f.table->SetTransfer(true);
    f.table->PlayerGo(3, kSuitClubs, 6);
    f.table->PlayerActive(1, 1); // the controller hands the user the turn while the card flies
    EXPECT_EQ(f.Seat(3)->CountCard(), 5);
    f.clock.Advance(600);
    EXPECT_EQ(f.table->TableState(), TTable::kStateTransfer);
    EXPECT_EQ(f.LitIds(), (std::vector<int>{10, 15}));
    EXPECT_TRUE(f.table->PickBitoButton()->Visible());
    EXPECT_EQ(f.table->PickBitoButtonState(), TTable::kButtonTake);
    EXPECT_TRUE(f.table->PlayingPlace()->PlaceTransferLights(1)->Visible());
    // Choosing to cover instead lights the cards that beat the 7 of clubs; back to transfer again.
    f.Click(f.table->PlayingPlace()->PlaceLights(0));
    EXPECT_EQ(f.table->TableState(), TTable::kStateCover);
    EXPECT_EQ(f.LitIds(), (std::vector<int>{11, 13, 14}));
    f.Click(f.table->PlayingPlace()->PlaceTransferLights(1));
    EXPECT_EQ(f.LitIds(), (std::vector<int>{10, 15}));
    f.Click(f.OwnCard(15));
    EXPECT_EQ(f.table->TableState(), TTable::kStateWaiting);
    EXPECT_EQ(f.LitIds(), std::vector<int>{});
    f.table->PlayerActive(2, 2);
    EXPECT_EQ(f.Pointer(), 2);
    f.clock.Advance(600);
    f.table->ShowPlayerTake(2);
    EXPECT_TRUE(f.Seat(2)->Take());
    f.table->PlayerTake(2, 3); // AllBito(2, 3)
    f.table->SetTableState(TTable::kStateWaiting);
    EXPECT_EQ(f.Pointer(), 0);
    f.clock.Advance(4000); // the countdown
    EXPECT_EQ(f.table->PlayingPlace()->CountMove(), 2);
    f.clock.Advance(600); // the flights to seat 2
    EXPECT_EQ(f.Seat(2)->CountCard(), 8);
    EXPECT_FALSE(f.Seat(2)->Take());
    EXPECT_TRUE(f.Seat(3)->NickBar()->Active());
    EXPECT_EQ(f.Take(),
              (std::vector<std::string>{"clock", "clock", "transfer 15", "clock", "round end", "clock"}));

    // Round 2: the user attacks with the queen of spades, seat 2 covers, the user ends with bito.
    f.table->PlayerActive(1, kNoSeat);
    EXPECT_EQ(f.Pointer(), 2);
    EXPECT_TRUE(f.table->YourTurn()->Visible());
    f.table->ShowCanGiveCard();
    EXPECT_EQ(f.LitIds(), (std::vector<int>{10, 11, 12, 13, 14}));
    f.Click(f.OwnCard(12));
    f.table->PlayerGo(1, kSuitSpades, 11); // the server's echo changes nothing
    EXPECT_EQ(f.Seat(1)->CountCard(), 4);
    f.clock.Advance(600);
    f.table->PlayerCover(2, 0, kSuitSpades, 13);
    f.clock.Advance(600);
    // GiveCard: the user may throw in a queen or an ace; none but the ace of clubs matches.
    f.table->PlayerActive(1, kNoSeat);
    f.table->ShowBitoButton();
    f.table->ShowCanGiveCard();
    EXPECT_EQ(f.LitIds(), std::vector<int>{14});
    EXPECT_EQ(f.table->PickBitoButtonState(), TTable::kButtonBito);
    f.Click(f.table->PickBitoButton());
    EXPECT_FALSE(f.table->PickBitoButton()->Visible());
    f.table->PlayerTake(kNoSeat, 2); // AllBito(-1, 2)
    f.table->SetTableState(TTable::kStateWaiting);
    f.clock.Advance(4000);
    EXPECT_FALSE(f.table->PlayingPlace()->Card(0)->Visible());
    EXPECT_FALSE(f.table->PlayingPlace()->Card(6)->Visible());
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"clock", "go 12", "clock", "bito", "round end", "clock"}));

    // Round 3: seat 2 attacks the user with two cards, the user covers one and then takes.
    f.table->PlayerActive(2, 1);
    EXPECT_EQ(f.Pointer(), 1);
    f.table->SetTableState(TTable::kStateCover);
    f.table->SetTransfer(false);
    f.table->PlayerGo(2, kSuitDiamonds, 5);
    f.table->PlayerGo(2, kSuitClubs, 5);
    f.table->PlayerActive(1, 1);
    f.clock.Advance(600);
    EXPECT_EQ(f.table->TableState(), TTable::kStateCover);
    EXPECT_EQ(f.LitIds(), (std::vector<int>{10, 13})); // the 7 of diamonds and the trump beat the 6
    f.Click(f.OwnCard(13));
    EXPECT_EQ(f.table->TableState(), TTable::kStateCover); // one card is still open
    f.clock.Advance(600);
    f.Click(f.table->PlayerBar()->ButtonTake());
    EXPECT_TRUE(f.Seat(1)->Take());
    EXPECT_FALSE(f.table->PickBitoButton()->Visible());
    f.table->PlayerTake(1, 2); // AllBito(1, 2)
    f.table->SetTableState(TTable::kStateWaiting);
    EXPECT_FALSE(f.Seat(1)->Take());
    f.clock.Advance(4000 + 600);
    EXPECT_EQ(f.Seat(1)->CountCard(), 6);
    EXPECT_NE(f.OwnCard(102), nullptr);
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"clock", "clock", "cover 13 on 0", "take", "temp 2/5",
                                                  "temp 1/5", "temp 3/5", "round end", "clock"}));
}

TEST(Table, TheClockReachingZeroDisarmsTheUserAndReportsNothing) {
    TableFixture f;
    f.Deal({{1, 1, 5}, {2, 2, 6}});
    f.table->SetTimeGo(3);
    f.table->SetTableState(TTable::kStateCover);
    f.table->PlayerActive(2, 1);
    f.table->PlayerGo(2, kSuitClubs, 3);
    f.table->PlayerActive(1, 1);
    f.clock.Advance(600);
    EXPECT_EQ(f.LitIds(), std::vector<int>{1});
    f.clock.Advance(3000);
    EXPECT_EQ(f.table->PlayerBar()->TextClock()->Caption(), QStringLiteral("00"));
    EXPECT_EQ(f.LitIds(), std::vector<int>{});
    EXPECT_FALSE(f.Seat(1)->CardList()->CanClick());
    EXPECT_FALSE(f.table->PickBitoButton()->Visible());
    EXPECT_FALSE(f.table->PlayingPlace()->PlaceLights(0)->Visible());
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"clock", "clock"}));
}

TEST(Table, PickUpRaisesOneTempCardPerCardAndANewRoundFollows) {
    TableFixture f;
    f.Deal({{1, 1, 5}});
    f.table->PlayerActive(2, kNoSeat);
    for (uint8_t d = 2; d <= 5; ++d)
        f.table->PlayerGo(2, kSuitSpades, d);
    f.clock.Advance(600);
    f.Take();
    f.table->PlayerTake(1, 3);
    f.clock.Advance(4000);
    EXPECT_TRUE(f.log.empty());
    f.clock.Advance(600);
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"temp 4/2", "temp 4/3", "temp 4/4", "temp 4/5", "round end",
                                                  "clock"}));
    EXPECT_EQ(f.Seat(1)->CountCard(), 5);
    EXPECT_EQ(f.Pointer(), 1); // after seat 3 comes seat 4 (empty), then the user
}

// Every card on the table follows a new size at once, one in the air too: it lands where its place is
// now, and so does a card sent after the resize.
TEST(Table, AResizeMovesTheCardsOnTheTableAndInTheAirToTheirPlacesAtTheNewSize) {
    for (const QSizeF size : {QSizeF(800, 600), QSizeF(1024, 768), QSizeF(1280, 1024), QSizeF(1600, 1200)}) {
        SCOPED_TRACE(std::to_string(int(size.width())) + "x" + std::to_string(int(size.height())));
        TableFixture f;
        f.Deal({{1, 1, 5}});
        f.table->PlayerGo(3, kSuitSpades, 7);
        f.table->PlayerGo(3, kSuitSpades, 8);
        f.clock.Advance(600);
        f.table->PlayerCover(2, 0, kSuitSpades, 9);
        f.table->PlayerGo(2, kSuitSpades, 10);
        f.clock.Advance(200);
        f.form.SetSize(float(size.width()), float(size.height()));
        f.table->Repaint();
        f.clock.Advance(400);
        f.table->PlayerGo(3, kSuitClubs, 10);
        f.clock.Advance(600);
        TPlayingPlace *place = f.table->PlayingPlace();
        const TPos first = place->PosFirsCard();
        for (int slot : {0, 1, 2, 3, 6}) {
            const float x = first.X + TPlayingPlace::kColumnStep * float(slot % 6);
            const float y = first.Y + (slot >= 6 ? TPlayingPlace::kCoverOffset : 0);
            EXPECT_EQ(place->Card(slot)->Position(), QPointF(x, y)) << "slot " << slot;
        }
        EXPECT_EQ(f.table->PlayerBar()->Y(), size.height() - 100);
    }
}

TEST(Table, APlayerLeavingClearsTheTableAndTheUsersControls) {
    TableFixture f;
    f.Deal({{1, 1, 5}, {2, 1, 6}});
    f.table->PlayerActive(2, 1);
    f.table->SetTableState(TTable::kStateCover);
    f.table->PlayerGo(2, kSuitClubs, 3);
    f.clock.Advance(600);
    f.table->ShowPlayerTake(3);
    // The facade's PlayerExitGame.
    f.table->DelPlayer(3);
    f.table->PutTableCardToBito();
    f.table->HidePickButton();
    f.table->HideActive();
    f.table->HideAllTake();
    f.table->HideAllPointer();
    EXPECT_EQ(f.Seat(3)->CountCard(), 0);
    EXPECT_FALSE(f.Seat(3)->Take());
    EXPECT_FALSE(f.table->PlayingPlace()->Card(0)->Visible());
    EXPECT_EQ(f.LitIds(), std::vector<int>{});
    EXPECT_EQ(f.table->CountCardGo(), 0);
    EXPECT_EQ(f.Pointer(), 0);
    // A round that ends with nothing left on the table still ends.
    f.Take();
    f.table->PlayerTake(kNoSeat, 2);
    f.clock.Advance(4000);
    EXPECT_EQ(f.Take(), (std::vector<std::string>{"round end", "clock"}));
}

} // namespace
} // namespace trelvo::scene

namespace trelvo::scene {
namespace {

// A quick server's next message is handled inside the send of the user's move (the pipe's flush lets
// handlers run): another seat's card handled there must take the next place, not the user's.
TEST(TableQuickServer, ACardHandledInsideTheUsersSendTakesTheNextPlace) {
    struct Case {
        const char *name;
        bool transfer;
    };
    for (const Case c : {Case{"attack", false}, Case{"transfer", true}}) {
        SCOPED_TRACE(c.name);
        TableFixture f;
        f.Deal({{1, 1, 5}, {2, 2, 5}, {3, 4, 9}});
        f.Take();
        auto throwIn = [&] { f.table->PlayerGo(3, kSuitSpades, 5); };
        if (c.transfer) {
            f.table->PlayerActive(2, kNoSeat);
            f.table->SetTableState(TTable::kStateCover);
            f.table->SetTransfer(true);
            f.table->PlayerGo(2, kSuitHearts, 5);
            f.table->PlayerActive(1, 1);
            f.clock.Advance(600);
            ASSERT_EQ(f.table->TableState(), TTable::kStateTransfer);
            f.table->OnTransfer = [&](uint8_t) { throwIn(); };
        } else {
            f.table->PlayerActive(1, kNoSeat);
            f.table->ShowCanGiveCard();
            f.table->OnGo = [&](uint8_t) { throwIn(); };
        }
        const uint8_t first = c.transfer ? 1 : 0;
        f.Click(f.OwnCard(1));
        f.clock.Advance(600);
        const TPlayingPlace *place = f.table->PlayingPlace();
        EXPECT_EQ(place->GetCard(first), (TSrvCard{kSuitClubs, 5}));
        EXPECT_EQ(place->GetCard(first + 1), (TSrvCard{kSuitSpades, 5}));
        EXPECT_EQ(f.table->CountCardGo(), first + 2);
    }
}

// Seat 2 leads the five of clubs and the five of diamonds against the user, who holds the nine of each
// (no trumps): each nine covers only its own suit.
struct TwoOpenCards : TableFixture {
    TwoOpenCards() {
        Deal({{1, kSuitClubs, 9}, {2, kSuitDiamonds, 9}, {3, kSuitSpades, 2}});
        table->PlayerActive(2, 1);
        table->SetTableState(TTable::kStateCover);
        table->PlayerGo(2, kSuitClubs, 5);
        table->PlayerGo(2, kSuitDiamonds, 5);
        table->PlayerActive(1, 1);
        clock.Advance(600);
        Take();
    }
    int SelectedMarker() const {
        int selected = -1;
        for (int i = 0; i < TPlayingPlace::kSlots; ++i) {
            const TPlaceLights *marker = table->PlayingPlace()->PlaceLights(i);
            if (marker->Visible() && marker->State() == TPlaceLights::kSelected) {
                EXPECT_EQ(selected, -1) << "two markers selected";
                selected = i;
            }
        }
        return selected;
    }
};

TEST(TableCoverChoice, TheLowestOpenCardIsOfferedFirstAndAnotherMarkerMovesTheLightsAndTheCover) {
    TwoOpenCards f;
    EXPECT_EQ(f.SelectedMarker(), 0);
    EXPECT_EQ(f.LitIds(), std::vector<int>{1});
    f.Click(f.table->PlayingPlace()->PlaceLights(1));
    EXPECT_EQ(f.SelectedMarker(), 1);
    EXPECT_EQ(f.LitIds(), std::vector<int>{2});
    f.Click(f.OwnCard(2));
    EXPECT_EQ(f.Take(), std::vector<std::string>{"cover 2 on 1"});
    f.clock.Advance(600);
    EXPECT_EQ(f.table->PlayingPlace()->GetCard(7), (TSrvCard{kSuitDiamonds, 9}));
}

// A card thrown in while the user has chosen the second card must not move the choice: the marker,
// the lit cards and the place the next click covers stay together, during the flight and after it.
TEST(TableCoverChoice, AThrowInKeepsTheUsersChoice) {
    for (const bool clickInFlight : {true, false}) {
        SCOPED_TRACE(clickInFlight ? "click during the flight" : "click after the landing");
        TwoOpenCards f;
        f.Click(f.table->PlayingPlace()->PlaceLights(1));
        f.table->PlayerGo(2, kSuitSpades, 5);
        f.clock.Advance(100);
        EXPECT_EQ(f.SelectedMarker(), 1);
        EXPECT_EQ(f.LitIds(), std::vector<int>{2});
        if (!clickInFlight) {
            f.clock.Advance(600);
            EXPECT_EQ(f.SelectedMarker(), 1);
            EXPECT_EQ(f.LitIds(), std::vector<int>{2});
        }
        f.Take();
        f.Click(f.OwnCard(2));
        EXPECT_EQ(f.Take(), std::vector<std::string>{"cover 2 on 1"});
    }
}

// The own hand lifts the card under the pointer to y 0 and drops it back to 30, only while clicks are
// allowed; a card lifted when clicks go off stays up until the next layout.
TEST(TableHand, HoverLiftsTheOwnCardOnlyWhileClicksAreAllowed) {
    TableFixture f;
    f.Deal({{1, 1, 5}, {2, 2, 6}});
    TCardMoved *card = f.Seat(1)->CardList()->Sprite(0);
    auto hover = [&](bool enter) {
        if (enter)
            card->MouseEnter();
        else
            card->MouseLeave();
        f.clock.Advance(200);
        return card->Y();
    };
    EXPECT_EQ(hover(true), TCardList::kOwnCardTop); // clicks are off at the start
    f.table->PlayerActive(1, kNoSeat);
    EXPECT_EQ(hover(true), 0);
    EXPECT_EQ(hover(false), TCardList::kOwnCardTop);
    EXPECT_EQ(hover(true), 0);
    f.Seat(1)->SetCanClick(false);
    EXPECT_EQ(hover(false), 0);
    f.table->AddPlayerCard(1, 3, 3, 7);
    EXPECT_EQ(f.Seat(1)->CardList()->Sprite(0)->Y(), TCardList::kOwnCardTop);
}

// A side column sits 90 above the middle of its seat; only a column that would leave the window at
// the top is held at the window's edge.
TEST(TableHand, ASideColumnIsHeldOnlyWhereItWouldLeaveTheWindow) {
    struct Case {
        float h;
        int cards;
    };
    for (const Case c : {Case{600, 6}, Case{700, 6}, Case{768, 15}, Case{1024, 6}, Case{600, 15}}) {
        SCOPED_TRACE(std::to_string(int(c.h)) + " high, " + std::to_string(c.cards) + " cards");
        TableFixture f;
        f.form.SetSize(1000, c.h);
        f.Deal({{1, 1, 5}});
        f.table->SetPlayerCountCard(2, static_cast<uint8_t>(c.cards));
        f.table->Repaint();
        const TPlayer *seat = f.Seat(2);
        const TCardList *hand = seat->CardList();
        const double centred = Round((seat->Height() - hand->Height()) / 2.0) - 90;
        EXPECT_EQ(hand->Y(), std::max(centred, TCardList::kSideHeadroom - double(seat->Y())));
        EXPECT_GE(seat->NickBar()->AbsoluteRect().top(), 0);
    }
}

} // namespace
} // namespace trelvo::scene

namespace trelvo::scene {
namespace {

// "Ваш ход!" shows only when the user has a move to make.
TEST(TableYourTurn, ShownOnlyWhenTheUserHasAMoveToMake) {
    TableFixture f;
    f.Deal({{1, kSuitClubs, 9}, {2, kSuitDiamonds, 9}});
    TYourTurn *cue = f.table->YourTurn();
    // Seat 2 attacks; the user is on turn to cover.
    f.table->PlayerActive(2, 1);
    f.table->SetTableState(TTable::kStateCover);
    f.table->PlayerGo(2, kSuitClubs, 5);
    f.table->PlayerActive(1, 1);
    EXPECT_TRUE(cue->Cycling());
    f.clock.Advance(3000);
    // The user takes; seat 2 throws in and the turn comes back to the user, who has nothing to do.
    f.Click(f.table->PickBitoButton());
    f.table->SetTableState(TTable::kStateTaking);
    f.table->PlayerGo(2, kSuitClubs, 6);
    f.table->PlayerActive(1, 1);
    EXPECT_FALSE(cue->Cycling());
    f.table->PlayerTake(1, 2);
    f.clock.Advance(5000);
    // With no card left the user has won: the turn passing to seat 1 asks nothing of it.
    TableFixture g;
    g.Deal({});
    g.table->PlayerActive(1, kNoSeat);
    EXPECT_FALSE(g.table->YourTurn()->Cycling());
}

} // namespace
} // namespace trelvo::scene
