#include "HintImage.h"

namespace trelvo {

// --- TImageHint -----------------------------------------------------------------------------

TImageHint::TImageHint(TSceneObject *AOwner) : TImageEx(AOwner), FHint(*this) {
    SetHitTest(true);
}

TImageHint::~TImageHint() = default;

void TImageHint::MouseEnter() {
    FHint.PointerEnter();
    TImageEx::MouseEnter();
}

void TImageHint::MouseLeave() {
    FHint.PointerLeave();
    TImageEx::MouseLeave();
}

void TImageHint::MouseMove(TShiftState shift, float x, float y) {
    FHint.PointerMove();
    TImageEx::MouseMove(shift, x, y);
}

// --- TTextHint ------------------------------------------------------------------------------

TTextHint::TTextHint(TSceneObject *AOwner) : TLayoutBase(AOwner) {
    FText = new TText(this);
    FText->SetParent(this);
    FText->SetHitTest(false);
}

void TTextHint::SetCaption(const QString &value) {
    FText->SetText(value);
    SetHeight(FText->Height());
    SetWidth(FText->Width());
}

// --- TIcon ----------------------------------------------------------------------------------

TIcon::TIcon(TSceneObject *AOwner) : TImageHint(AOwner) {
    FAnimation = new TBitmapAnimationEx(this);
    FAnimation->SetParent(this);
    FAnimation->SetDuration(kDefaultDurationSeconds);
}

void TIcon::SetActive(bool value) {
    if (value == FActive)
        return;
    FAnimation->LoadStartValueFromRes(FActive ? FActiveImg : FNoActiveImg);
    FActive = value;
    FAnimation->LoadStopValueFromRes(FActive ? FActiveImg : FNoActiveImg);
}

void TIcon::StartAnim() {
    if (FActiveImg.isEmpty() || FNoActiveImg.isEmpty())
        return;
    FAnimation->Stop();
    FAnimation->Start();
}

void TIcon::StopAnim() {
    FAnimation->Stop();
}

void TIcon::SetActiveNow(bool value) {
    FAnimation->Stop();
    FActive = value;
    const QString &name = value ? FActiveImg : FNoActiveImg;
    if (!name.isEmpty())
        LoadFromResources(name);
}

} // namespace trelvo
