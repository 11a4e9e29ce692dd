#pragma once

#include "kit/KitTimings.h"

#include "Control.h"
#include "Text.h"

#include "common/Timer.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace trelvo {

class TLayout;

// Vertical scrolling of its children: they are placed in its content (a child of the box) and
// clipped to the box. The wheel and a drag of the bar scroll.
class TScrollBox : public TControl {
public:
    explicit TScrollBox(TSceneObject *owner = nullptr);

    // The layout that holds the scrolled children (what SetParent(box) really makes their parent).
    TLayout *Content() const { return FContent; }
    float ViewportY() const { return FViewportY; }
    void SetViewportY(float y);
    // Height of what the children cover (the largest bottom edge).
    float ContentHeight() const;

    bool MouseWheel(TShiftState shift, int delta) override;
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseMove(TShiftState shift, float x, float y) override;
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;

protected:
    TSceneObject *ContainerFor(TSceneObject *child) override;
    QPointF ContentOffset() const override;
    // The bar lies above the rows.
    void PaintOver(QPainter &painter) override;
    void Resized() override;

private:
    QRectF ThumbRect() const;
    float MaxViewportY() const;

    TLayout *FContent;
    float FViewportY = 0;
    bool FDragging = false;
    float FDragStart = 0, FDragViewport = 0;
};

// A frame with a caption on its top edge.
class TGroupBox : public TControl {
public:
    explicit TGroupBox(TSceneObject *owner = nullptr);

    const QString &Text() const { return FText; }
    void SetText(const QString &text);

protected:
    void Paint(QPainter &painter) override;

private:
    QString FText;
};

// A box with a tick and a text. A click toggles it; every change of IsChecked (by the user or by
// the program) raises OnChange. Disabled, it is greyed and takes no pointer.
class TCheckBox : public TControl {
public:
    TNotifyEvent OnChange;

    explicit TCheckBox(TSceneObject *owner = nullptr);

    bool IsChecked() const { return FChecked; }
    void SetIsChecked(bool value);
    const QString &Text() const { return FText; }
    void SetText(const QString &text);

    void Click() override;
    void MouseEnter() override;
    void MouseLeave() override;
    QRectF PaintBounds() const override;

protected:
    void Paint(QPainter &painter) override;

private:
    bool FChecked = false;
    QString FText;
};

// A spinning ring of dots, spinning while enabled (it is created disabled). It runs a timer only
// while it spins, and wakes only for its twelve steps a second.
class TBusyIndicator : public TControl {
public:
    explicit TBusyIndicator(TSceneObject *owner = nullptr);
    ~TBusyIndicator() override;

    bool Enabled() const { return TControl::Enabled(); }
    void SetEnabled(bool value);

protected:
    void Paint(QPainter &painter) override;

private:
    static constexpr int kStepMs = KitTimings::kBusyStepMs;

    std::unique_ptr<TTimer> FTimer;
    int FStep = 0;
};

// A plain raised panel in the default style.
class TPanel : public TControl {
public:
    explicit TPanel(TSceneObject *owner = nullptr);

protected:
    void Paint(QPainter &painter) override;
};

// A push button in the default style; OnClick is the toolkit's click.
class TButton : public TControl {
public:
    explicit TButton(TSceneObject *owner = nullptr);

    const QString &Text() const { return FText; }
    void SetText(const QString &text);

    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
    void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;

protected:
    void Paint(QPainter &painter) override;

private:
    QString FText;
    bool FDown = false;
};

} // namespace trelvo
