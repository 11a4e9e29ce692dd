#include "PlayerBar.h"

#include "SceneTimings.h"

namespace trelvo::scene {

namespace {
const QString kClockHint =
    QStringLiteral("Время на ход (если дважды подряд Вы не успеете сделать ход в течение этого времени, "
                   "игра закончится и Вас оштрафуют).");

TTextHint *BarText(TControl *bar, float x, float y, float fontSize, const QString &hint) {
    auto *text = new TTextHint(bar);
    text->SetParent(bar);
    text->Text()->SetColor(0xFFFFFFFF);
    text->Text()->SetBold(true);
    text->Text()->SetWordWrap(false);
    text->Text()->SetFontSize(fontSize);
    text->Text()->SetAutoSize(true);
    text->SetPosition(x, y);
    text->SetHint(hint);
    text->SetShowHint(true);
    return text;
}

TPicButton *BarButton(TControl *bar, const QString &family, float x, const QString &hint) {
    auto *button = new TPicButton(bar, TResBut{family + "1", family + "2", family + "3", family + "4"});
    button->SetParent(bar);
    button->SetStretch(true);
    button->SetBounds(x, 47, 30, 30);
    button->SetHint(hint);
    button->SetShowHint(true);
    button->SetEnabled(false);
    return button;
}
} // namespace

TPlayerBar::TPlayerBar(TSceneObject *owner) : TLayout(owner) {
    FImageBar = new TImageEx(this);
    FImageBar->SetParent(this);
    FImageBar->LoadFromResources(QStringLiteral("Player_Bar"));
    FImageBar->SetAutoSize(true);
    SetSize(FImageBar->Width(), FImageBar->Height());
    FImageBar->SetAlign(TAlignLayout::Client);
    FImageBar->SetHitTest(false);

    FImageClock = new TImageHint(this);
    FImageClock->SetParent(this);
    FImageClock->LoadFromResources(QStringLiteral("Player_Bar_Clock"));
    FImageClock->SetAutoSize(true);
    FImageClock->SetPosition(200, 50);
    FImageClock->SetHint(kClockHint);
    FImageClock->SetShowHint(true);

    FTextClock = BarText(this, FImageClock->X() + 25, FImageClock->Y() + 2, 14, kClockHint);
    FTextNick = BarText(this, 25, FImageClock->Y() + 3, 12, QStringLiteral("Моё имя"));

    FButtonTake = BarButton(this, QStringLiteral("Player_Bar_Button_Take_"), 280, QStringLiteral("Взять"));
    FButtonTake->OnPicClick = [this] {
        if (OnPickClick)
            OnPickClick();
    };
    FButtonBito = BarButton(this, QStringLiteral("Player_Bar_Button_Bito_"),
                            FButtonTake->X() + FButtonTake->Width() + 2, QStringLiteral("Бито"));
    FButtonBito->OnPicClick = [this] {
        if (OnBitoClick)
            OnBitoClick();
    };

    FTimerClock = std::make_unique<TTimer>();
    FTimerClock->SetEnabled(false);
    FTimerClock->SetInterval(scene::kTurnClockTickMs);
    FTimerClock->OnTimer = [this](TTimer *) { Tick(); };
}

TPlayerBar::~TPlayerBar() {
    StopTime();
}

void TPlayerBar::SetTime(uint8_t Time) {
    FTimerClock->SetEnabled(false);
    FTextClock->SetCaption(QString::number(Time));
    FTimeClock = Time;
    // A clock of no seconds has nothing to count: counting down from 0 would wrap to 255.
    if (Time > 0)
        FTimerClock->SetEnabled(true);
    if (OnRoundStart)
        OnRoundStart();
}

void TPlayerBar::StopTime() {
    FTimerClock->SetEnabled(false);
}

void TPlayerBar::Tick() {
    --FTimeClock;
    FTextClock->SetCaption(QString::asprintf("%.2d", FTimeClock));
    if (FTimeClock == 0) {
        FTimerClock->SetEnabled(false);
        if (OnRoundStop)
            OnRoundStop();
    }
}

} // namespace trelvo::scene
