#include "View.h"

#include "Form.h"
#include "common/VirtualKeys.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

namespace trelvo {

namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (buttons & Qt::LeftButton)
        shift |= ssLeft;
    if (buttons & Qt::RightButton)
        shift |= ssRight;
    if (buttons & Qt::MiddleButton)
        shift |= ssMiddle;
    return shift;
}

bool ButtonOf(Qt::MouseButton qt, TMouseButton &button) {
    switch (qt) {
    case Qt::LeftButton:
        button = TMouseButton::Left;
        return true;
    case Qt::RightButton:
        button = TMouseButton::Right;
        return true;
    case Qt::MiddleButton:
        button = TMouseButton::Middle;
        return true;
    default:
        return false;
    }
}

} // namespace

TView::TView(TForm *form, QWidget *parent) : QWidget(parent), FForm(form) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The scene paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

TView::~TView() {
    if (FForm && FForm->FView == this)
        FForm->FView = nullptr;
}

void TView::paintEvent(QPaintEvent *event) {
    if (!FForm)
        return;
    ++FForm->FPaintCount;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    FForm->Render(painter);
}

void TView::resizeEvent(QResizeEvent *event) {
    if (FForm)
        FForm->ViewResized(event->size().width(), event->size().height());
}

void TView::mouseMoveEvent(QMouseEvent *event) {
    if (!FForm)
        return;
    TScreen::SetMousePos(event->globalPosition());
    FForm->PointerMove(event->position(), ShiftOf(event->modifiers(), event->buttons()));
}

void TView::mousePressEvent(QMouseEvent *event) {
    TMouseButton button;
    if (!FForm || !ButtonOf(event->button(), button))
        return;
    TScreen::SetMousePos(event->globalPosition());
    FForm->PointerDown(button, event->position(), ShiftOf(event->modifiers(), event->buttons()));
}

void TView::mouseReleaseEvent(QMouseEvent *event) {
    TMouseButton button;
    if (!FForm || !ButtonOf(event->button(), button))
        return;
    TScreen::SetMousePos(event->globalPosition());
    FForm->PointerUp(button, event->position(), ShiftOf(event->modifiers(), event->buttons()));
}

void TView::wheelEvent(QWheelEvent *event) {
    if (FForm)
        FForm->PointerWheel(event->angleDelta().y(), event->position(),
                            ShiftOf(event->modifiers(), event->buttons()));
}

void TView::leaveEvent(QEvent *) {
    if (FForm)
        FForm->PointerLeave();
}

void TView::keyPressEvent(QKeyEvent *event) {
    if (!FForm) {
        QWidget::keyPressEvent(event);
        return;
    }
    uint16_t key = VirtualKey(event->key());
    QChar keyChar = event->text().isEmpty() ? QChar() : event->text().at(0);
    const bool handled = static_cast<bool>(FForm->OnKeyDown);
    FForm->KeyDown(key, keyChar, ShiftOf(event->modifiers(), Qt::NoButton));
    // Embedded in a host window that handles its own keys (F11, Esc), an unbound form passes them on.
    if (!handled)
        event->ignore();
}

bool TView::eventFilter(QObject *watched, QEvent *event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        // A hidden widget gets its own resize event only when shown; the scene follows at once.
        if (FForm)
            FForm->ViewResized(parentWidget()->width(), parentWidget()->height());
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace trelvo
