#include "StdControls.h"

#include "Form.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace trelvo {

namespace {

QFont DefaultFont(int pixels = 12, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

constexpr float kBarWidth = 6;
constexpr float kWheelStep = 48; // units per wheel notch (120 eighths of a degree)

} // namespace

// --- scroll box -----------------------------------------------------------------------------

TScrollBox::TScrollBox(TSceneObject *owner) : TControl(owner) {
    SetClipChildren(true);
    FContent = new TLayout(this);
    FContent->SetParent(this);
}

TSceneObject *TScrollBox::ContainerFor(TSceneObject *child) {
    // The content itself (and effects or animations of the box) stay on the box.
    if (child == FContent || !dynamic_cast<TControl *>(child))
        return this;
    return FContent;
}

float TScrollBox::ContentHeight() const {
    float bottom = 0;
    for (TSceneObject *object : FContent->Children())
        if (auto *child = dynamic_cast<TControl *>(object); child && child->Visible())
            bottom = std::max(bottom, child->Y() + child->Height());
    return bottom;
}

QPointF TScrollBox::ContentOffset() const {
    // Rows may have gone since the last scroll: never show past the end.
    return {0, -std::min(FViewportY, MaxViewportY())};
}

float TScrollBox::MaxViewportY() const {
    return std::max(0.0f, ContentHeight() - Height());
}

void TScrollBox::SetViewportY(float y) {
    y = std::clamp(y, 0.0f, MaxViewportY());
    if (y == FViewportY)
        return;
    FViewportY = y;
    Invalidate();
    InvalidateDeep();
}

void TScrollBox::Resized() {
    FContent->SetSize(Width(), std::max(Height(), ContentHeight()));
    SetViewportY(FViewportY);
}

bool TScrollBox::MouseWheel(TShiftState shift, int delta) {
    (void)shift;
    if (MaxViewportY() <= 0)
        return false;
    SetViewportY(FViewportY - delta / 120.0f * kWheelStep);
    return true;
}

QRectF TScrollBox::ThumbRect() const {
    const float content = ContentHeight();
    if (content <= Height() || Height() <= 0)
        return {};
    const float h = std::max(20.0f, Height() * Height() / content);
    const float y = (Height() - h) * (FViewportY / MaxViewportY());
    return {Width() - kBarWidth - 2, y, kBarWidth, h};
}

void TScrollBox::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    const QRectF thumb = ThumbRect();
    if (button == TMouseButton::Left && !thumb.isEmpty() && x >= thumb.left() - 2) {
        FDragging = true;
        FDragStart = y;
        FDragViewport = FViewportY;
        if (TForm *form = Form())
            form->Capture(this);
    }
    TControl::MouseDown(button, shift, x, y);
}

void TScrollBox::MouseMove(TShiftState shift, float x, float y) {
    if (FDragging) {
        const QRectF thumb = ThumbRect();
        const float track = Height() - static_cast<float>(thumb.height());
        if (track > 0)
            SetViewportY(FDragViewport + (y - FDragStart) * MaxViewportY() / track);
    }
    TControl::MouseMove(shift, x, y);
}

void TScrollBox::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
    if (button == TMouseButton::Left)
        FDragging = false;
    TControl::MouseUp(button, shift, x, y);
}

void TScrollBox::PaintOver(QPainter &painter) {
    const QRectF thumb = ThumbRect();
    if (thumb.isEmpty())
        return;
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawRoundedRect(QRectF(thumb.left(), 0, kBarWidth, Height()), 3, 3);
    painter.setBrush(QColor(0, 0, 0, 120));
    painter.drawRoundedRect(thumb, 3, 3);
    painter.restore();
}

// --- group box ------------------------------------------------------------------------------

TGroupBox::TGroupBox(TSceneObject *owner) : TControl(owner) {
    ApplyBounds(0, 0, 120, 100);
    SetHitTest(false);
}

void TGroupBox::SetText(const QString &text) {
    FText = text;
    Invalidate();
}

void TGroupBox::Paint(QPainter &painter) {
    const QFont font = DefaultFont();
    const QFontMetricsF metrics(font);
    const float top = static_cast<float>(metrics.height() / 2);
    painter.save();
    if (!FText.isEmpty()) {
        const float textWidth = static_cast<float>(metrics.horizontalAdvance(FText)) + 8;
        QPainterPath clip;
        clip.addRect(QRectF(-2, -2, Width() + 4, Height() + 4));
        QPainterPath gap;
        gap.addRect(QRectF(8, -2, textWidth, top * 2 + 3));
        painter.setClipPath(clip.subtracted(gap), Qt::IntersectClip);
    }
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(0.5, top, Width() - 1, Height() - top - 0.5), 4, 4);
    painter.restore();
    if (!FText.isEmpty()) {
        painter.save();
        painter.setFont(font);
        painter.setPen(QColor(0x20, 0x20, 0x20));
        painter.drawText(QPointF(12, metrics.ascent()), FText);
        painter.restore();
    }
}

// --- check box ------------------------------------------------------------------------------

TCheckBox::TCheckBox(TSceneObject *owner) : TControl(owner) {
    ApplyBounds(0, 0, 120, 19);
}

void TCheckBox::SetIsChecked(bool value) {
    if (value == FChecked)
        return;
    FChecked = value;
    Invalidate();
    if (OnChange)
        OnChange(this);
}

void TCheckBox::SetText(const QString &text) {
    FText = text;
    Invalidate();
}

void TCheckBox::Click() {
    auto alive = AliveToken();
    SetIsChecked(!FChecked);
    if (*alive)
        TControl::Click();
}

void TCheckBox::MouseEnter() {
    Invalidate();
    TControl::MouseEnter();
}

void TCheckBox::MouseLeave() {
    Invalidate();
    TControl::MouseLeave();
}

QRectF TCheckBox::PaintBounds() const {
    const float textWidth = static_cast<float>(QFontMetricsF(DefaultFont()).horizontalAdvance(FText));
    return LocalRect() | QRectF(0, 0, 21 + textWidth + 2, Height());
}

void TCheckBox::Paint(QPainter &painter) {
    const bool enabled = AbsoluteEnabled();
    const float box = 14;
    const float top = (Height() - box) / 2;
    painter.save();
    painter.setPen(QPen(enabled ? QColor(0x50, 0x50, 0x50) : QColor(0xA0, 0xA0, 0xA0), 1));
    painter.setBrush(IsMouseOver() && enabled ? QColor(0xFF, 0xFF, 0xF0) : QColor(0xFF, 0xFF, 0xFF));
    painter.drawRoundedRect(QRectF(1.5, top + 0.5, box, box), 2, 2);
    if (FChecked) {
        QPainterPath tick;
        tick.moveTo(4.5, top + 7.5);
        tick.lineTo(7.5, top + 11);
        tick.lineTo(13, top + 3.5);
        painter.setPen(QPen(enabled ? QColor(0x1F, 0x6F, 0x2F) : QColor(0xA0, 0xA0, 0xA0), 2, Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    }
    painter.setFont(DefaultFont());
    painter.setPen(enabled ? QColor(0x10, 0x10, 0x10) : QColor(0x90, 0x90, 0x90));
    // The text may run past the box, as long labels next to narrow boxes do.
    painter.drawText(QRectF(box + 7, 0, 10000, Height()), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip,
                     FText);
    painter.restore();
}

// --- busy indicator -------------------------------------------------------------------------

TBusyIndicator::TBusyIndicator(TSceneObject *owner) : TControl(owner) {
    TControl::SetEnabled(false);
    SetHitTest(false);
}

TBusyIndicator::~TBusyIndicator() = default;

void TBusyIndicator::SetEnabled(bool value) {
    TControl::SetEnabled(value);
    if (value && !FTimer) {
        FTimer = std::make_unique<TTimer>();
        FTimer->SetInterval(kStepMs);
        FTimer->OnTimer = [this](TTimer *) {
            FStep = (FStep + 1) % 12;
            Invalidate();
        };
    } else if (!value) {
        FTimer.reset();
    }
    Invalidate();
}

void TBusyIndicator::Paint(QPainter &painter) {
    if (!Enabled())
        return;
    const QPointF centre(Width() / 2, Height() / 2);
    const float radius = std::min(Width(), Height()) / 2;
    const float dot = std::max(1.5f, radius / 6);
    painter.save();
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        const double angle = (i * 30.0 - 90.0) * M_PI / 180.0;
        const int age = (FStep - i + 12) % 12;
        painter.setBrush(QColor(0x30, 0x30, 0x30, 255 - age * 18));
        const QPointF p = centre + QPointF(std::cos(angle), std::sin(angle)) * (radius - dot);
        painter.drawEllipse(p, dot, dot);
    }
    painter.restore();
}

// --- panel and button -----------------------------------------------------------------------

TPanel::TPanel(TSceneObject *owner) : TControl(owner) {
    ApplyBounds(0, 0, 120, 100);
}

void TPanel::Paint(QPainter &painter) {
    painter.save();
    painter.setPen(QPen(QColor(0xB4, 0xB4, 0xB4), 1));
    painter.setBrush(QColor(0xF0, 0xF0, 0xF0));
    painter.drawRect(QRectF(0.5, 0.5, Width() - 1, Height() - 1));
    painter.restore();
}

TButton::TButton(TSceneObject *owner) : TControl(owner) {
    ApplyBounds(0, 0, 80, 22);
}

void TButton::SetText(const QString &text) {
    FText = text;
    Invalidate();
}

void TButton::MouseEnter() {
    Invalidate();
    TControl::MouseEnter();
}

void TButton::MouseLeave() {
    FDown = false;
    Invalidate();
    TControl::MouseLeave();
}

void TButton::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
    if (button == TMouseButton::Left) {
        FDown = true;
        Invalidate();
    }
    TControl::MouseDown(button, shift, x, y);
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
    if (button == TMouseButton::Left) {
        FDown = false;
        Invalidate();
    }
    TControl::MouseUp(button, shift, x, y);
}

void TButton::Paint(QPainter &painter) {
    const bool enabled = AbsoluteEnabled();
    QColor face(0xE8, 0xE8, 0xE8);
    if (FDown)
        face = QColor(0xC8, 0xC8, 0xC8);
    else if (IsMouseOver() && enabled)
        face = QColor(0xF4, 0xF4, 0xF4);
    painter.save();
    painter.setPen(QPen(QColor(0x8C, 0x8C, 0x8C), 1));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(0.5, 0.5, Width() - 1, Height() - 1), 3, 3);
    painter.setFont(DefaultFont());
    painter.setPen(enabled ? QColor(0x10, 0x10, 0x10) : QColor(0x90, 0x90, 0x90));
    painter.drawText(LocalRect(), Qt::AlignCenter, FText);
    painter.restore();
}

} // namespace trelvo
