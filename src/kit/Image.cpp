#include "Image.h"

#include <QPainter>

#include <cmath>

namespace trelvo {

TImage::TImage(TSceneObject *owner) : TControl(owner) {
    ApplyBounds(0, 0, 100, 100);
}

void TImage::SetBitmap(const QImage &bitmap) {
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

void TImage::SetWrapMode(TImageWrapMode mode) {
    if (mode == FWrapMode)
        return;
    FWrapMode = mode;
    FScaled = QImage();
    Invalidate();
}

QRectF TImage::TargetRect() const {
    const float w = Width(), h = Height();
    const float bw = static_cast<float>(FBitmap.width()), bh = static_cast<float>(FBitmap.height());
    switch (FWrapMode) {
    case TImageWrapMode::Original:
        return {0, 0, bw, bh};
    case TImageWrapMode::Stretch:
        return {0, 0, w, h};
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

bool TImage::Opaque() const {
    return FWrapMode == TImageWrapMode::Stretch && !FBitmap.isNull() && !FBitmap.hasAlphaChannel() &&
           Opacity() >= 1;
}

void TImage::Blit(QPainter &painter, const QRectF &target, const QImage &picture) {
    const QTransform world = painter.worldTransform();
    auto filtered = [&] {
        // Only a real transformation needs (and pays for) filtering.
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(target.topLeft(), picture);
        painter.restore();
    };
    if (world.type() <= QTransform::TxTranslate) {
        painter.drawImage(target.topLeft(), picture);
        return;
    }
    if (world.type() != QTransform::TxRotate) {
        filtered();
        return;
    }
    // Cards lying across are turned by a quarter: a turned copy blits without filtering, which is
    // many times cheaper than drawing through the rotation every frame.
    auto unit = [](qreal v) { return std::fabs(v) < 1e-6 || std::fabs(std::fabs(v) - 1) < 1e-6; };
    if (!unit(world.m11()) || !unit(world.m12()) || !unit(world.m21()) || !unit(world.m22())) {
        filtered();
        return;
    }
    const QTransform turn(std::round(world.m11()), std::round(world.m12()), std::round(world.m21()),
                          std::round(world.m22()), 0, 0);
    if (FTurned.isNull() || FTurnedKey != picture.cacheKey() || FTurnedBy != turn) {
        FTurned = picture.transformed(turn);
        FTurnedKey = picture.cacheKey();
        FTurnedBy = turn;
    }
    const QRectF device = world.mapRect(QRectF(target.topLeft(), QSizeF(picture.size())));
    painter.save();
    painter.setWorldTransform(QTransform());
    painter.drawImage(device.topLeft(), FTurned);
    painter.restore();
}

void TImage::Paint(QPainter &painter) {
    if (FBitmap.isNull() || Width() <= 0 || Height() <= 0)
        return;
    const QRectF target = TargetRect();
    if (FWrapMode == TImageWrapMode::Original) {
        // Clipped to the control by drawing only the part that fits.
        const int w = std::min(FBitmap.width(), static_cast<int>(std::floor(Width())));
        const int h = std::min(FBitmap.height(), static_cast<int>(std::floor(Height())));
        if (w <= 0 || h <= 0)
            return;
        if (w == FBitmap.width() && h == FBitmap.height())
            Blit(painter, QRectF(0, 0, w, h), FBitmap);
        else
            Blit(painter, QRectF(0, 0, w, h), FBitmap.copy(0, 0, w, h));
        return;
    }
    if (target.size() == QSizeF(FBitmap.size())) {
        Blit(painter, target, FBitmap);
        return;
    }
    // Scale once per size with a smooth filter and keep it; drawing a scaled copy every frame
    // would filter the whole source each time.
    const QSize size(static_cast<int>(std::lround(target.width())),
                     static_cast<int>(std::lround(target.height())));
    if (size.isEmpty())
        return;
    if (FScaled.isNull() || FScaledKey != FBitmap.cacheKey() || FScaledSize != size) {
        FScaled = FBitmap.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        FScaledKey = FBitmap.cacheKey();
        FScaledSize = size;
    }
    Blit(painter, QRectF(target.topLeft(), QSizeF(size)), FScaled);
}

} // namespace trelvo
