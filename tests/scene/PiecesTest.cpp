#include "SceneFixture.h"

#include "scene/CardDeck.h"
#include "scene/PlayerBar.h"
#include "scene/PlayingPlace.h"
#include "scene/RoundEnd.h"
#include "scene/YourTurn.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trelvo::scene {
namespace {

using test::TSceneFixture;

// A 1000 x 700 playing place (its own size) with its events logged.
struct PlaceFixture : TSceneFixture {
    TPlayingPlace *place = Add<TPlayingPlace>();
    std::vector<std::string> log;

    PlaceFixture() {
        place->SetSize(1000, 700);
        place->Repaint();
        place->OnBitoEnd = [this] { log.push_back("bito end"); };
        place->OnMoveEnd = [this] { log.push_back("move end"); };
        place->OnCardMoveEnd = [this](uint8_t s, uint8_t d) {
            log.push_back("picked " + std::to_string(s) + "/" + std::to_string(d));
        };
        place->OnChangeSelect = [this](bool state) { log.push_back(state ? "cover" : "transfer"); };
    }
};

TEST(PlayingPlace, GeometryOfSlotsMarkersAndStartPoints) {
    PlaceFixture f;
    EXPECT_EQ(f.place->PosFirsCard().X, 274);
    EXPECT_EQ(f.place->PosFirsCard().Y, 278);
    EXPECT_EQ(f.place->PlaceLights(5)->X(), 654);
    EXPECT_EQ(f.place->PlaceLights(0)->Y(), 326);
    EXPECT_EQ(f.place->StartPos(1).X, 464);
    EXPECT_EQ(f.place->StartPos(1).Y, 604);
    EXPECT_EQ(f.place->StartPos(4).X, 929);
    EXPECT_EQ(f.place->StartPos(4).Y, 302);
    f.place->MoveCard(4, 1, 5, true, 5);
    f.place->MoveCard(1, 1, 9, false, 0);
    f.clock.Advance(600);
    EXPECT_EQ(f.place->Card(5)->Position(), QPointF(654, 278));
    EXPECT_EQ(f.place->Card(6)->Position(), QPointF(274, 326));
    EXPECT_EQ(f.log, (std::vector<std::string>{"move end", "move end"}));
}

TEST(PlayingPlace, SelectionStaysOnTheLowestOpenCard) {
    PlaceFixture f;
    for (uint8_t i = 0; i < 3; ++i)
        f.place->MoveCard(2, 1, static_cast<uint8_t>(2 + i), true, i);
    f.place->MoveCard(1, 1, 9, false, 2);
    EXPECT_EQ(f.place->SelectID(), 0);
    EXPECT_EQ(f.place->CountNoCover(), 2);
    f.place->MoveCard(1, 1, 10, false, 0);
    EXPECT_EQ(f.place->SelectID(), 1);
    EXPECT_EQ(f.place->GetSelectCard(), (TSrvCard{1, 3}));
    // A seventh attacking card has no place and changes nothing.
    f.place->MoveCard(2, 1, 13, true, 6);
    EXPECT_EQ(f.place->CountNoCover(), 1);
}

TEST(PlayingPlace, PickUpReportsEveryCardThenTheEndAndDiscardNeedsABitoRound) {
    PlaceFixture f;
    for (uint8_t i = 0; i < 5; ++i)
        f.place->MoveCard(3, 2, static_cast<uint8_t>(1 + i), true, i);
    f.clock.Advance(600);
    f.log.clear();
    f.place->MovePickUp(4);
    EXPECT_EQ(f.place->CountMove(), 5);
    f.clock.Advance(600);
    EXPECT_EQ(f.log, (std::vector<std::string>{"picked 2/1", "picked 2/2", "picked 2/3", "picked 2/4",
                                               "picked 2/5", "bito end"}));
    f.log.clear();
    f.place->MoveCard(3, 2, 1, true, 0);
    f.clock.Advance(600);
    f.log.clear();
    f.place->MoveBito(0); // no round has ended in a discard yet
    EXPECT_TRUE(f.place->Card(0)->Visible());
    f.place->MoveBito(1); // cleared at once, silently
    EXPECT_FALSE(f.place->Card(0)->Visible());
    EXPECT_TRUE(f.log.empty());
    f.place->MoveCard(3, 2, 1, true, 0);
    f.clock.Advance(600);
    f.log.clear();
    f.place->SetBito(true);
    f.place->MoveBito(0);
    EXPECT_FALSE(f.place->Card(0)->Visible());
    EXPECT_EQ(f.log, std::vector<std::string>{"bito end"});
}

TEST(PlayingPlace, ANewRoundsCardLandsThePickUpStillInTheAirFirst) {
    PlaceFixture f;
    f.place->MoveCard(3, 2, 1, true, 0);
    f.place->MoveCard(3, 2, 2, true, 1);
    f.place->MoveCard(1, 2, 9, false, 0);
    f.clock.Advance(600);
    f.log.clear();
    f.place->MovePickUp(1);
    f.clock.Advance(50);
    f.place->MoveCard(3, 3, 5, true, 0);
    EXPECT_EQ(f.log, (std::vector<std::string>{"picked 2/1", "picked 2/2", "picked 2/9", "bito end"}));
    EXPECT_FALSE(f.place->Card(1)->Visible());
    EXPECT_FALSE(f.place->Card(6)->Visible());
    // The new attack is the one to cover, in slot 0.
    EXPECT_EQ(f.place->SelectID(), 0);
    EXPECT_EQ(f.place->CountNoCover(), 1);
    f.log.clear();
    f.clock.Advance(600);
    EXPECT_EQ(f.log, std::vector<std::string>{"move end"});
}

TEST(PlayingPlace, MarkersChooseBetweenCoverAndTransfer) {
    PlaceFixture f;
    f.place->MoveCard(2, 1, 5, true, 0);
    f.place->MoveCard(2, 2, 5, true, 1);
    f.clock.Advance(600);
    f.log.clear();
    f.place->SetTransferLight(true);
    f.place->ShowTransferPlace();
    f.place->ShowSelectCoverCard();
    EXPECT_EQ(f.place->PlaceTransferLights(2)->State(), TPlaceLights::kSelected);
    EXPECT_EQ(f.place->PlaceLights(0)->State(), TPlaceLights::kIdle); // no preselection with a transfer
    EXPECT_FALSE(f.place->Select());
    f.Click(f.place->PlaceLights(1));
    EXPECT_EQ(f.place->SelectID(), 1);
    EXPECT_TRUE(f.place->Select());
    EXPECT_EQ(f.place->PlaceTransferLights(2)->State(), TPlaceLights::kIdle);
    f.Click(f.place->PlaceLights(1)); // selected already: nothing
    f.Click(f.place->PlaceTransferLights(2));
    EXPECT_EQ(f.place->PlaceLights(1)->State(), TPlaceLights::kIdle);
    EXPECT_EQ(f.log, (std::vector<std::string>{"cover", "transfer"}));
}

TEST(CardDeck, StackFollowsTheCountInSteps) {
    TSceneFixture f;
    auto *deck = f.Add<TCardDeck>();
    deck->SetTrump(2, 9);
    EXPECT_EQ(deck->Sprite(0)->Suit(), 2);
    EXPECT_EQ(deck->Sprite(0)->Dignity(), 9);
    struct Step {
        uint8_t count;
        int sprites;
    };
    const Step steps[] = {{24, 11}, {23, 11}, {18, 9}, {17, 9}, {12, 7},
                          {6, 6},   {8, 6},   {5, 5},  {1, 1},  {0, 0}};
    for (const Step &s : steps) {
        deck->SetCount(s.count);
        EXPECT_EQ(deck->SpriteCount(), s.sprites) << "count " << int(s.count);
        EXPECT_EQ(deck->LabelCount()->Text(), QString::number(s.count));
    }
}

TEST(TurnClock, CountsDownToZeroAndStopsOnce) {
    TSceneFixture f;
    auto *bar = f.Add<TPlayerBar>();
    std::vector<std::string> log;
    bar->OnRoundStart = [&] { log.push_back("start"); };
    bar->OnRoundStop = [&] { log.push_back("stop at " + bar->TextClock()->Caption().toStdString()); };
    bar->SetTime(9);
    f.clock.Advance(2000);
    bar->SetTime(5); // restarts without a stop for the old clock
    std::vector<std::string> shown{bar->TextClock()->Caption().toStdString()};
    for (int i = 0; i < 6; ++i) {
        f.clock.Advance(1000);
        shown.push_back(bar->TextClock()->Caption().toStdString());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"5", "04", "03", "02", "01", "00", "00"}));
    EXPECT_EQ(log, (std::vector<std::string>{"start", "start", "stop at 00"}));
    EXPECT_EQ(bar->Width(), 393);
    EXPECT_EQ(bar->Height(), 95);
    // A clock of no seconds shows 0 and does not run (counting down would wrap to 255).
    bar->SetTime(0);
    EXPECT_FALSE(bar->Running());
}

TEST(RoundEnd, CountsDownThreeSecondsAfterItsSlideAndARestartEndsTheOldCountdown) {
    TSceneFixture f;
    auto *plate = f.Add<TRoundEnd>();
    plate->SetOffsetDown(230);
    int ends = 0;
    plate->OnEnd = [&] { ++ends; };
    plate->Start(3);
    EXPECT_EQ(plate->Text()->Text(), QStringLiteral("Конец раунда: 3"));
    f.clock.Advance(800);
    EXPECT_EQ(plate->Y(), 140);
    f.clock.Advance(2000); // the slide ended at 0.7 s: "2" at 1.7 s, "1" at 2.7 s
    EXPECT_EQ(plate->Text()->Text(), QStringLiteral("Конец раунда: 1"));
    plate->Start(3);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(plate->Y(), 230);
    f.clock.Advance(4000);
    EXPECT_EQ(ends, 2);
    EXPECT_FALSE(plate->Moved());
    f.clock.Advance(400);
    EXPECT_EQ(plate->Opacity(), 0);
}

TEST(YourTurn, ShowRestartsTheCycleFromTransparent) {
    TSceneFixture f;
    auto *cue = f.Add<TYourTurn>();
    cue->Show();
    f.clock.Advance(600);
    EXPECT_FLOAT_EQ(cue->Opacity(), 0.6f);
    cue->Show();
    EXPECT_FLOAT_EQ(cue->Opacity(), 0.0f);
    f.clock.Advance(2000);
    EXPECT_FLOAT_EQ(cue->Opacity(), 0.0f);
    EXPECT_FALSE(cue->Cycling());
    EXPECT_TRUE(cue->Visible());
    cue->Hide();
    EXPECT_FALSE(cue->Visible());
}

} // namespace
} // namespace trelvo::scene
