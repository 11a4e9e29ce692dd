#pragma once

#include "lobby/LobbyTimings.h"

#include "PicButton.h"
#include "Window.h"

#include "common/Timer.h"
#include "game/api/CardModel.h"
#include "kit/Shapes.h"
#include "kit/StdControls.h"
#include "kit/Text.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace trelvo {

// One seat of the waiting room: its number, the player's name and "Готов!" centred under the
// state header when the player is ready.
class TListLine : public TLayout {
public:
    // type_line: the line gets the grey background picture. aStateLeft, aStateWidth: the state
    // column in the line's coordinates.
    TListLine(TSceneObject *AOwner, bool type_line, float aStateLeft, float aStateWidth);

    void SetName(const QString &value) { FLabel_Name->SetText(value); }
    void SetState(bool value);
    bool State() const { return FState; }
    void SetNumber(uint8_t value);

    TImageEx *Image() const { return FImage; }
    TText *Label_Name() const { return FLabel_Name; }
    TText *Label_State() const { return FLabel_State; }
    TText *Label_Number() const { return FLabel_Number; }

private:
    TImageEx *FImage = nullptr;
    TText *FLabel_Name;
    TText *FLabel_State;
    TText *FLabel_Number;
    bool FState = false;
    float FStateLeft, FStateWidth;
};

// The waiting room: the table's banner, its four seats, the own player's ready button and the
// countdown that the game server starts. At three seconds readiness freezes, and a player who is
// not ready leaves by the window closing itself.
class TWindowShowPlayer : public TWindow {
public:
    using TOnReady = std::function<void(bool State)>;

    static constexpr int kTimerInviteMs = LobbyTimings::kCountdownTickMs;
    // The count at which readiness can no longer change.
    static constexpr int kFreezeSeconds = LobbyTimings::kCountdownFreezeSeconds;
    // Space between the countdown's indicator and the readiness message.
    static constexpr float kReadyTextGap = 8;
    // The ready button while a game this player went out of runs on.
    static constexpr float kRestingOpacity = 0.45f;
    enum : uint16_t { kLose = 0, kWin = 1, kDraw = 2, kNewTable = 3 };

    TOnReady OnReady;

    explicit TWindowShowPlayer(TSceneObject *AOwner);
    ~TWindowShowPlayer() override;

    void SetWidth(float w) override;

    void SetPlayerList(const TPlayerList &PlayerList);
    int TableID() const { return FTableID; }
    // Title "Стол " and the value.
    void SetTableID(int value);
    // The banner: 0 lost, 1 won, 2 draw, 3 gathering players; other values name no picture.
    void SetPlayerWin(uint16_t value);
    void StartTimerInvite(int Time);
    void StopTimerInvite();
    // What the game server last said: this player's readiness, and whether a game this player went out
    // of still runs at the table. While it runs the button rests: the server resets readiness at its end.
    void SetInviteState(bool Ready, bool GameRuns);

    bool StateReady() const { return FStateReady; }
    bool GameRuns() const { return FGameRuns; }
    int Time_Invite() const { return FTime_Invite; }
    const TTimer &Timer_Invite() const { return *FTimer_Invite; }
    TPicButton *Button_Ready() const { return FButton_Ready; }
    TText *Text_Time() const { return FText_Time; }
    TText *Text_Ready() const { return FText_Ready; }
    TText *Label_Number() const { return FLabel_Number; }
    TText *Label_Name() const { return FLabel_Name; }
    TText *Label_State() const { return FLabel_State; }
    TLine *Line_Top() const { return FLine_Top; }
    TLine *Line_Bottom() const { return FLine_Bottom; }
    TListLine *ListLine(int seat) const { return FListLine.at(static_cast<size_t>(seat - 1)); }
    TImageEx *WinState_Image() const { return FWinState_Image; }
    TBusyIndicator *AniIndicator() const { return FAniIndicator; }

private:
    void ToggleReady();
    void TimerTick();
    void ShowTime();
    void Freeze(bool frozen);
    // The button's pictures and state and the message under the list, from readiness, a game still
    // running and the countdown.
    void ShowReadiness();

    TPicButton *FButton_Ready;
    bool FStateReady = false;
    bool FGameRuns = false;
    bool FFrozen = false;
    bool FCountdownRuns = false;
    // Somebody sits and every seated player is ready.
    bool FAllSeatedReady = false;
    TLine *FLine_Bottom;
    TLine *FLine_Top;
    TText *FText_Time;
    TText *FText_Ready;
    TText *FLabel_Number;
    TText *FLabel_State;
    TText *FLabel_Name;
    std::array<TListLine *, 4> FListLine{};
    int FTableID = 0;
    std::unique_ptr<TTimer> FTimer_Invite;
    int FTime_Invite = 0;
    TImageEx *FWinState_Image;
    TBusyIndicator *FAniIndicator;
};

} // namespace trelvo
