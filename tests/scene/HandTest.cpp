#include "SceneFixture.h"

#include "scene/CardList.h"
#include "scene/CardRules.h"
#include "scene/Player.h"

#include "kit/Round.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trelvo::scene {
namespace {

using test::TSceneFixture;

// Cards as "suit/dignity" for readable expectations.
std::string Shown(const TCardList &hand) {
    std::string out;
    for (int i = 0; i < hand.Count(); ++i) {
        if (!out.empty())
            out += ' ';
        out += std::to_string(hand.Sprite(i)->Suit()) + "/" + std::to_string(hand.Sprite(i)->Dignity());
    }
    return out;
}

TEST(CardFlight, RestartInTheAirLandsTheOldFlightFirstAndEqualPointsStillTakeTheDuration) {
    TSceneFixture f;
    auto *card = f.Add<TCardMoved>();
    std::vector<std::string> log;
    card->SetID(7);
    card->OnFinish = [&](uint8_t id) {
        log.push_back("finish " + std::to_string(id) + " at " + std::to_string(int(card->X())));
    };
    card->StartValue(0, 0);
    card->StopValue(100, 50);
    card->StartAnimation();
    f.clock.Advance(200);
    ASSERT_TRUE(log.empty());
    card->StartValue(300, 300);
    card->StopValue(300, 300);
    card->StartAnimation();
    // The interrupted flight jumps to the new stop value (the toolkit's Stop) and reports once.
    ASSERT_EQ(log, (std::vector<std::string>{"finish 7 at 300"}));
    f.clock.Advance(400);
    EXPECT_EQ(log.size(), 1u);
    EXPECT_TRUE(card->Flying());
    f.clock.Advance(200);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_FALSE(card->Flying());
}

TEST(CardSprite, OnlyALitCardTakesClicks) {
    TSceneFixture f;
    auto *card = f.Add<TCard>();
    card->SetKind(4, 12);
    card->SetNumberID(3);
    card->SetID(40);
    EXPECT_EQ(card->Suit(), 4);
    EXPECT_EQ(card->Dignity(), 12);
    std::vector<std::pair<int, int>> clicks;
    card->OnCardClick = [&](uint8_t l, uint8_t g) { clicks.emplace_back(l, g); };
    f.Click(card);
    EXPECT_TRUE(clicks.empty());
    card->SetLights(true);
    f.Click(card);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{3, 40}}));
    card->SetKind(0, 0);
    EXPECT_EQ(card->Suit(), 0);
    EXPECT_EQ(card->Dignity(), 0);
}

TEST(HandLayout, WidthsAndHeightsFollowTheCount) {
    struct Case {
        bool own;
        uint8_t mode;
        int count;
        float extent; // width of a fan, height of a column
    };
    const Case cases[] = {
        {true, TCardList::kAlignOwn, 6, 451},    {true, TCardList::kAlignOwn, 7, 449},
        {true, TCardList::kAlignOwn, 10, 593},   {true, TCardList::kAlignOwn, 20, 831},
        {true, TCardList::kAlignOwn, 36, 456},   {false, TCardList::kAlignTop, 1, 71},
        {false, TCardList::kAlignTop, 6, 301},   {false, TCardList::kAlignTop, 12, 247},
        {false, TCardList::kAlignLeft, 6, 321},  {false, TCardList::kAlignLeft, 7, 287},
        {false, TCardList::kAlignLeft, 15, 351}, {false, TCardList::kAlignRight, 20, 261},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << ", " << c.count << " cards");
        TSceneFixture f;
        auto *seat = f.Add<TLayout>();
        seat->SetSize(1000, 500);
        seat->SetY(200); // well below the window's top: nothing holds a column back
        auto *hand = new TCardList(seat);
        hand->SetParent(seat);
        hand->SetOwner(seat);
        const bool column = c.mode == TCardList::kAlignLeft || c.mode == TCardList::kAlignRight;
        hand->SetRotate(column);
        hand->SetPlayerCardList(c.own);
        hand->SetAlignMode(c.mode);
        TSortedList order;
        for (int i = 0; i < c.count; ++i) {
            hand->AddCard(0, 0, 0);
            order.push_back(static_cast<uint8_t>(i));
        }
        hand->Repaint(order);
        if (column) {
            EXPECT_EQ(hand->Height(), c.extent);
            EXPECT_EQ(hand->Width(), 96);
            // 90 above the middle (fifteen cards start at -15).
            EXPECT_EQ(hand->Y(), Round((500 - c.extent) / 2.0) - 90);
            EXPECT_EQ(hand->X(), c.mode == TCardList::kAlignLeft ? 5 : 0);
        } else {
            EXPECT_EQ(hand->Width(), c.extent);
            EXPECT_EQ(hand->Height(), c.own ? 126 : 96);
            EXPECT_EQ(hand->X(), Round((1000 - c.extent) / 2.0));
            EXPECT_EQ(hand->Sprite(0)->Y(), c.own ? 30 : 0);
        }
    }
}

TEST(HandLayout, DisplayOrderExchangesShownCardsAndSpritesKeepTheirPlaces) {
    TSceneFixture f;
    auto *hand = f.Add<TCardList>();
    hand->SetOwner(&f.form);
    hand->SetPlayerCardList(true);
    hand->AddCard(1, 1, 1); // a
    hand->AddCard(2, 2, 2); // b
    hand->AddCard(3, 3, 3); // c
    hand->Repaint({2, 0, 1});
    EXPECT_EQ(Shown(*hand), "3/3 1/1 2/2");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(hand->Sprite(i)->NumberID(), i);
    EXPECT_EQ(hand->GetCardID(1, 1), 1);
    EXPECT_EQ(hand->GetCardID(4, 4), 0);
}

TEST(HandLayout, DeletingMovesTheLastCardIntoTheGapAndUnknownIdsChangeNothing) {
    TSceneFixture f;
    auto *hand = f.Add<TCardList>();
    for (uint8_t i = 1; i <= 5; ++i)
        hand->AddCard(i, 1, i);
    hand->DelCard(2);
    EXPECT_EQ(Shown(*hand), "1/1 1/5 1/3 1/4");
    hand->DelCard(99);
    EXPECT_EQ(hand->Count(), 4);
    hand->DelAllCard();
    EXPECT_EQ(hand->Count(), 0);
    hand->DelCard(0); // an empty hand: nothing to remove
    EXPECT_EQ(hand->Count(), 0);
}

TEST(OwnSeat, HandShowsTrumpsThenTheRestFromHighToLow) {
    TSceneFixture f;
    TPlayerCard trump{kSuitHearts, 2};
    auto *seat = f.Add<TPlayer>(kOwnSeat);
    seat->SetTrump(&trump);
    seat->AddCard(1, kSuitClubs, 6);    // 7 of clubs
    seat->AddCard(2, kSuitSpades, 13);  // ace of spades
    seat->AddCard(3, kSuitHearts, 5);   // 6 of hearts
    seat->AddCard(4, kSuitHearts, 12);  // king of hearts
    seat->AddCard(5, kSuitDiamonds, 6); // 7 of diamonds
    EXPECT_EQ(Shown(*seat->CardList()), "3/12 3/5 4/13 1/6 2/6");
    EXPECT_EQ(seat->CardList()->Width(), 5 * 71 + 4 * 5);
}

TEST(OwnSeat, LegalMovesLightTheRightCards) {
    // Hand (trump hearts): 9 and jack and ace of spades, queen of diamonds, 7 and 9 and queen of hearts.
    const TPlayerCard hand[] = {{4, 8}, {4, 10}, {4, 13}, {2, 11}, {3, 6}, {3, 8}, {3, 11}};
    struct Case {
        const char *name;
        char kind; // c cover, g give (accumulating), a all, h hide
        std::vector<TSrvCard> cards;
        std::vector<TPlayerCard> lit;
    };
    const Case cases[] = {
        {"cover the 10 of spades: higher spades and every trump",
         'c',
         {{4, 9}},
         {{4, 10}, {4, 13}, {3, 6}, {3, 8}, {3, 11}}},
        {"cover the trump 8: higher trumps only", 'c', {{3, 7}}, {{3, 8}, {3, 11}}},
        {"cover a trump ace: nothing", 'c', {{3, 13}}, {}},
        {"throw in by rank: all nines, then all queens too",
         'g',
         {{1, 8}, {1, 11}},
         {{4, 8}, {2, 11}, {3, 8}, {3, 11}}},
        {"an empty table: every card", 'a', {}, {{4, 8}, {4, 10}, {4, 13}, {2, 11}, {3, 6}, {3, 8}, {3, 11}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TSceneFixture f;
        TPlayerCard trump{kSuitHearts, 1};
        auto *seat = f.Add<TPlayer>(kOwnSeat);
        seat->SetTrump(&trump);
        uint8_t id = 1;
        for (const TPlayerCard &card : hand)
            seat->AddCard(id++, card.Suit, card.Dignity);
        for (const TSrvCard &card : c.cards)
            c.kind == 'c' ? seat->ShowCanUsedToCoverCard(card) : seat->ShowCanGiveCard(card);
        if (c.kind == 'a')
            seat->ShowAllLightsCard();
        std::vector<TPlayerCard> lit;
        for (const TPlayerCard &card : hand) {
            const TCardList *cards = seat->CardList();
            for (int i = 0; i < cards->Count(); ++i)
                if (cards->Sprite(i)->Suit() == card.Suit && cards->Sprite(i)->Dignity() == card.Dignity &&
                    cards->Sprite(i)->Lights())
                    lit.push_back(card);
        }
        EXPECT_EQ(lit, c.lit);
        seat->HideCanUsedCard();
        for (int i = 0; i < seat->CardList()->Count(); ++i)
            EXPECT_FALSE(seat->CardList()->Sprite(i)->Lights());
    }
}

TEST(OwnSeat, TransferNeedsACardOfTheAttackRank) {
    TSceneFixture f;
    TPlayerCard trump{kSuitHearts, 1};
    auto *seat = f.Add<TPlayer>(kOwnSeat);
    seat->SetTrump(&trump);
    seat->AddCard(1, kSuitSpades, 6);
    EXPECT_TRUE(seat->IsHaveTransfer({kSuitClubs, 6}));
    EXPECT_FALSE(seat->IsHaveTransfer({kSuitClubs, 7}));
}

TEST(OwnSeat, TwoQuickClicksReportOnlyTheSecondAfterTheSpritesOwnEvent) {
    TSceneFixture f;
    TPlayerCard trump{kSuitHearts, 1};
    auto *seat = f.Add<TPlayer>(kOwnSeat);
    seat->SetTrump(&trump);
    seat->SetSize(1000, 230);
    seat->AddCard(11, kSuitSpades, 13);
    seat->AddCard(12, kSuitSpades, 12);
    seat->ShowAllLightsCard();
    seat->SetCanClick(true);
    std::vector<int> clicked;
    seat->OnPlayerCardClick = [&](uint8_t id, uint8_t, uint8_t) {
        clicked.push_back(id);
        seat->DelCard(id); // what the table does: the clicked sprite goes
    };
    for (int i : {0, 1}) {
        const QPointF p = seat->CardList()->Sprite(i)->LocalToAbsolute(QPointF(20, 40));
        f.form.PointerMove(p);
        f.form.PointerDown(TMouseButton::Left, p);
        f.form.PointerUp(TMouseButton::Left, p);
    }
    EXPECT_TRUE(clicked.empty());
    f.clock.Advance(10);
    EXPECT_EQ(clicked, std::vector<int>{12});
    EXPECT_EQ(seat->CountCard(), 1);
}

TEST(OpponentSeat, NameFillsTheSeatAndAnEmptyNameEmptiesIt) {
    TSceneFixture f;
    auto *seat = f.Add<TPlayer>(3);
    for (int i = 0; i < 6; ++i)
        seat->AddCard(0, 0, 0);
    seat->SetPlayerName(QStringLiteral("Серый Волк"));
    EXPECT_TRUE(seat->NickBar()->Visible());
    EXPECT_EQ(seat->NickBar()->Nick(), QStringLiteral("Серый Волк"));
    seat->SetTake(true);
    seat->SetTake(true);
    EXPECT_TRUE(seat->TakeAnimation()->Running());
    seat->SetTake(false);
    EXPECT_FALSE(seat->TakeImg()->Visible());
    EXPECT_FALSE(seat->TakeAnimation()->Running());
    seat->SetPlayerName(QString());
    EXPECT_FALSE(seat->NickBar()->Visible());
    EXPECT_EQ(seat->CountCard(), 0);
}

} // namespace
} // namespace trelvo::scene
