#include "Animation.h"
#include "kit/KitTimings.h"

#include "Control.h"
#include "Image.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace trelvo {

namespace {
// Shorter than this is no animation: the property jumps to its stop value at Start.
constexpr double kImmediateSeconds = KitTimings::kImmediateSeconds;
} // namespace

TAnimation::TAnimation(TSceneObject *owner) : TSceneObject(owner) {}

TAnimation::~TAnimation() {
    Unregister();
}

TControl *TAnimation::Target() const {
    return dynamic_cast<TControl *>(Parent());
}

void TAnimation::Unregister() {
    if (FFrameId != 0) {
        FClock->RemoveFrameClient(FFrameId);
        FFrameId = 0;
    }
}

void TAnimation::Apply(double t) {
    FNormalized = t;
    ProcessAnimation(t);
}

void TAnimation::Finish() {
    // The handler may destroy this animation (or its parent): nothing touches `this` after it.
    if (OnFinish) {
        TNotify handler = OnFinish;
        handler(this);
    }
}

void TAnimation::Start() {
    Unregister();
    FTime = 0;
    FElapsedMs = 0;
    FBackward = false;
    FRunning = true;
    if (FDuration < kImmediateSeconds) {
        Apply(1);
        FRunning = false;
        Finish();
        return;
    }
    auto alive = AliveToken();
    Apply(0);
    if (!*alive || !FRunning)
        return;
    FClock = &TClock::Current();
    FLastMs = FClock->Now();
    FFrameId = FClock->AddFrameClient([this](int64_t now) { Frame(now); });
}

void TAnimation::Stop() {
    if (!FRunning)
        return;
    Unregister();
    auto alive = AliveToken();
    Apply(1);
    if (!*alive)
        return;
    FRunning = false;
    Finish();
}

void TAnimation::StopAtCurrent() {
    if (!FRunning)
        return;
    Unregister();
    FRunning = false;
    Finish();
}

void TAnimation::Frame(int64_t nowMs) {
    // Whole milliseconds add up exactly; a sum of fractions of a second would fall short of the end.
    FElapsedMs += nowMs - FLastMs;
    FLastMs = nowMs;
    FTime = static_cast<double>(FElapsedMs) / 1000.0;
    const double duration = FDuration;
    auto alive = AliveToken();
    if (duration < kImmediateSeconds || FTime >= duration) {
        if (FAutoReverse && !FBackward && duration >= kImmediateSeconds) {
            FBackward = true;
            FElapsedMs =
                std::min<int64_t>(FElapsedMs - std::llround(duration * 1000), std::llround(duration * 1000));
            FTime = static_cast<double>(FElapsedMs) / 1000.0;
        } else if (FLoop && duration >= kImmediateSeconds) {
            FBackward = false;
            FElapsedMs = (FElapsedMs - std::llround(duration * 1000)) %
                         std::max<int64_t>(1, std::llround(duration * 1000));
            FTime = static_cast<double>(FElapsedMs) / 1000.0;
        } else {
            Unregister();
            Apply(FBackward ? 0 : 1);
            if (!*alive)
                return;
            FRunning = false;
            Finish();
            return;
        }
    }
    const double t = std::clamp(FTime / duration, 0.0, 1.0);
    Apply(FBackward ? 1 - t : t);
    if (*alive && OnProcess) {
        TNotify handler = OnProcess;
        handler(this);
    }
}

void TFloatAnimation::ProcessAnimation(double t) {
    TControl *target = Target();
    if (!target)
        return;
    const float value = static_cast<float>(FStart + (FStop - FStart) * t);
    const QString &name = PropertyName();
    if (name == QLatin1String("Opacity"))
        target->SetOpacity(value);
    else if (name == QLatin1String("Position.X"))
        target->SetX(value);
    else if (name == QLatin1String("Position.Y"))
        target->SetY(value);
    else if (name == QLatin1String("Width"))
        target->SetWidth(value);
    else if (name == QLatin1String("Height"))
        target->SetHeight(value);
    else if (name == QLatin1String("RotationAngle"))
        target->SetRotationAngle(value);
}

TBitmapAnimation::TBitmapAnimation(TSceneObject *owner) : TAnimation(owner) {
    SetPropertyName(QStringLiteral("Bitmap"));
}

void TBitmapAnimation::ProcessAnimation(double t) {
    auto *image = dynamic_cast<TImage *>(Target());
    if (!image)
        return;
    if (t <= 0) {
        image->SetBitmap(FStart);
        return;
    }
    if (t >= 1) {
        image->SetBitmap(FStop);
        return;
    }
    const QSize size = !FStart.isNull() ? FStart.size() : FStop.size();
    if (size.isEmpty()) {
        image->SetBitmap(QImage());
        return;
    }
    QImage frame(size, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF rect(QPointF(0, 0), QSizeF(size));
    // Weighted sum rather than one over the other: two opaque pictures stay opaque all through the
    // fade instead of letting the table show through half-way.
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    if (!FStop.isNull()) {
        painter.setOpacity(t);
        painter.drawImage(rect, FStop);
    }
    if (!FStart.isNull()) {
        painter.setOpacity(1 - t);
        painter.drawImage(rect, FStart);
    }
    painter.end();
    image->SetBitmap(frame);
}

} // namespace trelvo
