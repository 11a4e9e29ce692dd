#include "LobbyFixture.h"

#include "common/Exceptions.h"
#include "lobby/WindowShowPlayer.h"

#include <algorithm>
#include <string>
#include <vector>

namespace trelvo {
namespace {

struct WaitingRoomFixture : test::LobbyFixture {
    TWindowShowPlayer *room = nullptr;
    TWeakRef<TWindowShowPlayer> ref;
    std::vector<bool> ready;
    int closed = 0;

    void SetUp() override {
        test::LobbyFixture::SetUp();
        if (IsSkipped())
            return;
        room = new TWindowShowPlayer(&form);
        room->SetParent(&form);
        room->SetWidth(470);
        room->SetHeight(270);
        room->OnReady = [this](bool State) { ready.push_back(State); };
        room->OnWindowClose = [this](int) { ++closed; };
        room->SetPlayerWin(TWindowShowPlayer::kNewTable);
        room->Show();
        ref.Reset(room);
        Settle();
    }
    // The countdown texts of `ticks` seconds, the start value first.
    std::vector<std::string> Count(int ticks) {
        std::vector<std::string> shown{room->Text_Time()->Text().toStdString()};
        for (int i = 0; i < ticks && ref; ++i) {
            clock.Advance(1000);
            if (ref)
                shown.push_back(room->Text_Time()->Text().toStdString());
        }
        return shown;
    }
};

TEST_F(WaitingRoomFixture, Layout) {
    EXPECT_EQ(room->Line_Top()->Width(), 450);
    EXPECT_EQ(room->Line_Bottom()->Width(), 450);
    EXPECT_EQ(room->WinState_Image()->Width(), 460);
    EXPECT_EQ(room->WinState_Image()->Position(), QPointF(5, 20));
    EXPECT_EQ(room->Button_Ready()->X(), 350);
    EXPECT_EQ(room->Label_Number()->Position(), QPointF(40, 70));
    EXPECT_FLOAT_EQ(room->Label_Name()->X(), 40 + room->Label_Number()->Width() + 15);
    EXPECT_FLOAT_EQ(room->Label_State()->X(), room->Label_Name()->X() + room->Label_Name()->Width() + 250);
    EXPECT_FLOAT_EQ(room->Line_Top()->Y(), 70 + room->Label_Number()->Height() + 10);
    for (int seat = 1; seat <= 4; ++seat) {
        TListLine *line = room->ListLine(seat);
        EXPECT_FLOAT_EQ(line->Y(), room->Line_Top()->Y() + 10 + 20 * (seat - 1));
        EXPECT_EQ(line->X(), 35);
        EXPECT_EQ(line->Width(), 400);
        EXPECT_EQ(line->Image() != nullptr, seat % 2 == 1) << "lines 1 and 3 are striped";
        EXPECT_EQ(line->Label_Number()->Text(), QString::number(seat) + ".");
        EXPECT_EQ(line->Label_Number()->Height(), 20) << "full height of the line";
    }
    EXPECT_FLOAT_EQ(room->Line_Bottom()->Y(), room->ListLine(4)->Y() + 20 + 10);
    EXPECT_EQ(room->Text_Time()->Text(), "");
    EXPECT_EQ(room->Text_Ready()->Text(), "Ожидание Вашей готовности");
    EXPECT_GT(room->Text_Ready()->X(), room->Text_Time()->X()) << "right of the indicator";
    EXPECT_FALSE(room->AniIndicator()->Enabled());
    EXPECT_TRUE(room->WinState_Image()->Visible());
}

TEST_F(WaitingRoomFixture, PlayersTitleAndBanner) {
    room->SetTableID(5);
    EXPECT_EQ(room->Title(), "Стол 5");
    EXPECT_EQ(room->TableID(), 5);
    room->SetPlayerList(
        {TPlayer{"Аня", true}, TPlayer{"Борис", false}, TPlayer{"", false}, TPlayer{"Дима", true}});
    EXPECT_EQ(room->ListLine(1)->Label_Name()->Text(), "Аня");
    EXPECT_EQ(room->ListLine(1)->Label_State()->Text(), "Готов!");
    EXPECT_EQ(room->ListLine(2)->Label_State()->Text(), "");
    EXPECT_EQ(room->ListLine(3)->Label_Name()->Text(), "") << "an empty seat shows its number only";
    EXPECT_EQ(room->ListLine(3)->Label_Number()->Text(), "3.");
    TText *state = room->ListLine(4)->Label_State();
    // Centred under the "Состояние" header (line coordinates start 35 to the right).
    EXPECT_NEAR(35 + state->X() + state->Width() / 2,
                room->Label_State()->X() + room->Label_State()->Width() / 2, 0.01);
    room->SetPlayerList({});
    EXPECT_EQ(room->ListLine(4)->Label_State()->Text(), "");
    EXPECT_FALSE(room->ListLine(4)->State());

    for (uint16_t v = 0; v <= 3; ++v)
        EXPECT_NO_THROW(room->SetPlayerWin(v));
    room->SetPlayerWin(TWindowShowPlayer::kDraw);
    const QImage drawBanner = room->WinState_Image()->Bitmap();
    EXPECT_THROW(room->SetPlayerWin(4), EAssetNotFound);
    EXPECT_EQ(room->WinState_Image()->Bitmap(), drawBanner) << "a failed banner keeps the last one";
}

TEST_F(WaitingRoomFixture, ReadinessToggles) {
    Click(room->Button_Ready());
    EXPECT_TRUE(room->StateReady());
    EXPECT_EQ(room->Button_Ready()->ImgName().Waiting, "Button_NoReady_1");
    EXPECT_EQ(room->Button_Ready()->ImgName().UnEnable, "Button_NoReady_1");
    EXPECT_EQ(room->Text_Ready()->Text(), "Ожидание готовности соперников");
    Click(room->Button_Ready());
    EXPECT_FALSE(room->StateReady());
    EXPECT_EQ(room->Button_Ready()->ImgName().Waiting, "Button_Ready_1");
    EXPECT_EQ(room->Text_Ready()->Text(), "Ожидание Вашей готовности");
    EXPECT_EQ(ready, (std::vector<bool>{true, false}));
    EXPECT_EQ(room->ListLine(1)->Label_State()->Text(), "") << "the own line changes only by the list";
}

TEST_F(WaitingRoomFixture, ReadyPlayerCountsDownFreezesAtThreeAndStopsAtZero) {
    Click(room->Button_Ready());
    room->StartTimerInvite(10);
    EXPECT_TRUE(room->AniIndicator()->Enabled());
    EXPECT_EQ(Count(6), (std::vector<std::string>{"10", "09", "08", "07", "06", "05", "04"}));
    EXPECT_TRUE(room->Button_Ready()->Enabled());
    EXPECT_TRUE(room->CanClose());
    clock.Advance(1000);
    EXPECT_EQ(room->Text_Time()->Text(), "03");
    EXPECT_FALSE(room->Button_Ready()->Enabled()) << "readiness frozen";
    EXPECT_FALSE(room->CanClose());
    Click(room->Button_Ready());
    Click(room->Button_Close());
    EXPECT_TRUE(room->StateReady());
    EXPECT_FALSE(room->Closing());
    EXPECT_EQ(Count(5), (std::vector<std::string>{"03", "02", "01", "00", "00", "00"}));
    EXPECT_FALSE(room->Timer_Invite().Enabled()) << "stopped at 00";
    EXPECT_TRUE(room->AniIndicator()->Enabled()) << "spins until stopped";
    EXPECT_EQ(closed, 0);

    room->StopTimerInvite();
    EXPECT_TRUE(room->Button_Ready()->Enabled());
    EXPECT_TRUE(room->CanClose());
    EXPECT_EQ(room->Text_Time()->Text(), "");
    EXPECT_FALSE(room->AniIndicator()->Enabled());
    EXPECT_EQ(ready, std::vector<bool>{true});
}

TEST_F(WaitingRoomFixture, NotReadyAtThreeLeavesByClosing) {
    room->StartTimerInvite(5);
    EXPECT_EQ(Count(1), (std::vector<std::string>{"05", "04"}));
    clock.Advance(1000);
    ASSERT_TRUE(ref);
    EXPECT_TRUE(room->Closing());
    EXPECT_EQ(room->Text_Time()->Text(), "04") << "the closing tick leaves the text";
    Settle();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(ref);
}

TEST_F(WaitingRoomFixture, StartingAtThreeFreezesAtOnceButStaysOpen) {
    room->StartTimerInvite(3);
    EXPECT_FALSE(room->Button_Ready()->Enabled());
    EXPECT_FALSE(room->CanClose());
    EXPECT_EQ(Count(4), (std::vector<std::string>{"03", "02", "01", "00", "00"}));
    EXPECT_FALSE(room->Closing());
    EXPECT_EQ(closed, 0);
}

TEST_F(WaitingRoomFixture, RestartWhileRunningAndAfterTheFreeze) {
    Click(room->Button_Ready());
    room->StartTimerInvite(5);
    clock.Advance(2500);
    EXPECT_EQ(room->Text_Time()->Text(), "03");
    room->StartTimerInvite(12);
    EXPECT_TRUE(room->Button_Ready()->Enabled()) << "a new count unfreezes";
    EXPECT_TRUE(room->CanClose());
    EXPECT_EQ(Count(2), (std::vector<std::string>{"12", "11", "10"})) << "a whole second from the restart";
}

TEST_F(WaitingRoomFixture, DestroyedDuringTheCountdown) {
    room->StartTimerInvite(10);
    clock.Advance(1500);
    delete room;
    Settle();
    Settle();
    EXPECT_EQ(closed, 0);
}

TEST_F(WaitingRoomFixture, TheButtonShowsTheReadinessTheServerGaveAndOneClickChangesIt) {
    Click(room->Button_Ready());
    room->SetInviteState(false, false); // the server reset this player
    EXPECT_FALSE(room->StateReady());
    EXPECT_EQ(room->Button_Ready()->ImgName().Waiting, "Button_Ready_1");
    EXPECT_EQ(room->Text_Ready()->Text(), "Ожидание Вашей готовности");
    Click(room->Button_Ready());
    EXPECT_EQ(ready, (std::vector<bool>{true, true}));
    room->SetInviteState(true, false);
    EXPECT_EQ(room->Button_Ready()->ImgName().Waiting, "Button_NoReady_1");
    Click(room->Button_Ready());
    EXPECT_EQ(ready, (std::vector<bool>{true, true, false}));
}

TEST_F(WaitingRoomFixture, WhileTheGameThisPlayerLeftRunsTheButtonRestsAndTheRoomSaysSo) {
    room->SetPlayerList({TPlayer{"Аня", false}, TPlayer{"Борис", true}, TPlayer{"Вера", true}, TPlayer{}});
    room->SetInviteState(false, true);
    EXPECT_FALSE(room->Button_Ready()->Enabled());
    EXPECT_LT(room->Button_Ready()->Opacity(), 1) << "it looks resting";
    EXPECT_EQ(room->Text_Ready()->Text(), "Соперники доигрывают партию");
    Click(room->Button_Ready());
    EXPECT_TRUE(ready.empty());
    // A countdown that stops does not wake the button while the game runs.
    room->StopTimerInvite();
    EXPECT_FALSE(room->Button_Ready()->Enabled());
    room->SetInviteState(false, false);
    EXPECT_TRUE(room->Button_Ready()->Enabled());
    EXPECT_EQ(room->Button_Ready()->Opacity(), 1);
    EXPECT_EQ(room->Text_Ready()->Text(), "Ожидание Вашей готовности");
}

TEST_F(WaitingRoomFixture, WithEverySeatReadyTheCountdownSpeaksAlone) {
    struct Case {
        const char *name;
        std::vector<TPlayer> seats;
        bool ownReady;
        bool countdown;
        const char *text;
    };
    const Case cases[] = {
        {"all ready, counting", {{"Аня", true}, {"Борис", true}}, true, true, ""},
        {"all ready, no count yet",
         {{"Аня", true}, {"Борис", true}},
         true,
         false,
         "Ожидание готовности соперников"},
        {"one not ready, counting",
         {{"Аня", true}, {"Борис", false}},
         true,
         true,
         "Ожидание готовности соперников"},
        {"this player not ready",
         {{"Аня", false}, {"Борис", true}},
         false,
         true,
         "Ожидание Вашей готовности"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TPlayerList list{};
        std::copy(c.seats.begin(), c.seats.end(), list.begin());
        room->SetInviteState(c.ownReady, false);
        room->SetPlayerList(list);
        if (c.countdown)
            room->StartTimerInvite(10);
        EXPECT_EQ(room->Text_Ready()->Text(), QString::fromUtf8(c.text));
        room->StopTimerInvite();
        EXPECT_EQ(room->Text_Ready()->Text().isEmpty(), false)
            << "without the countdown the room says why it waits";
    }
}

} // namespace
} // namespace trelvo
