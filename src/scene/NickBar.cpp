#include "NickBar.h"

#include "SceneTimings.h"

namespace trelvo::scene {

namespace {
const QString kHint = QStringLiteral("Имя моего соперника");
}

TNickBar::TNickBar(TSceneObject *owner) : TLayoutBase(owner) {
    SetSize(kWidth, kHeight);
    SetHint(kHint);
    SetShowHint(true);
    FImage = new TIcon(this);
    FImage->SetParent(this);
    FImage->SetAlign(TAlignLayout::Client);
    FImage->SetWrapMode(TImageWrapMode::Stretch);
    FImage->SetHitTest(false);
    FImage->SetHint(kHint);
    FImage->SetNoActiveImg(QStringLiteral("Nick_Bar_NoActive"));
    FImage->SetActiveImg(QStringLiteral("Nick_Bar_Active"));
    FImage->SetDuration(scene::kNickBarFadeSeconds);
    FImage->LoadFromResources(QStringLiteral("Nick_Bar_NoActive"));
    FNick = new TText(this);
    FNick->SetParent(this);
    FNick->SetColor(0xFFFFFFFF);
    FNick->SetBold(true);
    FNick->SetFontSize(10);
    FNick->SetWordWrap(false);
    FNick->SetAutoSize(true);
    FNick->SetHitTest(false);
    FNick->SetAlign(TAlignLayout::Center);
}

void TNickBar::SetActive(bool value) {
    if (value == FImage->Active())
        return;
    FImage->SetActive(value);
    FImage->StartAnim();
}

} // namespace trelvo::scene
