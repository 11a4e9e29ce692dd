#include "Effects.h"

#include "Control.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace trelvo {

void TEffect::SetEnabled(bool value) {
    if (value == FEnabled)
        return;
    Changed();
    FEnabled = value;
    Changed();
}

void TEffect::Changed() {
    if (auto *control = dynamic_cast<TControl *>(Parent()))
        control->Invalidate();
}

const QImage &TEffect::Content(const TControl &control, int margin) {
    const QSizeF size(control.Width(), control.Height());
    if (FContentVersion != control.ContentVersion() || FContentMargin != margin || FContentSize != size) {
        FContent = control.RenderContent(margin);
        FContentVersion = control.ContentVersion();
        FContentMargin = margin;
        FContentSize = size;
    }
    return FContent;
}

// --- blur -----------------------------------------------------------------------------------

// Blurs `count` pixels read `stride` apart into the contiguous `out`.
static void BoxBlurLine(const uint32_t *in, uint32_t *out, int count, int stride, int radius) {
    // Running sums per channel over a window of 2r + 1 premultiplied pixels.
    const int window = 2 * radius + 1;
    uint32_t sum[4] = {0, 0, 0, 0};
    auto add = [&](uint32_t px, int sign) {
        for (int c = 0; c < 4; ++c)
            sum[c] += sign * int((px >> (8 * c)) & 0xFF);
    };
    auto at = [&](int i) -> uint32_t { return (i < 0 || i >= count) ? 0u : in[i * stride]; };
    for (int i = -radius; i <= radius; ++i)
        add(at(i), 1);
    for (int i = 0; i < count; ++i) {
        uint32_t px = 0;
        for (int c = 0; c < 4; ++c)
            px |= (sum[c] / window) << (8 * c);
        out[i] = px;
        add(at(i + radius + 1), 1);
        add(at(i - radius), -1);
    }
}

void BlurImage(QImage &image, int radius) {
    if (radius <= 0 || image.isNull())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int w = image.width(), h = image.height();
    const int stride = image.bytesPerLine() / 4;
    auto *bits = reinterpret_cast<uint32_t *>(image.bits());
    std::vector<uint32_t> line(std::max(w, h));
    const int passRadius = std::max(1, radius / 2);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {
            BoxBlurLine(bits + y * stride, line.data(), w, 1, passRadius);
            std::copy(line.begin(), line.begin() + w, bits + y * stride);
        }
        for (int x = 0; x < w; ++x) {
            BoxBlurLine(bits + x, line.data(), h, stride, passRadius);
            for (int y = 0; y < h; ++y)
                bits[x + y * stride] = line[y];
        }
    }
}

// --- shadow ---------------------------------------------------------------------------------

void TShadowEffect::SetDirection(float degrees) {
    if (degrees == FDirection)
        return;
    Changed();
    FDirection = degrees;
    Changed();
}

void TShadowEffect::SetDistance(float distance) {
    if (distance == FDistance)
        return;
    Changed();
    FDistance = distance;
    Changed();
}

void TShadowEffect::SetOpacity(float opacity) {
    FOpacity = std::clamp(opacity, 0.0f, 1.0f);
    Changed();
}

void TShadowEffect::SetSoftness(float softness) {
    if (softness == FSoftness)
        return;
    Changed();
    FSoftness = std::max(0.0f, softness);
    Changed();
}

void TShadowEffect::SetShadowColor(uint32_t argb) {
    FColor = argb;
    Changed();
}

int TShadowEffect::BlurRadius() const {
    return static_cast<int>(std::lround(FSoftness * 16));
}

QPointF TShadowEffect::Offset() const {
    const double rad = FDirection * M_PI / 180.0;
    return {std::cos(rad) * FDistance, std::sin(rad) * FDistance};
}

QRectF TShadowEffect::Extend(const QRectF &rect, const TControl &control) const {
    const int r = BlurRadius() + 1;
    const QRectF shadow = control.LocalRect().translated(Offset()).adjusted(-r, -r, r, r);
    return rect | shadow;
}

void TShadowEffect::PaintBefore(QPainter &painter, const TControl &control) {
    const int radius = BlurRadius();
    const int margin = radius + 1;
    const QImage &content = Content(control, margin);
    if (FShadowKey != control.ContentVersion() || FShadowRadius != radius || FShadowColor != FColor ||
        FShadowOpacity != FOpacity || FShadow.size() != content.size()) {
        FShadow = content.copy();
        // The shape's alpha in the shadow colour, then softened.
        QPainter tint(&FShadow);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(FShadow.rect(), QColor::fromRgba(FColor));
        tint.end();
        BlurImage(FShadow, radius);
        // The opacity goes into the pixels: a plain blit each frame instead of a faded one.
        if (FOpacity < 1) {
            QPainter fade(&FShadow);
            fade.setCompositionMode(QPainter::CompositionMode_DestinationIn);
            fade.fillRect(FShadow.rect(), QColor(0, 0, 0, static_cast<int>(std::lround(FOpacity * 255))));
        }
        FShadowKey = control.ContentVersion();
        FShadowRadius = radius;
        FShadowColor = FColor;
        FShadowOpacity = FOpacity;
    }
    painter.drawImage(Offset() - QPointF(margin, margin), FShadow);
}

// --- reflection -----------------------------------------------------------------------------

void TReflectionEffect::SetOpacity(float opacity) {
    FOpacity = std::clamp(opacity, 0.0f, 1.0f);
    Changed();
}

void TReflectionEffect::SetOffset(float offset) {
    Changed();
    FOffset = offset;
    Changed();
}

void TReflectionEffect::SetLength(float length) {
    Changed();
    FLength = std::clamp(length, 0.0f, 1.0f);
    Changed();
}

QRectF TReflectionEffect::Extend(const QRectF &rect, const TControl &control) const {
    const float h = control.Height();
    return rect | QRectF(0, h + FOffset, control.Width(), h * FLength);
}

void TReflectionEffect::PaintAfter(QPainter &painter, const TControl &control) {
    const QImage &content = Content(control, 0);
    const int h = content.height();
    const int shown = static_cast<int>(std::ceil(h * FLength));
    if (shown <= 0)
        return;
    QImage mirror = content.mirrored(false, true).copy(0, 0, content.width(), shown);
    QPainter fade(&mirror);
    fade.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    QLinearGradient gradient(0, 0, 0, shown);
    gradient.setColorAt(0, QColor(0, 0, 0, 255));
    gradient.setColorAt(1, QColor(0, 0, 0, 0));
    fade.fillRect(mirror.rect(), gradient);
    fade.end();
    painter.save();
    painter.setOpacity(painter.opacity() * FOpacity);
    painter.drawImage(QPointF(0, control.Height() + FOffset), mirror);
    painter.restore();
}

} // namespace trelvo
