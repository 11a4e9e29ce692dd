#pragma once

#include "lobby/HintImage.h"
#include "lobby/PicButton.h"

#include "common/Timer.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace trelvo::scene {

// The own seat's bar at the bottom centre: the own name, the turn clock counting down the seconds
// of whoever is on turn, and the small take and discard buttons.
class TPlayerBar : public TLayout {
public:
    using TOnPicClick = std::function<void()>;
    using TOnRound = std::function<void()>;

    TOnPicClick OnPickClick;
    TOnPicClick OnBitoClick;
    TOnRound OnRoundStart;
    TOnRound OnRoundStop;

    explicit TPlayerBar(TSceneObject *owner);
    ~TPlayerBar() override;

    // Shows Time and counts down once a second to "00", then raises OnRoundStop. A clock that runs
    // is restarted without a stop.
    void SetTime(uint8_t Time);
    // Stops the clock; the number shown stays.
    void StopTime();
    bool Running() const { return FTimerClock->Enabled(); }

    QString PlayerName() const { return FTextNick->Caption(); }
    void SetPlayerName(const QString &value) { FTextNick->SetCaption(value); }
    void SetActiveTakeButton(bool value) { FButtonTake->SetEnabled(value); }
    void SetActiveBitoButton(bool value) { FButtonBito->SetEnabled(value); }

    TImageEx *ImageBar() const { return FImageBar; }
    TImageHint *ImageClock() const { return FImageClock; }
    TTextHint *TextClock() const { return FTextClock; }
    TTextHint *TextNick() const { return FTextNick; }
    TPicButton *ButtonTake() const { return FButtonTake; }
    TPicButton *ButtonBito() const { return FButtonBito; }

private:
    void Tick();

    TImageEx *FImageBar;
    TImageHint *FImageClock;
    TTextHint *FTextClock;
    TTextHint *FTextNick;
    TPicButton *FButtonTake;
    TPicButton *FButtonBito;
    std::unique_ptr<TTimer> FTimerClock;
    uint8_t FTimeClock = 0;
};

} // namespace trelvo::scene
