#pragma once

#include "lobby/PicButton.h"

#include "kit/Animation.h"
#include "kit/Control.h"

#include <cstdint>
#include <functional>

namespace trelvo::scene {

// One card on the table: a face or the back, with a yellow veil that fades in when the card may be
// played. It reports clicks (only while lit) and the pointer with two identities: its place in its
// container (NumberID) and the game server's card ID.
class TCard : public TLayout {
public:
    using TCardClick = std::function<void(uint8_t lID, uint8_t gID)>;
    using TCardMouse = std::function<void(uint8_t ID)>;
    static constexpr float kWidth = 71, kHeight = 96;

    TCardClick OnCardClick;
    TCardMouse OnCardMouseEnter;
    TCardMouse OnCardMouseLeave;

    explicit TCard(TSceneObject *owner);

    // Shows "Card_1_<Suit>_<Dignity>"; (0, 0) is the back.
    void SetKind(uint8_t Suit, uint8_t Dignity);
    uint8_t Suit() const { return FSuit; }
    uint8_t Dignity() const { return FDignity; }

    uint8_t ID() const { return FID; }
    void SetID(uint8_t value) { FID = value; }
    uint8_t NumberID() const { return FNumberID; }
    void SetNumberID(uint8_t value) { FNumberID = value; }

    bool Lights() const { return FLights; }
    // Fades the veil in or out over 0.05 s; the current value changes nothing.
    void SetLights(bool value);

    bool Rotate() const { return FRotate; }
    // Lies the card across: 90 degrees clockwise about its top-left corner.
    void SetRotate(bool value);

    TImageEx *Image() const { return FImage; }
    TImageEx *ImageLights() const { return FImageLights; }

    void Click() override;
    void MouseEnter() override;
    void MouseLeave() override;

private:
    TImageEx *FImage;
    TImageEx *FImageLights;
    uint8_t FSuit = 0, FDignity = 0;
    bool FRotate = false;
    uint8_t FID = 0, FNumberID = 0;
    bool FLights = false;
    TBitmapAnimationEx *FLightsOnAnimation;
    TBitmapAnimationEx *FLightsOffAnimation;
};

// A card that flies: two float animations move it from a start to a stop point together, and the
// landing is reported once, when both have ended.
class TCardMoved : public TCard {
public:
    using TOnFinish = std::function<void(uint8_t CardID)>;

    TOnFinish OnFinish;

    explicit TCardMoved(TSceneObject *owner);

    // Seconds of a flight; also changes a flight in the air (the duration is read every frame).
    void SetDuration(double seconds);
    double Duration() const { return FDuration; }
    void StartValue(float X, float Y);
    void StopValue(float X, float Y);
    // A flight still in the air lands at once first (and reports it), then the new one starts.
    void StartAnimation();
    // Lands a flight in the air at once (and reports it); nothing when none is.
    void StopAnimation();
    bool Flying() const { return FAnimationX->Running() || FAnimationY->Running(); }

private:
    void AnimationFinished();

    TFloatAnimation *FAnimationX;
    TFloatAnimation *FAnimationY;
    double FDuration;
};

} // namespace trelvo::scene
