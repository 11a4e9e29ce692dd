#pragma once

#include "lobby/LobbyTimings.h"

#include "CalloutHint.h"
#include "PicButton.h"

#include "kit/Text.h"

#include <QString>

#include <cstdint>

namespace trelvo {

// A TImageEx with the same delayed callout hint as TLayoutBase.
class TImageHint : public TImageEx {
public:
    explicit TImageHint(TSceneObject *AOwner = nullptr);
    ~TImageHint() override;

    int8_t State() const { return FHint.State(); }
    const TCalloutHint &CalloutHint() const { return FHint; }

    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(TShiftState shift, float x, float y) override;

private:
    TCalloutHint FHint;
};

// A TLayoutBase holding one text, sized to it, so that a text can carry a hint. Its users set the
// text's font, colour, word wrap and auto-size directly.
class TTextHint : public TLayoutBase {
public:
    explicit TTextHint(TSceneObject *AOwner = nullptr);

    TText *Text() const { return FText; }
    QString Caption() const { return FText->Text(); }
    // Sets the string, then takes the text's height and width.
    void SetCaption(const QString &value);

private:
    TText *FText;
};

// A TImageHint with an inactive and an active picture. Setting Active only prepares the fade (old
// picture to new); StartAnim plays it over Duration. The creator loads the first picture itself.
class TIcon : public TImageHint {
public:
    static constexpr double kDefaultDurationSeconds = LobbyTimings::kHintImageFadeSeconds;

    explicit TIcon(TSceneObject *AOwner = nullptr);

    TBitmapAnimationEx *Animation() const { return FAnimation; }

    bool Active() const { return FActive; }
    void SetActive(bool value);
    void SetActiveImg(const QString &value) { FActiveImg = value; }
    void SetNoActiveImg(const QString &value) { FNoActiveImg = value; }
    void SetDuration(double seconds) { FAnimation->SetDuration(seconds); }

    // With both pictures named: a running fade jumps to its end, then the fade starts again.
    void StartAnim();
    // A running fade jumps to its end picture.
    void StopAnim();
    // Shows the picture of the state at once, without a fade (a widget reused for another item).
    void SetActiveNow(bool value);

private:
    TBitmapAnimationEx *FAnimation;
    bool FActive = false;
    QString FActiveImg, FNoActiveImg;
};

} // namespace trelvo
