#include "PlaceLights.h"

#include "SceneTimings.h"

namespace trelvo::scene {

namespace {
QString PictureOf(int8_t state) {
    return QStringLiteral("Place_Lights_%1").arg(state + 1);
}
} // namespace

TPlaceLights::TPlaceLights(TSceneObject *owner, uint8_t aID) : TLayout(owner), FID(aID) {
    SetVisible(false);
    FImage = new TImageEx(this);
    FImage->SetParent(this);
    FImage->LoadFromResources(PictureOf(kIdle));
    FImage->SetAutoSize(true);
    SetSize(FImage->Width(), FImage->Height());
    FImage->SetAlign(TAlignLayout::Client);
    FAnimation = new TBitmapAnimationEx(FImage);
    FAnimation->SetParent(FImage);
    FAnimation->SetDuration(scene::kPlaceLightsFadeSeconds);
    FImage->OnMouseEnter = [this](TControl *) {
        if (FState != kSelected) {
            FMouseInLights = true;
            ChangeState(kHover);
        }
    };
    FImage->OnMouseLeave = [this](TControl *) {
        if (FState != kSelected) {
            FMouseInLights = false;
            ChangeState(kIdle);
        }
    };
    FImage->OnMouseUp = [this](TControl *, TMouseButton, TShiftState, float, float) {
        if (FState == kSelected)
            return;
        ChangeState(kSelected);
        if (OnClick)
            OnClick(FID);
    };
}

void TPlaceLights::SetState(int8_t value) {
    if (value != FState)
        ChangeState(value);
}

void TPlaceLights::ChangeState(int8_t value) {
    FAnimation->Stop();
    FAnimation->LoadStartValueFromRes(PictureOf(FState));
    FAnimation->LoadStopValueFromRes(PictureOf(value));
    FState = value;
    FAnimation->Start();
}

} // namespace trelvo::scene
