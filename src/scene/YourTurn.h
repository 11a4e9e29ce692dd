#pragma once

#include "lobby/PicButton.h"

#include "common/Timer.h"
#include "kit/Animation.h"
#include "kit/Effects.h"

#include <memory>

namespace trelvo::scene {

// The glowing your-turn picture in the middle of the table: fades in, stays half a second, fades out.
class TYourTurn : public TLayout {
public:
    static constexpr float kWidth = 161, kHeight = 65;
    static constexpr float kShownOpacity = 0.6f;

    explicit TYourTurn(TSceneObject *owner);
    ~TYourTurn() override;

    // Starts a fresh cycle from transparent.
    void Show();
    void Hide();

    TImageEx *Image() const { return FImage; }
    bool Cycling() const;

private:
    TImageEx *FImage;
    std::unique_ptr<TTimer> FTimer;
    TFloatAnimation *FAnimationOpen;
    TFloatAnimation *FAnimationClose;
    TShadowEffect *FShadow;
};

} // namespace trelvo::scene
