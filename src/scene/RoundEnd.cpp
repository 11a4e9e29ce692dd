#include "RoundEnd.h"

#include "SceneTimings.h"

namespace trelvo::scene {

TRoundEnd::TRoundEnd(TSceneObject *owner) : TLayout(owner) {
    SetOpacity(0);
    FImage = new TImageEx(this);
    FImage->SetParent(this);
    FImage->LoadFromResources(QStringLiteral("Round_End"));
    FImage->SetAutoSize(true);
    SetSize(FImage->Width(), FImage->Height());
    FImage->SetAlign(TAlignLayout::Client);
    FImage->SetHitTest(false);
    FText = new TText(this);
    FText->SetParent(this);
    FText->SetColor(0xFFFFFFFF);
    FText->SetBold(true);
    FText->SetFontSize(10);
    FText->SetWordWrap(false);
    FText->SetAutoSize(true);
    FText->SetHitTest(false);
    FText->SetAlign(TAlignLayout::Center);
    ShowTime();

    FAnimationOpen = new TFloatAnimation(this);
    FAnimationOpen->SetParent(this);
    FAnimationOpen->SetName(QStringLiteral("Open"));
    FAnimationOpen->SetPropertyName(QStringLiteral("Position.Y"));
    FAnimationOpen->SetDuration(scene::kRoundEndSlideSeconds);
    FAnimationOpen->OnFinish = [this](TAnimation *) { FSecondTimer->SetEnabled(true); };
    FAnimationClose = new TFloatAnimation(this);
    FAnimationClose->SetParent(this);
    FAnimationClose->SetName(QStringLiteral("Close"));
    FAnimationClose->SetPropertyName(QStringLiteral("Opacity"));
    FAnimationClose->SetStartValue(1);
    FAnimationClose->SetStopValue(0);
    FAnimationClose->SetDuration(scene::kRoundEndFadeSeconds);

    FSecondTimer = std::make_unique<TTimer>();
    FSecondTimer->SetEnabled(false);
    FSecondTimer->SetInterval(scene::kRoundEndTickMs);
    FSecondTimer->OnTimer = [this](TTimer *) { Tick(); };
}

TRoundEnd::~TRoundEnd() {
    FSecondTimer->SetEnabled(false);
}

void TRoundEnd::SetOffsetDown(float value) {
    FAnimationOpen->SetStartValue(value);
    FAnimationOpen->SetStopValue(value - kRise);
}

void TRoundEnd::ShowTime() {
    FText->SetText(QStringLiteral("Конец раунда: %1").arg(FTime));
}

void TRoundEnd::Start(uint8_t aTime) {
    // A countdown still running ends first; its plate comes back at once for the new one.
    Finish();
    FAnimationClose->Stop();
    FTime = static_cast<int8_t>(aTime);
    ShowTime();
    SetOpacity(1);
    FAnimationOpen->Start();
    FMoved = true;
}

void TRoundEnd::Finish() {
    if (!FMoved)
        return;
    FAnimationOpen->Stop();
    FSecondTimer->SetEnabled(false);
    FTime = 0;
    ShowTime();
    FAnimationClose->Start();
    FMoved = false;
    if (OnEnd)
        OnEnd();
}

void TRoundEnd::Tick() {
    --FTime;
    ShowTime();
    if (FTime <= 0)
        Finish();
}

} // namespace trelvo::scene
