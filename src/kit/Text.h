#pragma once

#include "Control.h"

#include <QFont>
#include <QSizeF>
#include <QString>
#include <QTextLayout>

#include <cstdint>
#include <memory>

namespace trelvo {

enum class TTextAlign { Center, Leading, Trailing };
enum class TTextTrimming { None, Character, Word };

// A string drawn in the control's box. Defaults: font size 12 (pixels), DejaVu Sans, black, word
// wrap on, no trimming, centred both ways, auto-size off.
//
// Auto-size: the control takes the size of its string — with word wrap the height of the wrapped
// lines for the current width (the width stays), without word wrap the width and height of the
// line. It re-measures whenever the string or the font changes, and with word wrap when the width
// changes. Switching it on and off again re-measures once and keeps the size.
class TText : public TControl {
public:
    explicit TText(TSceneObject *owner = nullptr);
    ~TText() override;

    const QString &Text() const { return FText; }
    void SetText(const QString &text);

    float FontSize() const { return FFontSize; }
    void SetFontSize(float size);
    bool Bold() const { return FBold; }
    void SetBold(bool value);
    bool Italic() const { return FItalic; }
    void SetItalic(bool value);
    const QString &FontFamily() const { return FFamily; }
    void SetFontFamily(const QString &family);
    uint32_t Color() const { return FColor; }
    void SetColor(uint32_t argb);

    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);
    TTextTrimming Trimming() const { return FTrimming; }
    void SetTrimming(TTextTrimming value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    TTextAlign HorzTextAlign() const { return FHorzAlign; }
    void SetHorzTextAlign(TTextAlign value);
    TTextAlign VertTextAlign() const { return FVertAlign; }
    void SetVertTextAlign(TTextAlign value);

    // The size the string takes: wrapped to the current width with word wrap, one line without.
    QSizeF TextSize() const;
    QFont Font() const;

protected:
    void Paint(QPainter &painter) override;
    void Resized() override;

private:
    struct TLaidOut;
    void Changed(bool remeasure);
    void AdjustSize();
    const TLaidOut &LaidOut() const;

    QString FText;
    float FFontSize = 12;
    bool FBold = false, FItalic = false;
    QString FFamily = QStringLiteral("DejaVu Sans");
    uint32_t FColor = 0xFF000000;
    bool FWordWrap = true;
    TTextTrimming FTrimming = TTextTrimming::None;
    bool FAutoSize = false;
    TTextAlign FHorzAlign = TTextAlign::Center, FVertAlign = TTextAlign::Center;
    bool FAdjusting = false;
    float FLaidWidth = -1;
    mutable std::unique_ptr<TLaidOut> FLaid;
};

} // namespace trelvo
