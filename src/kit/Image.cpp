#include "Image.h"

#include <QPainter>

#include <cmath>

namespace trelvo {

TImage::TImage(TSceneObject *owner) : TControl(owner) { ApplyBounds(0, 0, 100, 100); }

void TImage::SetBitmap(const QImage &bitmap)
{
    // Premultiplied pixels blit fastest; pictures without alpha stay opaque.
    if (bitmap.isNull() || bitmap.format() == QImage::Format_ARGB32_Premultiplied ||
        bitmap.format() == QImage::Format_RGB32)
        FBitmap = bitmap;
    else
        FBitmap = bitmap.convertToFormat(bitmap.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                    : QImage::Format_RGB32);
    FScaled = QImage();
    Invalidate();
}

void TImage::SetWrapMode(TImageWrapMode mode)
{
    if (mode == FWrapMode)
        return;
    FWrapMode = mode;
    FScaled = QImage();
    Invalidate();
}

QRectF TImage::TargetRect() const
{
    const float w = Width(), h = Height();
    const float bw = static_cast<float>(FBitmap.width()), bh = static_cast<float>(FBitmap.height());
    switch (FWrapMode) {
    case TImageWrapMode::Original: return {0, 0, bw, bh};
    case TImageWrapMode::Stretch: return {0, 0, w, h};
    case TImageWrapMode::Fit: {
        if (bw <= 0 || bh <= 0)
            return {};
        const float scale = std::min(w / bw, h / bh);
        const float tw = bw * scale, th = bh * scale;
        return {(w - tw) / 2, (h - th) / 2, tw, th};
    }
    }
    return {};
}

void TImage::Paint(QPainter &painter)
{
    if (FBitmap.isNull() || Width() <= 0 || Height() <= 0)
        return;
    const QRectF target = TargetRect();
    if (FWrapMode == TImageWrapMode::Original) {
        painter.save();
        painter.setClipRect(LocalRect(), Qt::IntersectClip);
        painter.drawImage(QPointF(0, 0), FBitmap);
        painter.restore();
        return;
    }
    if (target.size() == QSizeF(FBitmap.size())) {
        painter.drawImage(target.topLeft(), FBitmap);
        return;
    }
    // Scale once per size with a smooth filter and keep it; drawing a scaled copy every frame
    // would filter the whole source each time.
    const QSize size(static_cast<int>(std::lround(target.width())), static_cast<int>(std::lround(target.height())));
    if (size.isEmpty())
        return;
    if (FScaled.isNull() || FScaledKey != FBitmap.cacheKey() || FScaledSize != size) {
        FScaled = FBitmap.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        FScaledKey = FBitmap.cacheKey();
        FScaledSize = size;
    }
    painter.drawImage(target, FScaled);
}

} // namespace trelvo
