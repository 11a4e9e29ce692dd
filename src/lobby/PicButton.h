#pragma once

#include "lobby/LobbyTimings.h"

#include "CalloutHint.h"

#include "kit/Animation.h"
#include "kit/Control.h"
#include "kit/Image.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace trelvo {

// The four picture names of a button; an empty name means no picture for that state.
struct TResBut {
    QString UnEnable; // state 4, disabled; may be empty
    QString Waiting;  // state 1, normal; required
    QString Active;   // state 2, pointer over it
    QString Click;    // state 3, pressed
};

// An image that loads a named asset and can size itself to it.
class TImageEx : public TImage {
public:
    explicit TImageEx(TSceneObject *owner = nullptr) : TImage(owner) {}

    // Decodes the named asset into the bitmap (an unknown name raises EAssetNotFound and keeps the
    // old bitmap); with AutoSize the image then takes the picture's size.
    void LoadFromResources(const QString &ResName);
    // The same, put off until the image is first painted: a large picture need not be decoded before
    // the window that shows it is on screen (the client connects to its host first). A name that turns
    // out unknown then leaves the image empty, with a warning.
    void LoadFromResourcesWhenPainted(const QString &ResName);

    bool AutoSize() const { return FAutoSize; }
    // A different value is stored and auto-size applied, also when switching it off.
    void SetAutoSize(bool value);

protected:
    void Paint(QPainter &painter) override;

private:
    void ApplyAutoSize();

    bool FAutoSize = false;
    QString FPendingResource;
};

// A cross-fade of its parent image's "Bitmap" between two named assets.
class TBitmapAnimationEx : public TBitmapAnimation {
public:
    explicit TBitmapAnimationEx(TSceneObject *owner = nullptr) : TBitmapAnimation(owner) {}

    void LoadStartValueFromRes(const QString &ResName);
    void LoadStopValueFromRes(const QString &ResName);
};

// An invisible, hit-testable layout that shows the delayed callout hint under the pointer and then
// raises OnMouseEnter, OnMouseMove and OnMouseLeave for its users.
class TLayoutBase : public TLayout {
public:
    explicit TLayoutBase(TSceneObject *owner = nullptr);
    ~TLayoutBase() override;

    // -1 idle, 0 hint delay running, 1 hint shown.
    int8_t State() const { return FHint.State(); }
    const TCalloutHint &CalloutHint() const { return FHint; }

    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(TShiftState shift, float x, float y) override;

private:
    TCalloutHint FHint;
};

// A picture button: four state pictures, cross-faded over 0.2 s on every state change, raising
// OnPicClick on a left release inside it. A state whose name is empty keeps the picture shown; a
// name that no asset bears raises EAssetNotFound at once.
class TPicButton : public TLayoutBase {
public:
    using TOnPicClick = std::function<void()>;
    static constexpr double kFadeSeconds = LobbyTimings::kPicButtonFadeSeconds;
    enum : uint8_t { kWaiting = 1, kActive = 2, kClick = 3, kUnEnable = 4 };

    TOnPicClick OnPicClick;

    // Builds the Client-aligned Image showing aImg.Waiting (which must not be empty).
    TPicButton(TSceneObject *AOwner, const TResBut &aImg);

    TImageEx *Image() const { return FImage; }
    TBitmapAnimationEx *Animation() const { return FAnimation; }
    uint8_t StateButton() const { return FStateButton; }
    bool MouseState() const { return FMouseState; }

    TResBut ImgName() const { return FImgName; }
    // Stops a running fade and shows the new picture of the current state at once (a state without
    // a picture keeps the one shown). An empty Waiting name raises EAssetNotFound and changes nothing.
    void SetImgName(const TResBut &value);

    // The button's own switch, apart from the control's: a disabled button still shows its hint
    // but ignores the pointer; with an UnEnable picture it shows that picture.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);

    // True: pictures stretched to the button; false: drawn 1:1.
    void SetStretch(bool value);
    // Sets Image's auto-size, then sizes the button to Image's picture.
    void SetAutoSize(bool value);

    // Called when a click is recognised; raises OnPicClick.
    virtual void DoPicClick();

    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;

protected:
    // Cross-fades from the current state's picture to state s's.
    void Transition(uint8_t s);
    // The pointer's screen position lies strictly inside the button's box.
    bool PointerInside() const;
    QString PictureOf(uint8_t state) const;
    static QString PictureOf(const TResBut &names, uint8_t state);
    // The state's picture, or the one shown now when the state has none.
    QImage PictureOrShown(uint8_t state) const;

private:
    TImageEx *FImage;
    TResBut FImgName;
    uint8_t FStateButton = kWaiting;
    bool FEnabled = true;
    TBitmapAnimationEx *FAnimation;
    bool FMouseState = false;
};

} // namespace trelvo
