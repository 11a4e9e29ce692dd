#pragma once

#include "Control.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>

class QImage;
class QPainter;
class QWidget;

namespace trelvo {

class TView;

// The last pointer position on the screen that any view saw (global coordinates). Tests set it.
class TScreen {
public:
    static QPointF MousePos();
    static void SetMousePos(const QPointF &screenPos);
};

// The root of a scene: its size is the client size, its coordinates are the scene's. It routes the
// pointer to its controls (hover with enter and leave, capture, press and click), collects the
// areas that need repainting, and is shown by a TView (a QWidget) — either its own top-level
// window or one embedded in a host widget.
class TForm : public TControl {
public:
    using TKeyEvent = std::function<void(TForm *sender, uint16_t &key, QChar &keyChar, TShiftState shift)>;
    using TFormNotify = std::function<void(TForm *sender)>;

    // Key codes are Windows virtual-key codes (27 Esc, 122 F11, 13 Enter, 'A'..'Z', '0'..'9').
    TKeyEvent OnKeyDown;
    TFormNotify OnShow;
    TFormNotify OnHide;

    explicit TForm(TSceneObject *owner = nullptr);
    ~TForm() override;

    // Show and hide the form's view (creating its top-level window on first use).
    void Show();
    void Hide();
    bool Showing() const { return FShowing; }

    float ClientWidth() const { return Width(); }
    float ClientHeight() const { return Height(); }
    void SetClientWidth(float width);
    void SetClientHeight(float height);

    bool FullScreen() const { return FFullScreen; }
    void SetFullScreen(bool value);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString &caption);
    // The colour drawn under every control (ARGB).
    uint32_t Fill() const { return FFill; }
    void SetFill(uint32_t argb);

    // Screen (global) coordinates to client (scene) coordinates and back. Without a view the form
    // sits at ScreenOrigin().
    QPointF ScreenToClient(const QPointF &screen) const;
    QPointF ClientToScreen(const QPointF &client) const;
    QPointF ScreenOrigin() const { return FScreenOrigin; }
    void SetScreenOrigin(const QPointF &origin) { FScreenOrigin = origin; }

    // The view: created on first use as a top-level window, or made a child of `host` by Embed,
    // following the host's size.
    TView *View();
    TView *Embed(QWidget *host);
    bool HasView() const { return FView != nullptr; }

    // Pointer input in scene coordinates; the view calls these, tests may too.
    void PointerMove(const QPointF &point, TShiftState shift = 0);
    void PointerDown(TMouseButton button, const QPointF &point, TShiftState shift = 0);
    void PointerUp(TMouseButton button, const QPointF &point, TShiftState shift = 0);
    void PointerWheel(int delta, const QPointF &point, TShiftState shift = 0);
    // The pointer left the form's window.
    void PointerLeave();
    virtual void KeyDown(uint16_t &key, QChar &keyChar, TShiftState shift);

    TControl *Hovered() const { return FHovered.Get(); }
    TControl *Captured() const { return FCaptured.Get(); }
    void Capture(TControl *control) { FCaptured.Reset(control); }
    void ReleaseCapture() { FCaptured.Reset(); }
    // The topmost control at a scene point, or nullptr.
    TControl *ObjectAtScenePoint(const QPointF &point);

    // Painting. Render draws the whole scene (clipped by the painter); RenderToImage makes a picture.
    void Render(QPainter &painter);
    QImage RenderToImage();
    // The union of the areas changed since ClearDirty (scene coordinates).
    QRectF DirtyRect() const { return FDirty; }
    void ClearDirty() { FDirty = QRectF(); }
    void AddDirty(const QRectF &rect);
    // How many times the view painted (for measurements).
    uint64_t PaintCount() const { return FPaintCount; }

protected:
    void Resized() override;

private:
    friend class TView;
    void ViewResized(int width, int height);
    void SetHovered(TControl *control);

    TView *FView = nullptr;
    bool FShowing = false;
    bool FFullScreen = false;
    bool FSyncingView = false;
    QString FCaption;
    uint32_t FFill = 0xFFFFFFFF;
    QPointF FScreenOrigin;
    TWeakRef<TControl> FHovered, FCaptured, FPressed;
    QRectF FDirty;
    uint64_t FPaintCount = 0;
};

} // namespace trelvo
