#pragma once

#include "kit/KitTimings.h"

#include "SceneObject.h"

#include <QImage>
#include <QString>

#include <functional>

namespace trelvo {

class TControl;

// An animation is a child of the object it animates and runs on TClock::Current(): it asks the
// clock for frames only while it runs, so an idle scene produces none.
//
// Start: the property takes the start value at once (the first frame), moves linearly and reaches
// the stop value after Duration seconds; then the animation stops and raises OnFinish.
// Stop on a running animation: the property jumps to the stop value, the animation is marked
// stopped, then OnFinish is raised (inside it Running() is false). Stop on a stopped animation
// does nothing. Start on a running animation restarts it without a finish.
// Duration is read on every frame, so changing it affects a running animation.
// Loop repeats for ever; AutoReverse plays every pass forward and then backward.
class TAnimation : public TSceneObject {
public:
    using TNotify = std::function<void(TAnimation *sender)>;

    TNotify OnFinish;
    TNotify OnProcess;

    explicit TAnimation(TSceneObject *owner = nullptr);
    ~TAnimation() override;

    double Duration() const { return FDuration; }
    void SetDuration(double seconds) { FDuration = seconds; }
    bool Loop() const { return FLoop; }
    void SetLoop(bool value) { FLoop = value; }
    bool AutoReverse() const { return FAutoReverse; }
    void SetAutoReverse(bool value) { FAutoReverse = value; }
    const QString &PropertyName() const { return FPropertyName; }
    void SetPropertyName(const QString &name) { FPropertyName = name; }

    bool Running() const { return FRunning; }
    // Position within the current pass, 0 (start value) to 1 (stop value).
    double NormalizedTime() const { return FNormalized; }

    void Start();
    void Stop();
    // Halts where it stands and raises OnFinish (no jump to the stop value).
    void StopAtCurrent();

protected:
    // Applies the property for t in [0, 1].
    virtual void ProcessAnimation(double t) = 0;
    TControl *Target() const;

private:
    void Frame(int64_t nowMs);
    void Apply(double t);
    void Finish();
    void Unregister();

    double FDuration = KitTimings::kAnimationSeconds;
    bool FLoop = false, FAutoReverse = false;
    QString FPropertyName;
    bool FRunning = false;
    bool FBackward = false;
    double FTime = 0;
    int64_t FElapsedMs = 0;
    double FNormalized = 0;
    int64_t FLastMs = 0;
    TClock *FClock = nullptr;
    TClock::TId FFrameId = 0;
};

// Drives one float property of its parent control: "Opacity", "Position.X", "Position.Y" (also
// "Width", "Height", "RotationAngle").
class TFloatAnimation : public TAnimation {
public:
    explicit TFloatAnimation(TSceneObject *owner = nullptr) : TAnimation(owner) {}

    float StartValue() const { return FStart; }
    void SetStartValue(float value) { FStart = value; }
    float StopValue() const { return FStop; }
    void SetStopValue(float value) { FStop = value; }

protected:
    void ProcessAnimation(double t) override;

private:
    float FStart = 0, FStop = 0;
};

// Drives the "Bitmap" of its parent image: a cross-fade that shows the start bitmap at opacity
// 1 - t together with the stop bitmap at opacity t (summed, so opaque pictures stay opaque), and
// the stop bitmap itself at the end. An empty stop bitmap fades the picture out.
class TBitmapAnimation : public TAnimation {
public:
    explicit TBitmapAnimation(TSceneObject *owner = nullptr);

    const QImage &StartValue() const { return FStart; }
    void SetStartValue(const QImage &bitmap) { FStart = bitmap; }
    const QImage &StopValue() const { return FStop; }
    void SetStopValue(const QImage &bitmap) { FStop = bitmap; }

protected:
    void ProcessAnimation(double t) override;

private:
    QImage FStart, FStop;
};

} // namespace trelvo
