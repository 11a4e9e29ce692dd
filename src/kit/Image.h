#pragma once

#include "Control.h"

#include <QImage>

namespace trelvo {

enum class TImageWrapMode {
    Original, // 1:1 from the top-left corner, clipped to the control
    Fit,      // scaled to fit inside, aspect ratio kept, centred
    Stretch,  // scaled to the control
};

// Shows a bitmap. Scaled copies are cached per size, so a stretched picture costs one blit a frame.
class TImage : public TControl {
public:
    explicit TImage(TSceneObject *owner = nullptr);

    const QImage &Bitmap() const { return FBitmap; }
    void SetBitmap(const QImage &bitmap);
    // The bitmap's pixel size (0 when empty).
    int BitmapWidth() const { return FBitmap.width(); }
    int BitmapHeight() const { return FBitmap.height(); }

    TImageWrapMode WrapMode() const { return FWrapMode; }
    void SetWrapMode(TImageWrapMode mode);

    // An opaque picture that covers the whole control (the form skips its fill under one).
    bool Opaque() const override;

protected:
    void Paint(QPainter &painter) override;

private:
    QRectF TargetRect() const;
    // Draws `picture` at `target` (own coordinates); a quarter turn is drawn from a turned copy.
    void Blit(QPainter &painter, const QRectF &target, const QImage &picture);

    QImage FBitmap;
    TImageWrapMode FWrapMode = TImageWrapMode::Fit;
    QImage FScaled;
    qint64 FScaledKey = 0;
    QSize FScaledSize;
    QImage FTurned;
    qint64 FTurnedKey = 0;
    QTransform FTurnedBy;
};

} // namespace trelvo
