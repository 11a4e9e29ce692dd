#include "Form.h"

#include "View.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace trelvo {

namespace {
QPointF gMousePos;
}

QPointF TScreen::MousePos() {
    return gMousePos;
}

void TScreen::SetMousePos(const QPointF &screenPos) {
    gMousePos = screenPos;
}

TForm::TForm(TSceneObject *owner) : TControl(owner) {
    SetHitTest(false);
    ApplyBounds(0, 0, 640, 480);
}

TForm::~TForm() {
    MarkDestroying();
    DestroyChildren();
    if (FView) {
        TView *view = FView;
        FView = nullptr;
        view->Detach();
        delete view;
    }
}

// --- window ---------------------------------------------------------------------------------

TView *TForm::View() {
    if (!FView) {
        FView = new TView(this);
        FView->resize(static_cast<int>(std::ceil(Width())), static_cast<int>(std::ceil(Height())));
        if (!FCaption.isEmpty())
            FView->setWindowTitle(FCaption);
    }
    return FView;
}

TView *TForm::Embed(QWidget *host) {
    if (FView) {
        TView *old = FView;
        FView = nullptr;
        old->Detach();
        delete old;
    }
    FView = new TView(this, host);
    host->installEventFilter(FView);
    FView->setGeometry(host->rect());
    ViewResized(host->width(), host->height());
    FView->show();
    return FView;
}

void TForm::Show() {
    View()->show();
    FShowing = true;
    if (OnShow)
        OnShow(this);
}

void TForm::Hide() {
    if (FView)
        FView->hide();
    FShowing = false;
    if (OnHide)
        OnHide(this);
}

void TForm::SetClientWidth(float width) {
    SetWidth(width);
}

void TForm::SetClientHeight(float height) {
    SetHeight(height);
}

void TForm::Resized() {
    if (!FView || FSyncingView)
        return;
    const QSize size(static_cast<int>(std::ceil(Width())), static_cast<int>(std::ceil(Height())));
    // An embedded form is its host's client area: sizing the form sizes the host.
    if (FView->parentWidget())
        FView->parentWidget()->resize(size);
    else
        FView->resize(size);
}

void TForm::ViewResized(int width, int height) {
    FSyncingView = true;
    ApplyBounds(0, 0, static_cast<float>(width), static_cast<float>(height));
    FSyncingView = false;
}

void TForm::SetFullScreen(bool value) {
    if (value == FFullScreen)
        return;
    FFullScreen = value;
    QWidget *window = View()->window();
    if (value)
        window->showFullScreen();
    else
        window->showNormal();
}

void TForm::SetCaption(const QString &caption) {
    FCaption = caption;
    if (FView && !FView->parentWidget())
        FView->setWindowTitle(caption);
}

void TForm::SetFill(uint32_t argb) {
    FFill = argb;
    AddDirty(LocalRect());
}

QPointF TForm::ScreenToClient(const QPointF &screen) const {
    if (FView)
        return FView->mapFromGlobal(screen);
    return screen - FScreenOrigin;
}

QPointF TForm::ClientToScreen(const QPointF &client) const {
    if (FView)
        return FView->mapToGlobal(client);
    return client + FScreenOrigin;
}

// --- pointer routing ------------------------------------------------------------------------

TControl *TForm::ObjectAtScenePoint(const QPointF &point) {
    const auto &children = Children();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (auto *child = dynamic_cast<TControl *>(*it))
            if (TControl *hit = child->ObjectAtPoint(point))
                return hit;
    return nullptr;
}

void TForm::SetHovered(TControl *control) {
    TControl *old = FHovered.Get();
    if (old == control)
        return;
    FHovered.Reset(control);
    TWeakRef<TControl> next(control);
    if (old)
        old->MouseLeave();
    // The leave handler may have destroyed the next control or moved the pointer on.
    if (TControl *now = next.Get(); now && FHovered.Get() == now)
        now->MouseEnter();
}

void TForm::PointerMove(const QPointF &point, TShiftState shift) {
    TScreen::SetMousePos(ClientToScreen(point));
    if (TControl *captured = FCaptured.Get()) {
        const QPointF local = captured->AbsoluteToLocal(point);
        captured->MouseMove(shift, local.x(), local.y());
        return;
    }
    TControl *target = ObjectAtScenePoint(point);
    TWeakRef<TControl> ref(target);
    SetHovered(target);
    if (TControl *now = ref.Get()) {
        const QPointF local = now->AbsoluteToLocal(point);
        now->MouseMove(shift, local.x(), local.y());
    }
}

void TForm::PointerDown(TMouseButton button, const QPointF &point, TShiftState shift) {
    TScreen::SetMousePos(ClientToScreen(point));
    TControl *target = FCaptured.Get();
    if (!target)
        target = ObjectAtScenePoint(point);
    if (!target)
        return;
    if (button == TMouseButton::Left)
        FPressed.Reset(target);
    if (target->AutoCapture())
        Capture(target);
    const QPointF local = target->AbsoluteToLocal(point);
    target->MouseDown(button, shift, local.x(), local.y());
}

void TForm::PointerUp(TMouseButton button, const QPointF &point, TShiftState shift) {
    TScreen::SetMousePos(ClientToScreen(point));
    TControl *target = FCaptured.Get();
    if (target)
        ReleaseCapture();
    else
        target = ObjectAtScenePoint(point);
    TControl *pressed = FPressed.Get();
    if (button == TMouseButton::Left)
        FPressed.Reset();
    if (!target)
        return;
    const QPointF local = target->AbsoluteToLocal(point);
    TWeakRef<TControl> ref(target);
    target->MouseUp(button, shift, local.x(), local.y());
    // A click is a left press and release on the same control, released inside it.
    if (ref.Get() && button == TMouseButton::Left && pressed == target && target->PointInObject(local) &&
        target->AbsoluteEnabled())
        target->Click();
}

void TForm::PointerWheel(int delta, const QPointF &point, TShiftState shift) {
    for (TControl *control = ObjectAtScenePoint(point); control && control != this;
         control = control->ParentControl()) {
        if (control->AbsoluteEnabled() && control->MouseWheel(shift, delta))
            return;
    }
}

void TForm::PointerLeave() {
    SetHovered(nullptr);
}

void TForm::KeyDown(uint16_t &key, QChar &keyChar, TShiftState shift) {
    if (OnKeyDown)
        OnKeyDown(this, key, keyChar, shift);
}

// --- painting -------------------------------------------------------------------------------

void TForm::AddDirty(const QRectF &rect) {
    if (rect.isEmpty())
        return;
    FDirty |= rect;
    if (FView)
        FView->update(rect.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void TForm::Render(QPainter &painter) {
    // No smooth pixmap filtering here: with it Qt sends even 1:1 blits down its slow, threaded
    // path. Images switch it on only for the draws that really transform (TImage::Blit).
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    // Under an opaque backdrop (the table cloth) the fill would be painted over at once.
    bool covered = false;
    for (TSceneObject *object : Children()) {
        auto *control = dynamic_cast<TControl *>(object);
        if (!control || !control->Visible())
            continue;
        covered = control->Opaque() && control->RotationAngle() == 0 && control->ClipChildren() == false &&
                  control->AbsoluteRect().contains(LocalRect());
        break;
    }
    if (!covered) {
        // The fill replaces what was there, so a transparent fill gives a transparent picture.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(LocalRect(), QColor::fromRgba(FFill));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    PaintChildren(painter);
}

QImage TForm::RenderToImage() {
    QImage image(std::max(1, static_cast<int>(std::ceil(Width()))),
                 std::max(1, static_cast<int>(std::ceil(Height()))), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    Render(painter);
    painter.end();
    return image;
}

} // namespace trelvo
