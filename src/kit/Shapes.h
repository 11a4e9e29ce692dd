#pragma once

#include "Control.h"

#include <QPainterPath>

#include <cstdint>

namespace trelvo {

// A filled and outlined rectangle with rounded corners. Hit-testable, like every shape.
class TRectangle : public TControl {
public:
    explicit TRectangle(TSceneObject *owner = nullptr);

    uint32_t Fill() const { return FFill; }
    void SetFill(uint32_t argb);
    uint32_t Stroke() const { return FStroke; }
    void SetStroke(uint32_t argb);
    float StrokeThickness() const { return FThickness; }
    void SetStrokeThickness(float thickness);
    float XRadius() const { return FXRadius; }
    void SetXRadius(float radius);
    float YRadius() const { return FYRadius; }
    void SetYRadius(float radius);

protected:
    void Paint(QPainter &painter) override;
    virtual QPainterPath Outline() const;

private:
    uint32_t FFill = 0xFFFFFFFF;
    uint32_t FStroke = 0xFF000000;
    float FThickness = 1;
    float FXRadius = 0, FYRadius = 0;
};

enum class TCalloutPosition { Top, Bottom, Left, Right };

// A rounded rectangle with a triangular pointer on one edge. The pointer is CalloutWidth wide at
// its base and CalloutLength long (the body gives up that much of the box); CalloutOffset 0 centres
// it, a positive offset is the distance of its base from the left (top) edge, a negative one from
// the right (bottom) edge.
class TCalloutRectangle : public TRectangle {
public:
    static constexpr float kDefaultCalloutWidth = 23;
    static constexpr float kDefaultCalloutLength = 11;

    explicit TCalloutRectangle(TSceneObject *owner = nullptr) : TRectangle(owner) {}

    TCalloutPosition CalloutPosition() const { return FPosition; }
    void SetCalloutPosition(TCalloutPosition position);
    float CalloutWidth() const { return FCalloutWidth; }
    void SetCalloutWidth(float width);
    float CalloutLength() const { return FCalloutLength; }
    void SetCalloutLength(float length);
    float CalloutOffset() const { return FCalloutOffset; }
    void SetCalloutOffset(float offset);

protected:
    QPainterPath Outline() const override;

private:
    TCalloutPosition FPosition = TCalloutPosition::Top;
    float FCalloutWidth = kDefaultCalloutWidth;
    float FCalloutLength = kDefaultCalloutLength;
    float FCalloutOffset = 0;
};

// A line drawn along the bottom edge of its box.
class TLine : public TControl {
public:
    explicit TLine(TSceneObject *owner = nullptr);

    uint32_t Stroke() const { return FStroke; }
    void SetStroke(uint32_t argb);
    float StrokeThickness() const { return FThickness; }
    void SetStrokeThickness(float thickness);

protected:
    void Paint(QPainter &painter) override;

private:
    uint32_t FStroke = 0xFF000000;
    float FThickness = 1;
};

} // namespace trelvo
