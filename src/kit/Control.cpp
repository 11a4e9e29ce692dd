#include "Control.h"

#include "Effects.h"
#include "Form.h"
#include "Round.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace trelvo {

TControl::TControl(TSceneObject *owner) : TSceneObject(owner) {}

TControl::~TControl() {
    MarkDestroying();
    InvalidateDeep();
    DestroyChildren();
    // Only an aligned child's departure changes the parent's layout; a dragged, centred window must
    // not jump back when a card or a hint next to it goes away.
    TControl *parent = InDyingTree() ? nullptr : ParentControl();
    DetachSilently();
    if (parent) {
        parent->BumpVersions(true);
        if (FAlign != TAlignLayout::None && FVisible)
            parent->Realign();
    }
}

TControl *TControl::ParentControl() const {
    return dynamic_cast<TControl *>(Parent());
}

TForm *TControl::Form() const {
    for (TSceneObject *object = const_cast<TControl *>(this); object; object = object->Parent())
        if (auto *form = dynamic_cast<TForm *>(object))
            return form;
    return nullptr;
}

bool TControl::InDyingTree() const {
    for (TSceneObject *object = Parent(); object; object = object->Parent()) {
        // Destroying() is protected in TSceneObject; every ancestor of a control is a control or the form.
        auto *control = dynamic_cast<TControl *>(object);
        if (!control || control->Destroying())
            return true;
    }
    return false;
}

// --- geometry -------------------------------------------------------------------------------

void TControl::SetPosition(float x, float y) {
    ApplyBounds(x, y, FWidth, FHeight);
}

void TControl::SetWidth(float width) {
    ApplyBounds(FX, FY, width, FHeight);
}

void TControl::SetHeight(float height) {
    ApplyBounds(FX, FY, FWidth, height);
}

void TControl::SetSize(float width, float height) {
    SetWidth(width);
    SetHeight(height);
}

void TControl::SetBounds(float x, float y, float width, float height) {
    SetPosition(x, y);
    SetSize(width, height);
}

void TControl::ApplyBounds(float x, float y, float width, float height) {
    width = std::max(0.0f, width);
    height = std::max(0.0f, height);
    const bool sized = width != FWidth || height != FHeight;
    if (!sized && x == FX && y == FY)
        return;
    InvalidateDeep();
    FX = x;
    FY = y;
    FWidth = width;
    FHeight = height;
    BumpVersions(sized);
    InvalidateDeep();
    if (!sized)
        return;
    auto alive = AliveToken();
    Realign();
    Resized();
    if (OnResize)
        OnResize(this);
    if (*alive)
        ParentRealign();
}

void TControl::ParentRealign() {
    if (FAlign == TAlignLayout::None)
        return;
    TControl *parent = ParentControl();
    if (parent && !parent->FRealigning && !parent->Destroying())
        parent->Realign();
}

void TControl::SetOpacity(float opacity) {
    opacity = std::clamp(opacity, 0.0f, 1.0f);
    if (opacity == FOpacity)
        return;
    FOpacity = opacity;
    BumpVersions(false);
    InvalidateDeep();
}

float TControl::AbsoluteOpacity() const {
    float result = FOpacity;
    for (TControl *parent = ParentControl(); parent; parent = parent->ParentControl())
        result *= parent->FOpacity;
    return result;
}

void TControl::SetVisible(bool visible) {
    if (visible == FVisible)
        return;
    if (!visible)
        InvalidateDeep();
    FVisible = visible;
    BumpVersions(false);
    if (visible)
        InvalidateDeep();
    // Invisible children take no part in alignment.
    ParentRealign();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    InvalidateDeep();
}

bool TControl::AbsoluteEnabled() const {
    for (const TControl *control = this; control; control = control->ParentControl())
        if (!control->FEnabled)
            return false;
    return true;
}

void TControl::SetRotationAngle(float degrees) {
    if (degrees == FRotationAngle)
        return;
    InvalidateDeep();
    FRotationAngle = degrees;
    BumpVersions(false);
    InvalidateDeep();
}

void TControl::SetRotationCenter(float x, float y) {
    if (QPointF(x, y) == FRotationCenter)
        return;
    InvalidateDeep();
    FRotationCenter = QPointF(x, y);
    BumpVersions(false);
    InvalidateDeep();
}

void TControl::SetClipChildren(bool value) {
    if (value == FClipChildren)
        return;
    InvalidateDeep();
    FClipChildren = value;
    Invalidate();
}

void TControl::SetAlign(TAlignLayout align) {
    if (align == FAlign)
        return;
    const bool wasAligned = FAlign != TAlignLayout::None;
    FAlign = align;
    if (TControl *parent = ParentControl()) {
        if (align != TAlignLayout::None || wasAligned)
            parent->Realign();
    }
}

void TControl::Realign() {
    if (FRealigning || Destroying())
        return;
    FRealigning = true;
    auto alive = AliveToken();
    float left = 0, top = 0, right = FWidth, bottom = FHeight;
    auto each = [&](TAlignLayout mode, auto &&place) {
        for (size_t i = 0; i < Children().size() && *alive; ++i) {
            auto *child = dynamic_cast<TControl *>(Children()[i]);
            if (child && child->FVisible && child->FAlign == mode)
                place(child);
        }
    };
    each(TAlignLayout::Top, [&](TControl *c) {
        c->ApplyBounds(left, top, std::max(0.0f, right - left), c->FHeight);
        top += c->FHeight;
    });
    each(TAlignLayout::Bottom, [&](TControl *c) {
        c->ApplyBounds(left, bottom - c->FHeight, std::max(0.0f, right - left), c->FHeight);
        bottom -= c->FHeight;
    });
    each(TAlignLayout::Left, [&](TControl *c) {
        c->ApplyBounds(left, top, c->FWidth, std::max(0.0f, bottom - top));
        left += c->FWidth;
    });
    each(TAlignLayout::Right, [&](TControl *c) {
        c->ApplyBounds(right - c->FWidth, top, c->FWidth, std::max(0.0f, bottom - top));
        right -= c->FWidth;
    });
    const float w = std::max(0.0f, right - left), h = std::max(0.0f, bottom - top);
    // Centred children land on whole units, a half going to the even neighbour like every rounded
    // layout value, so a centred picture is never blurred and a window is centred the same way as
    // the layouts computed by hand.
    auto centre = [](float free, float own) { return static_cast<float>(Round((free - own) / 2.0)); };
    each(TAlignLayout::Client, [&](TControl *c) { c->ApplyBounds(left, top, w, h); });
    each(TAlignLayout::Center, [&](TControl *c) {
        c->ApplyBounds(left + centre(w, c->FWidth), top + centre(h, c->FHeight), c->FWidth, c->FHeight);
    });
    each(TAlignLayout::VertCenter,
         [&](TControl *c) { c->ApplyBounds(left, top + centre(h, c->FHeight), w, c->FHeight); });
    each(TAlignLayout::HorzCenter,
         [&](TControl *c) { c->ApplyBounds(left + centre(w, c->FWidth), top, c->FWidth, h); });
    each(TAlignLayout::Horizontal, [&](TControl *c) { c->ApplyBounds(left, c->FY, w, c->FHeight); });
    each(TAlignLayout::Vertical, [&](TControl *c) { c->ApplyBounds(c->FX, top, c->FWidth, h); });
    if (*alive)
        FRealigning = false;
}

void TControl::ChildAdded(TSceneObject *child) {
    if (auto *control = dynamic_cast<TControl *>(child)) {
        control->BumpVersions(false);
        control->InvalidateDeep();
        if (control->FAlign != TAlignLayout::None)
            Realign();
    } else if (dynamic_cast<TEffect *>(child)) {
        InvalidateDeep();
        Invalidate();
    }
}

void TControl::ChildRemoved(TSceneObject *child) {
    BumpVersions(true);
    if (auto *control = dynamic_cast<TControl *>(child); control && control->FAlign != TAlignLayout::None)
        Realign();
}

void TControl::ParentChanging() {
    InvalidateDeep();
}

void TControl::ParentChanged() {}

// --- coordinates ----------------------------------------------------------------------------

QTransform TControl::LocalMatrix() const {
    QTransform m;
    m.translate(FX, FY);
    if (FRotationAngle != 0) {
        const qreal cx = FRotationCenter.x() * FWidth, cy = FRotationCenter.y() * FHeight;
        m.translate(cx, cy);
        m.rotate(FRotationAngle);
        m.translate(-cx, -cy);
    }
    return m;
}

QTransform TControl::AbsoluteMatrix() const {
    QTransform m = LocalMatrix();
    for (TControl *parent = ParentControl(); parent; parent = parent->ParentControl()) {
        const QPointF offset = parent->ContentOffset();
        if (!offset.isNull())
            m = m * QTransform::fromTranslate(offset.x(), offset.y());
        m = m * parent->LocalMatrix();
    }
    return m;
}

QPointF TControl::LocalToAbsolute(const QPointF &point) const {
    return AbsoluteMatrix().map(point);
}

QPointF TControl::AbsoluteToLocal(const QPointF &point) const {
    return AbsoluteMatrix().inverted().map(point);
}

QRectF TControl::AbsoluteRect() const {
    return AbsoluteMatrix().mapRect(LocalRect());
}

// --- hit testing ----------------------------------------------------------------------------

bool TControl::PointInObject(const QPointF &local) const {
    return local.x() >= 0 && local.y() >= 0 && local.x() <= FWidth && local.y() <= FHeight;
}

TControl *TControl::ObjectAtPoint(const QPointF &pointInParent) {
    if (!FVisible || !FEnabled)
        return nullptr;
    const QPointF local = LocalMatrix().inverted().map(pointInParent);
    const bool inside = PointInObject(local);
    if (!FClipChildren || inside) {
        const QPointF childPoint = local - ContentOffset();
        const auto &children = Children();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (auto *child = dynamic_cast<TControl *>(*it))
                if (TControl *hit = child->ObjectAtPoint(childPoint))
                    return hit;
    }
    return (FHitTest && inside) ? this : nullptr;
}

bool TControl::IsMouseOver() const {
    TForm *form = Form();
    return form && form->Hovered() == this;
}

// --- invalidation ---------------------------------------------------------------------------

void TControl::BumpVersions(bool self) {
    if (self)
        ++FContentVersion;
    for (TControl *parent = ParentControl(); parent; parent = parent->ParentControl())
        ++parent->FContentVersion;
}

static QRectF WithEffects(const TControl &control, QRectF rect) {
    for (TSceneObject *child : control.Children())
        if (auto *effect = dynamic_cast<TEffect *>(child); effect && effect->Enabled())
            rect = effect->Extend(rect, control);
    return rect;
}

QRectF TControl::DeepBounds(const QTransform &toScene) const {
    if (!FVisible)
        return {};
    QRectF own = toScene.mapRect(WithEffects(*this, PaintBounds()));
    QRectF kids;
    QTransform childBase = toScene;
    const QPointF offset = ContentOffset();
    if (!offset.isNull())
        childBase = QTransform::fromTranslate(offset.x(), offset.y()) * toScene;
    for (TSceneObject *object : Children())
        if (auto *child = dynamic_cast<TControl *>(object))
            kids |= child->DeepBounds(child->LocalMatrix() * childBase);
    if (FClipChildren)
        kids &= toScene.mapRect(LocalRect());
    return own | kids;
}

void TControl::InvalidateDeep() {
    if (InDyingTree())
        return;
    TForm *form = Form();
    if (!form || form == this)
        return;
    form->AddDirty(DeepBounds(AbsoluteMatrix()));
}

void TControl::Invalidate() {
    BumpVersions(true);
    if (InDyingTree() || !FVisible)
        return;
    TForm *form = Form();
    if (!form)
        return;
    if (form == this)
        form->AddDirty(LocalRect());
    else
        form->AddDirty(AbsoluteMatrix().mapRect(WithEffects(*this, PaintBounds())));
}

void TControl::ContentChanged() {
    Invalidate();
}

// --- pointer handlers -----------------------------------------------------------------------

void TControl::MouseEnter() {
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TControl::MouseLeave() {
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TControl::MouseMove(TShiftState shift, float x, float y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
}

bool TControl::MouseWheel(TShiftState shift, int delta) {
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, shift, delta, handled);
    return handled;
}

// --- painting -------------------------------------------------------------------------------

void TControl::PaintTree(QPainter &painter) {
    if (!FVisible || FOpacity <= 0)
        return;
    painter.save();
    painter.setTransform(LocalMatrix(), true);
    painter.setOpacity(painter.opacity() * FOpacity);
    for (TSceneObject *child : Children())
        if (auto *effect = dynamic_cast<TEffect *>(child); effect && effect->Enabled())
            effect->PaintBefore(painter, *this);
    Paint(painter);
    PaintChildren(painter);
    PaintOver(painter);
    for (TSceneObject *child : Children())
        if (auto *effect = dynamic_cast<TEffect *>(child); effect && effect->Enabled())
            effect->PaintAfter(painter, *this);
    painter.restore();
}

void TControl::PaintChildren(QPainter &painter) {
    const QPointF offset = ContentOffset();
    const bool wrap = FClipChildren || !offset.isNull();
    if (wrap) {
        painter.save();
        if (FClipChildren)
            painter.setClipRect(LocalRect(), Qt::IntersectClip);
        painter.translate(offset);
    }
    for (TSceneObject *object : Children())
        if (auto *child = dynamic_cast<TControl *>(object))
            child->PaintTree(painter);
    if (wrap)
        painter.restore();
}

QImage TControl::RenderContent(int margin) const {
    const int w = static_cast<int>(std::ceil(FWidth)) + 2 * margin;
    const int h = static_cast<int>(std::ceil(FHeight)) + 2 * margin;
    QImage image(std::max(1, w), std::max(1, h), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(margin, margin);
    auto *self = const_cast<TControl *>(this);
    self->Paint(painter);
    self->PaintChildren(painter);
    self->PaintOver(painter);
    painter.end();
    return image;
}

} // namespace trelvo
