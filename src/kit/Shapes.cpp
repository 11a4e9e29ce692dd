#include "Shapes.h"

#include <QPainter>

#include <algorithm>

namespace trelvo {

TRectangle::TRectangle(TSceneObject *owner) : TControl(owner) {}

void TRectangle::SetFill(uint32_t argb) {
    FFill = argb;
    Invalidate();
}

void TRectangle::SetStroke(uint32_t argb) {
    FStroke = argb;
    Invalidate();
}

void TRectangle::SetStrokeThickness(float thickness) {
    FThickness = std::max(0.0f, thickness);
    Invalidate();
}

void TRectangle::SetXRadius(float radius) {
    FXRadius = std::max(0.0f, radius);
    Invalidate();
}

void TRectangle::SetYRadius(float radius) {
    FYRadius = std::max(0.0f, radius);
    Invalidate();
}

QPainterPath TRectangle::Outline() const {
    QPainterPath path;
    const float half = FThickness / 2;
    path.addRoundedRect(LocalRect().adjusted(half, half, -half, -half), FXRadius, FYRadius);
    return path;
}

void TRectangle::Paint(QPainter &painter) {
    if (Width() <= 0 || Height() <= 0)
        return;
    painter.save();
    painter.setBrush(QColor::fromRgba(FFill));
    if (FThickness > 0 && qAlpha(FStroke) > 0)
        painter.setPen(QPen(QColor::fromRgba(FStroke), FThickness));
    else
        painter.setPen(Qt::NoPen);
    painter.drawPath(Outline());
    painter.restore();
}

void TCalloutRectangle::SetCalloutPosition(TCalloutPosition position) {
    FPosition = position;
    Invalidate();
}

void TCalloutRectangle::SetCalloutWidth(float width) {
    FCalloutWidth = std::max(0.0f, width);
    Invalidate();
}

void TCalloutRectangle::SetCalloutLength(float length) {
    FCalloutLength = std::max(0.0f, length);
    Invalidate();
}

void TCalloutRectangle::SetCalloutOffset(float offset) {
    FCalloutOffset = offset;
    Invalidate();
}

QPainterPath TCalloutRectangle::Outline() const {
    const float half = StrokeThickness() / 2;
    QRectF box = LocalRect().adjusted(half, half, -half, -half);
    const float len = FCalloutLength;
    const bool horizontalEdge = FPosition == TCalloutPosition::Top || FPosition == TCalloutPosition::Bottom;
    const float edge = horizontalEdge ? static_cast<float>(box.width()) : static_cast<float>(box.height());
    float start;
    if (FCalloutOffset == 0)
        start = (edge - FCalloutWidth) / 2;
    else if (FCalloutOffset > 0)
        start = FCalloutOffset;
    else
        start = edge + FCalloutOffset - FCalloutWidth;
    QPainterPath body;
    QPolygonF pointer;
    switch (FPosition) {
    case TCalloutPosition::Top:
        box.setTop(box.top() + len);
        pointer << QPointF(box.left() + start, box.top() + 1)
                << QPointF(box.left() + start + FCalloutWidth / 2, box.top() - len)
                << QPointF(box.left() + start + FCalloutWidth, box.top() + 1);
        break;
    case TCalloutPosition::Bottom:
        box.setBottom(box.bottom() - len);
        pointer << QPointF(box.left() + start, box.bottom() - 1)
                << QPointF(box.left() + start + FCalloutWidth / 2, box.bottom() + len)
                << QPointF(box.left() + start + FCalloutWidth, box.bottom() - 1);
        break;
    case TCalloutPosition::Left:
        box.setLeft(box.left() + len);
        pointer << QPointF(box.left() + 1, box.top() + start)
                << QPointF(box.left() - len, box.top() + start + FCalloutWidth / 2)
                << QPointF(box.left() + 1, box.top() + start + FCalloutWidth);
        break;
    case TCalloutPosition::Right:
        box.setRight(box.right() - len);
        pointer << QPointF(box.right() - 1, box.top() + start)
                << QPointF(box.right() + len, box.top() + start + FCalloutWidth / 2)
                << QPointF(box.right() - 1, box.top() + start + FCalloutWidth);
        break;
    }
    body.addRoundedRect(box, XRadius(), YRadius());
    QPainterPath tip;
    tip.addPolygon(pointer);
    tip.closeSubpath();
    return body.united(tip);
}

TLine::TLine(TSceneObject *owner) : TControl(owner) {}

void TLine::SetStroke(uint32_t argb) {
    FStroke = argb;
    Invalidate();
}

void TLine::SetStrokeThickness(float thickness) {
    FThickness = std::max(0.0f, thickness);
    Invalidate();
}

void TLine::Paint(QPainter &painter) {
    if (FThickness <= 0)
        return;
    painter.save();
    painter.setPen(QPen(QColor::fromRgba(FStroke), FThickness, Qt::SolidLine, Qt::FlatCap));
    const float y = Height() - FThickness / 2;
    painter.drawLine(QPointF(0, y), QPointF(Width(), y));
    painter.restore();
}

} // namespace trelvo
