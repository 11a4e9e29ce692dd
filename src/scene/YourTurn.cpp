#include "YourTurn.h"

#include "SceneTimings.h"

namespace trelvo::scene {

TYourTurn::TYourTurn(TSceneObject *owner) : TLayout(owner) {
    SetAlign(TAlignLayout::Center);
    SetSize(kWidth, kHeight);
    SetOpacity(0);
    FImage = new TImageEx(this);
    FImage->SetParent(this);
    FImage->SetAlign(TAlignLayout::Client);
    FImage->SetHitTest(false);
    FImage->LoadFromResources(QStringLiteral("Icon_Your_Turn"));

    FTimer = std::make_unique<TTimer>();
    FTimer->SetEnabled(false);
    FTimer->SetInterval(scene::kYourTurnStayMs);
    auto fade = [this](const char *name, float from, float to, double seconds) {
        auto *animation = new TFloatAnimation(this);
        animation->SetParent(this);
        animation->SetName(QString::fromLatin1(name));
        animation->SetPropertyName(QStringLiteral("Opacity"));
        animation->SetStartValue(from);
        animation->SetStopValue(to);
        animation->SetDuration(seconds);
        return animation;
    };
    FAnimationOpen = fade("Open", 0, kShownOpacity, scene::kYourTurnFadeInSeconds);
    FAnimationOpen->OnFinish = [this](TAnimation *) { FTimer->SetEnabled(true); };
    FAnimationClose = fade("Close", kShownOpacity, 0, scene::kYourTurnFadeOutSeconds);
    FTimer->OnTimer = [this](TTimer *) {
        FTimer->SetEnabled(false);
        FAnimationClose->Start();
    };

    FShadow = new TShadowEffect(FImage);
    FShadow->SetParent(FImage);
    FShadow->SetName(QStringLiteral("Shadow"));
    FShadow->SetDirection(0);
    FShadow->SetDistance(0);
    FShadow->SetOpacity(1);
    FShadow->SetSoftness(0.5f);
}

TYourTurn::~TYourTurn() {
    FTimer->SetEnabled(false);
}

bool TYourTurn::Cycling() const {
    return FAnimationOpen->Running() || FAnimationClose->Running() || FTimer->Enabled();
}

void TYourTurn::Show() {
    SetVisible(true);
    FAnimationOpen->Stop();
    FAnimationClose->Stop();
    FTimer->SetEnabled(false);
    FAnimationOpen->Start();
}

void TYourTurn::Hide() {
    SetVisible(false);
    FAnimationOpen->Stop();
    FAnimationClose->Stop();
    FTimer->SetEnabled(false);
    SetOpacity(0);
}

} // namespace trelvo::scene
