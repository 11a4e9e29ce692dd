#pragma once

#include "SceneObject.h"

#include <QImage>
#include <QRectF>

#include <cstdint>

class QPainter;

namespace trelvo {

class TControl;

// An effect is a child of the control it decorates. It draws before (a shadow) or after (a
// reflection) the control and its children.
class TEffect : public TSceneObject {
public:
    explicit TEffect(TSceneObject *owner = nullptr) : TSceneObject(owner) {}

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);

    // The area the control covers with this effect, in the control's coordinates.
    virtual QRectF Extend(const QRectF &rect, const TControl &control) const = 0;
    virtual void PaintBefore(QPainter &painter, const TControl &control) { (void)painter, (void)control; }
    virtual void PaintAfter(QPainter &painter, const TControl &control) { (void)painter, (void)control; }

protected:
    // Repaints the decorated control after a property change.
    void Changed();
    // The control's content with a margin, re-rendered only when the control looks different.
    const QImage &Content(const TControl &control, int margin);

private:
    bool FEnabled = true;
    QImage FContent;
    uint64_t FContentVersion = ~uint64_t(0);
    int FContentMargin = -1;
    QSizeF FContentSize;
};

// A soft shadow of the control's shape: offset by Distance towards Direction (degrees clockwise
// from the +X axis, so 90 points down), blurred by Softness, at Opacity.
class TShadowEffect : public TEffect {
public:
    explicit TShadowEffect(TSceneObject *owner = nullptr) : TEffect(owner) {}

    float Direction() const { return FDirection; }
    void SetDirection(float degrees);
    float Distance() const { return FDistance; }
    void SetDistance(float distance);
    float Opacity() const { return FOpacity; }
    void SetOpacity(float opacity);
    float Softness() const { return FSoftness; }
    void SetSoftness(float softness);
    uint32_t ShadowColor() const { return FColor; }
    void SetShadowColor(uint32_t argb);

    QRectF Extend(const QRectF &rect, const TControl &control) const override;
    void PaintBefore(QPainter &painter, const TControl &control) override;

private:
    int BlurRadius() const;
    QPointF Offset() const;

    float FDirection = 45, FDistance = 3, FOpacity = 0.6f, FSoftness = 0.3f;
    uint32_t FColor = 0xFF000000;
    QImage FShadow;
    uint64_t FShadowKey = ~uint64_t(0);
    int FShadowRadius = -1;
    uint32_t FShadowColor = 0;
    float FShadowOpacity = -1;
};

// A mirror image under the control: Offset units below its bottom edge, Length the part of the
// height that shows, fading from Opacity to nothing.
class TReflectionEffect : public TEffect {
public:
    explicit TReflectionEffect(TSceneObject *owner = nullptr) : TEffect(owner) {}

    float Opacity() const { return FOpacity; }
    void SetOpacity(float opacity);
    float Offset() const { return FOffset; }
    void SetOffset(float offset);
    float Length() const { return FLength; }
    void SetLength(float length);

    QRectF Extend(const QRectF &rect, const TControl &control) const override;
    void PaintAfter(QPainter &painter, const TControl &control) override;

private:
    float FOpacity = 0.5f, FOffset = 0, FLength = 0.5f;
};

// Blurs an image in place (three box passes, close to a gaussian of that radius).
void BlurImage(QImage &image, int radius);

} // namespace trelvo
