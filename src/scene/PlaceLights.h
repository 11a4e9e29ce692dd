#pragma once

#include "lobby/PicButton.h"

#include <cstdint>
#include <functional>

namespace trelvo::scene {

// A marker over a place of the playing place: idle (white outline), under the pointer (white veil)
// or selected (yellow veil). The user selects it with a click; a selected marker ignores the pointer.
class TPlaceLights : public TLayout {
public:
    using TOn = std::function<void(uint8_t ID)>;
    enum : int8_t { kIdle = 0, kHover = 1, kSelected = 2 };

    TOn OnClick;

    TPlaceLights(TSceneObject *owner, uint8_t aID);

    uint8_t ID() const { return FID; }
    int8_t State() const { return FState; }
    // A different state cross-fades to its picture; raises nothing.
    void SetState(int8_t value);
    bool MouseInLights() const { return FMouseInLights; }
    TImageEx *Image() const { return FImage; }

private:
    void ChangeState(int8_t value);

    TImageEx *FImage;
    uint8_t FID;
    int8_t FState = kIdle;
    bool FMouseInLights = false;
    TBitmapAnimationEx *FAnimation;
};

} // namespace trelvo::scene
