#include "PicButton.h"

#include "Log.h"

#include "common/Exceptions.h"
#include "kit/AssetLoader.h"
#include "kit/Form.h"

#include <utility>

namespace trelvo {

// --- TImageEx -------------------------------------------------------------------------------

void TImageEx::LoadFromResources(const QString &ResName) {
    FPendingResource.clear();
    SetBitmap(LoadBitmap(ResName));
    if (FAutoSize)
        ApplyAutoSize();
}

void TImageEx::LoadFromResourcesWhenPainted(const QString &ResName) {
    FPendingResource = ResName;
}

void TImageEx::Paint(QPainter &painter) {
    if (!FPendingResource.isEmpty()) {
        const QString name = std::exchange(FPendingResource, QString());
        try {
            LoadFromResources(name);
        } catch (const EAssetNotFound &e) {
            // An exception must not leave a paint event: the picture stays empty.
            qCWarning(lcLobby) << "picture" << name << "not drawn:" << e.what();
        }
    }
    TImage::Paint(painter);
}

void TImageEx::SetAutoSize(bool value) {
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    ApplyAutoSize();
}

void TImageEx::ApplyAutoSize() {
    SetWrapMode(TImageWrapMode::Original);
    SetHeight(static_cast<float>(BitmapHeight()));
    SetWidth(static_cast<float>(BitmapWidth()));
}

// --- TBitmapAnimationEx ---------------------------------------------------------------------

void TBitmapAnimationEx::LoadStartValueFromRes(const QString &ResName) {
    SetStartValue(LoadBitmap(ResName));
}

void TBitmapAnimationEx::LoadStopValueFromRes(const QString &ResName) {
    SetStopValue(LoadBitmap(ResName));
}

// --- TLayoutBase ----------------------------------------------------------------------------

TLayoutBase::TLayoutBase(TSceneObject *owner) : TLayout(owner), FHint(*this) {
    SetHitTest(true);
}

TLayoutBase::~TLayoutBase() = default;

void TLayoutBase::MouseEnter() {
    FHint.PointerEnter();
    TLayout::MouseEnter();
}

void TLayoutBase::MouseLeave() {
    FHint.PointerLeave();
    TLayout::MouseLeave();
}

void TLayoutBase::MouseMove(TShiftState shift, float x, float y) {
    FHint.PointerMove();
    TLayout::MouseMove(shift, x, y);
}

// --- TPicButton -----------------------------------------------------------------------------

TPicButton::TPicButton(TSceneObject *AOwner, const TResBut &aImg) : TLayoutBase(AOwner), FImgName(aImg) {
    if (aImg.Waiting.isEmpty())
        throw EAssetNotFound("a picture button needs a Waiting picture");
    FImage = new TImageEx(this);
    FImage->SetParent(this);
    FImage->SetAlign(TAlignLayout::Client);
    FImage->SetHitTest(false);
    FImage->LoadFromResources(aImg.Waiting);
    FAnimation = new TBitmapAnimationEx(FImage);
    FAnimation->SetParent(FImage);
    FAnimation->SetDuration(kFadeSeconds);
}

QString TPicButton::PictureOf(const TResBut &names, uint8_t state) {
    switch (state) {
    case kWaiting:
        return names.Waiting;
    case kActive:
        return names.Active;
    case kClick:
        return names.Click;
    case kUnEnable:
        return names.UnEnable;
    default:
        return QString();
    }
}

QString TPicButton::PictureOf(uint8_t state) const {
    return PictureOf(FImgName, state);
}

QImage TPicButton::PictureOrShown(uint8_t state) const {
    const QString name = PictureOf(state);
    return name.isEmpty() ? FImage->Bitmap() : LoadBitmap(name);
}

void TPicButton::Transition(uint8_t s) {
    FAnimation->Stop();
    // A state without a picture of its own keeps what the button shows, rather than fading it out.
    const QImage start = PictureOrShown(FStateButton);
    FAnimation->SetStartValue(start);
    FStateButton = s;
    FAnimation->SetStopValue(PictureOf(s).isEmpty() ? start : LoadBitmap(PictureOf(s)));
    FAnimation->Start();
}

void TPicButton::SetImgName(const TResBut &value) {
    if (value.Waiting.isEmpty())
        throw EAssetNotFound("a picture button needs a Waiting picture");
    // Opened before anything changes, so a wrong name leaves the button as it was.
    const QString name = PictureOf(value, FStateButton);
    if (!name.isEmpty())
        LoadBitmap(name);
    FAnimation->Stop();
    FImgName = value;
    if (!name.isEmpty())
        FImage->LoadFromResources(name);
}

void TPicButton::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    FEnabled = value;
    if (!FImgName.UnEnable.isEmpty())
        Transition(value ? kWaiting : kUnEnable);
}

void TPicButton::SetStretch(bool value) {
    FImage->SetWrapMode(value ? TImageWrapMode::Stretch : TImageWrapMode::Original);
}

void TPicButton::SetAutoSize(bool value) {
    FImage->SetAutoSize(value);
    SetHeight(static_cast<float>(FImage->BitmapHeight()));
    SetWidth(static_cast<float>(FImage->BitmapWidth()));
}

void TPicButton::DoPicClick() {
    if (OnPicClick)
        OnPicClick();
}

bool TPicButton::PointerInside() const {
    TForm *form = Form();
    if (!form)
        return false;
    const QPointF pointer = form->ScreenToClient(TScreen::MousePos());
    const QPointF corner = LocalToAbsolute(QPointF(0, 0));
    return pointer.x() > corner.x() && pointer.x() < corner.x() + Width() && pointer.y() > corner.y() &&
           pointer.y() < corner.y() + Height();
}

void TPicButton::MouseEnter() {
    auto alive = AliveToken();
    TLayoutBase::MouseEnter();
    if (!*alive || !FEnabled || FMouseState)
        return;
    FMouseState = true;
    Transition(kActive);
}

void TPicButton::MouseLeave() {
    auto alive = AliveToken();
    TLayoutBase::MouseLeave();
    // Entering a hit-testable child (an icon on a table row) leaves the button but not its box.
    if (!*alive || !FEnabled || PointerInside())
        return;
    FMouseState = false;
    Transition(kWaiting);
}

void TPicButton::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    if (FEnabled && button == TMouseButton::Left)
        Transition(kClick);
    TLayoutBase::MouseDown(button, shift, x, y);
}

void TPicButton::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
    auto alive = AliveToken();
    TLayoutBase::MouseUp(button, shift, x, y);
    if (!*alive || !FEnabled || button != TMouseButton::Left)
        return;
    if (x < 0 || y < 0 || x > Width() || y > Height())
        return;
    Transition(kActive);
    DoPicClick();
}

} // namespace trelvo
