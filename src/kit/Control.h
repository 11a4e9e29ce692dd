#pragma once

#include "SceneObject.h"

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <functional>

class QPainter;

namespace trelvo {

class TForm;
class TEffect;

enum class TAlignLayout {
    None,       // placed by position
    Top,        // full width of the free area, own height, stacked from the top
    Bottom,     // full width of the free area, own height, stacked from the bottom
    Left,       // own width, full height between the Top and Bottom siblings
    Right,      // own width, full height between the Top and Bottom siblings
    Client,     // what the edge-aligned siblings leave; several Client siblings overlap
    Center,     // own size, centred in the free area
    VertCenter, // full width, own height, centred vertically
    HorzCenter, // full height, own width, centred horizontally
    Horizontal, // full width, own top and height
    Vertical,   // full height, own left and width
};

enum class TMouseButton { Left, Right, Middle };

// Keys and buttons held during a pointer or key event.
using TShiftState = unsigned;
enum : unsigned {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
};

// A visual object of the scene. Geometry is in scene units relative to the parent: the position
// is the top-left corner, the rotation (degrees clockwise) turns the control about
// RotationCenter (relative: (0, 0) the top-left corner, (0.5, 0.5) the centre) without changing
// position or size. Opacity multiplies into the children.
//
// Pointer events arrive in the control's own coordinates. The virtual handlers (MouseEnter ...
// Click) raise the matching On... event; a subclass that overrides one to add behaviour calls the
// base handler to keep the event.
class TControl : public TSceneObject {
public:
    using TNotifyEvent = std::function<void(TControl *sender)>;
    using TMouseMoveEvent = std::function<void(TControl *sender, TShiftState shift, float x, float y)>;
    using TMouseEvent =
        std::function<void(TControl *sender, TMouseButton button, TShiftState shift, float x, float y)>;
    using TMouseWheelEvent =
        std::function<void(TControl *sender, TShiftState shift, int delta, bool &handled)>;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnClick;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnResize;

    explicit TControl(TSceneObject *owner = nullptr);
    ~TControl() override;

    // Position.
    float X() const { return FX; }
    float Y() const { return FY; }
    QPointF Position() const { return {FX, FY}; }
    void SetX(float x) { SetPosition(x, FY); }
    void SetY(float y) { SetPosition(FX, y); }
    void SetPosition(float x, float y);

    // Size. The setters are virtual so that a composite control can lay itself out when its user
    // sizes it; alignment sizes children without calling them.
    float Width() const { return FWidth; }
    float Height() const { return FHeight; }
    virtual void SetWidth(float width);
    virtual void SetHeight(float height);
    void SetSize(float width, float height);
    void SetBounds(float x, float y, float width, float height);
    QRectF LocalRect() const { return {0, 0, FWidth, FHeight}; }

    float Opacity() const { return FOpacity; }
    void SetOpacity(float opacity);
    // Own opacity times every parent's.
    float AbsoluteOpacity() const;

    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    // A disabled control and its children get no pointer events: the pointer reaches what lies below.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    bool AbsoluteEnabled() const;

    // Off: the control itself never takes the pointer (its children still may).
    bool HitTest() const { return FHitTest; }
    void SetHitTest(bool value) { FHitTest = value; }
    // On: a control pressed with any button keeps every pointer event until the button is released.
    bool AutoCapture() const { return FAutoCapture; }
    void SetAutoCapture(bool value) { FAutoCapture = value; }

    const QString &Hint() const { return FHint; }
    void SetHint(const QString &hint) { FHint = hint; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value) { FShowHint = value; }

    float RotationAngle() const { return FRotationAngle; }
    void SetRotationAngle(float degrees);
    QPointF RotationCenter() const { return FRotationCenter; }
    void SetRotationCenter(float x, float y);

    TAlignLayout Align() const { return FAlign; }
    void SetAlign(TAlignLayout align);
    // Lays the aligned children out again. Runs by itself, synchronously, whenever this control's
    // size or an aligned child's size, visibility or alignment changes.
    void Realign();

    bool ClipChildren() const { return FClipChildren; }
    void SetClipChildren(bool value);

    // Parents and the form.
    TControl *ParentControl() const;
    // Walks up the parents until the form; nullptr for a control outside any form.
    TForm *Form() const;

    // Coordinates. "Absolute" is the coordinate system of the form (the scene).
    QTransform LocalMatrix() const;
    QTransform AbsoluteMatrix() const;
    QPointF LocalToAbsolute(const QPointF &point) const;
    QPointF AbsoluteToLocal(const QPointF &point) const;
    // The bounding box of the control's (rotated) rectangle in the form.
    QRectF AbsoluteRect() const;

    // Hit testing: the point is in the control's own coordinates, so a rotated control is hit by its
    // rotated shape.
    virtual bool PointInObject(const QPointF &local) const;
    // The topmost visible, enabled, hit-testable control at a point given in the parent's
    // coordinates (this one or a descendant), or nullptr.
    TControl *ObjectAtPoint(const QPointF &pointInParent);
    // True while the pointer is over this control (it is the form's hovered control).
    bool IsMouseOver() const;

    // Marks the control's area for repainting.
    void Invalidate();

    // Pointer handlers, called by the form.
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseMove(TShiftState shift, float x, float y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, float x, float y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, float x, float y);
    virtual void Click();
    // Returns true when the wheel was used; otherwise the parent gets it.
    virtual bool MouseWheel(TShiftState shift, int delta);

    // Painting: Paint draws the control itself in its own coordinates; PaintTree draws it with its
    // effects and children (the painter is in the parent's coordinates).
    void PaintTree(QPainter &painter);
    // What Paint may cover, in own coordinates (a shadow or pointer may reach outside the box).
    virtual QRectF PaintBounds() const { return LocalRect(); }
    // Paint covers the whole box with opaque pixels.
    virtual bool Opaque() const { return false; }
    // The control and its children drawn into an image of its own size plus margin on each side,
    // without its position, rotation, opacity or effects (effects draw from it).
    QImage RenderContent(int margin) const;
    // Changes whenever the control or a descendant looks different; effects cache by it.
    uint64_t ContentVersion() const { return FContentVersion; }

protected:
    virtual void Paint(QPainter &painter) { (void)painter; }
    // Draws above the children (a scroll bar over its rows).
    virtual void PaintOver(QPainter &painter) { (void)painter; }
    // Called after the size changed (alignment included), before the parent re-aligns.
    virtual void Resized() {}
    // Offset applied to the children (a scroll box scrolls them).
    virtual QPointF ContentOffset() const { return {0, 0}; }
    // Sets the geometry without the virtual setters: alignment and composite layouts use it.
    void ApplyBounds(float x, float y, float width, float height);
    // Marks the area of the control and all its descendants for repainting.
    void InvalidateDeep();
    // The content changed (not only the position): repaint and refresh effect caches.
    void ContentChanged();

    void ChildAdded(TSceneObject *child) override;
    void ChildRemoved(TSceneObject *child) override;
    void ParentChanging() override;
    void ParentChanged() override;

private:
    friend class TForm;
    void PaintChildren(QPainter &painter);
    void BumpVersions(bool self);
    bool InDyingTree() const;
    QRectF DeepBounds(const QTransform &toScene) const;
    void ParentRealign();

    float FX = 0, FY = 0, FWidth = 50, FHeight = 50;
    float FOpacity = 1;
    bool FVisible = true, FEnabled = true, FHitTest = true, FAutoCapture = false;
    QString FHint;
    bool FShowHint = false;
    float FRotationAngle = 0;
    QPointF FRotationCenter{0.5, 0.5};
    TAlignLayout FAlign = TAlignLayout::None;
    bool FClipChildren = false;
    bool FRealigning = false;
    uint64_t FContentVersion = 0;
};

// An invisible container, 50 x 50 when created, not hit-testable unless switched on.
class TLayout : public TControl {
public:
    explicit TLayout(TSceneObject *owner = nullptr) : TControl(owner) { SetHitTest(false); }
};

} // namespace trelvo
