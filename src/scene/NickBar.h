#pragma once

#include "lobby/HintImage.h"
#include "lobby/PicButton.h"

#include "kit/Text.h"

#include <QString>

namespace trelvo::scene {

// An opponent's name plate; it lights up (a 0.4 s cross-fade) while that opponent is on turn.
class TNickBar : public TLayoutBase {
public:
    static constexpr float kWidth = 150, kHeight = 20;

    explicit TNickBar(TSceneObject *owner);

    bool Active() const { return FImage->Active(); }
    // A different value cross-fades the plate to its other picture.
    void SetActive(bool value);
    QString Nick() const { return FNick->Text(); }
    void SetNick(const QString &value) { FNick->SetText(value); }

    TIcon *Image() const { return FImage; }
    TText *NickText() const { return FNick; }

private:
    TIcon *FImage;
    TText *FNick;
};

} // namespace trelvo::scene
