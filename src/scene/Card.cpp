#include "Card.h"

#include "SceneTimings.h"

namespace trelvo::scene {

namespace {
TImageEx *CardPicture(TCard *card) {
    auto *image = new TImageEx(card);
    image->SetParent(card);
    image->SetAlign(TAlignLayout::Client);
    image->SetWrapMode(TImageWrapMode::Original);
    image->SetHitTest(false);
    return image;
}

TBitmapAnimationEx *VeilFade(TImageEx *image) {
    auto *animation = new TBitmapAnimationEx(image);
    animation->SetParent(image);
    animation->SetDuration(scene::kCardLightsFadeSeconds);
    return animation;
}
} // namespace

// --- TCard ------------------------------------------------------------------------------------

TCard::TCard(TSceneObject *owner) : TLayout(owner) {
    SetSize(kWidth, kHeight);
    SetHitTest(true);
    SetRotationCenter(0, 0);
    FImage = CardPicture(this);
    FImageLights = CardPicture(this);
    FLightsOnAnimation = VeilFade(FImageLights);
    FLightsOnAnimation->LoadStartValueFromRes(QStringLiteral("Transparency"));
    FLightsOnAnimation->LoadStopValueFromRes(QStringLiteral("Card_Lights"));
    FLightsOffAnimation = VeilFade(FImageLights);
    FLightsOffAnimation->LoadStartValueFromRes(QStringLiteral("Card_Lights"));
}

void TCard::SetKind(uint8_t Suit, uint8_t Dignity) {
    FImage->LoadFromResources(QStringLiteral("Card_1_%1_%2").arg(Suit).arg(Dignity));
    FSuit = Suit;
    FDignity = Dignity;
}

void TCard::SetLights(bool value) {
    if (value == FLights)
        return;
    FLights = value;
    if (value) {
        FLightsOffAnimation->Stop();
        FLightsOnAnimation->Start();
    } else {
        FLightsOnAnimation->Stop();
        FLightsOffAnimation->Start();
    }
}

void TCard::SetRotate(bool value) {
    FRotate = value;
    SetRotationAngle(value ? 90 : 0);
}

void TCard::Click() {
    TLayout::Click();
    if (FLights && OnCardClick)
        OnCardClick(FNumberID, FID);
}

void TCard::MouseEnter() {
    TLayout::MouseEnter();
    if (OnCardMouseEnter)
        OnCardMouseEnter(FNumberID);
}

void TCard::MouseLeave() {
    TLayout::MouseLeave();
    if (OnCardMouseLeave)
        OnCardMouseLeave(FNumberID);
}

// --- TCardMoved -------------------------------------------------------------------------------

TCardMoved::TCardMoved(TSceneObject *owner) : TCard(owner), FDuration(scene::kCardFlightSeconds) {
    auto axis = [this](const char *name, const char *property) {
        auto *animation = new TFloatAnimation(this);
        animation->SetParent(this);
        animation->SetName(QString::fromLatin1(name));
        animation->SetPropertyName(QString::fromLatin1(property));
        animation->SetDuration(FDuration);
        animation->OnFinish = [this](TAnimation *) { AnimationFinished(); };
        return animation;
    };
    FAnimationX = axis("AnimationX", "Position.X");
    FAnimationY = axis("AnimationY", "Position.Y");
}

void TCardMoved::SetDuration(double seconds) {
    if (seconds == FDuration)
        return;
    FDuration = seconds;
    FAnimationX->SetDuration(seconds);
    FAnimationY->SetDuration(seconds);
}

void TCardMoved::StartValue(float X, float Y) {
    FAnimationX->SetStartValue(X);
    FAnimationY->SetStartValue(Y);
}

void TCardMoved::StopValue(float X, float Y) {
    FAnimationX->SetStopValue(X);
    FAnimationY->SetStopValue(Y);
}

void TCardMoved::StartAnimation() {
    FAnimationX->Stop();
    FAnimationY->Stop();
    FAnimationX->Start();
    FAnimationY->Start();
}

void TCardMoved::StopAnimation() {
    FAnimationX->Stop();
    FAnimationY->Stop();
}

void TCardMoved::AnimationFinished() {
    // The first axis to end finds the other one still running and stays silent.
    if (!FAnimationX->Running() && !FAnimationY->Running() && OnFinish)
        OnFinish(ID());
}

} // namespace trelvo::scene
