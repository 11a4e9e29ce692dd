#include "Text.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <cmath>
#include <vector>

namespace trelvo {

struct TText::TLaidOut {
    float width = -1; // the width it was laid out for (-1: unlimited)
    QSizeF size;      // natural size of all lines
    std::vector<QString> lines;
    std::vector<float> lineWidths;
    float lineHeight = 0;
    float ascent = 0;
    QFont font;
};

TText::TText(TSceneObject *owner) : TControl(owner) {
    ApplyBounds(0, 0, 100, 17);
}

TText::~TText() = default;

QFont TText::Font() const {
    QFont font(FFamily);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(FFontSize))));
    font.setBold(FBold);
    font.setItalic(FItalic);
    return font;
}

const TText::TLaidOut &TText::LaidOut() const {
    const float width = FWordWrap ? std::max(1.0f, Width()) : -1.0f;
    if (FLaid && FLaid->width == width)
        return *FLaid;
    auto laid = std::make_unique<TLaidOut>();
    laid->width = width;
    const QFont font = Font();
    laid->font = font;
    const QFontMetricsF metrics(font);
    laid->lineHeight = static_cast<float>(metrics.height());
    laid->ascent = static_cast<float>(metrics.ascent());
    // Explicit line breaks always break; word wrap breaks further at the width.
    const QStringList paragraphs = FText.split(QLatin1Char('\n'));
    float maxWidth = 0;
    for (const QString &paragraph : paragraphs) {
        if (!FWordWrap || paragraph.isEmpty()) {
            laid->lines.push_back(paragraph);
            const float w = static_cast<float>(metrics.horizontalAdvance(paragraph));
            laid->lineWidths.push_back(w);
            maxWidth = std::max(maxWidth, w);
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            const QString text = paragraph.mid(line.textStart(), line.textLength());
            const QString shown = text.endsWith(QLatin1Char(' ')) ? text.trimmed() : text;
            laid->lines.push_back(shown);
            const float w = static_cast<float>(metrics.horizontalAdvance(shown));
            laid->lineWidths.push_back(w);
            maxWidth = std::max(maxWidth, w);
        }
        layout.endLayout();
    }
    if (FText.isEmpty()) {
        laid->lines.clear();
        laid->lineWidths.clear();
    }
    laid->size = QSizeF(maxWidth, laid->lines.size() * laid->lineHeight);
    FLaid = std::move(laid);
    return *FLaid;
}

QSizeF TText::TextSize() const {
    return LaidOut().size;
}

void TText::AdjustSize() {
    if (!FAutoSize || FText.isEmpty() || FAdjusting)
        return;
    FAdjusting = true;
    auto alive = AliveToken();
    const QSizeF size = TextSize();
    const float h = std::ceil(static_cast<float>(size.height()));
    if (FWordWrap) {
        ApplyBounds(X(), Y(), Width(), h);
    } else {
        const float w = std::ceil(static_cast<float>(size.width()));
        ApplyBounds(X(), Y(), w, h);
    }
    if (*alive)
        FAdjusting = false;
}

void TText::Changed(bool remeasure) {
    if (remeasure) {
        FLaid.reset();
        AdjustSize();
    }
    Invalidate();
}

void TText::Resized() {
    // With word wrap the lines depend on the width; the height follows when auto-sizing.
    if (FWordWrap && Width() != FLaidWidth) {
        FLaidWidth = Width();
        AdjustSize();
    }
}

void TText::SetText(const QString &text) {
    if (text == FText)
        return;
    FText = text;
    Changed(true);
}

void TText::SetFontSize(float size) {
    if (size == FFontSize)
        return;
    FFontSize = size;
    Changed(true);
}

void TText::SetBold(bool value) {
    if (value == FBold)
        return;
    FBold = value;
    Changed(true);
}

void TText::SetItalic(bool value) {
    if (value == FItalic)
        return;
    FItalic = value;
    Changed(true);
}

void TText::SetFontFamily(const QString &family) {
    if (family == FFamily)
        return;
    FFamily = family;
    Changed(true);
}

void TText::SetColor(uint32_t argb) {
    if (argb == FColor)
        return;
    FColor = argb;
    Changed(false);
}

void TText::SetWordWrap(bool value) {
    if (value == FWordWrap)
        return;
    FWordWrap = value;
    Changed(true);
}

void TText::SetTrimming(TTextTrimming value) {
    if (value == FTrimming)
        return;
    FTrimming = value;
    Changed(false);
}

void TText::SetAutoSize(bool value) {
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    AdjustSize();
}

void TText::SetHorzTextAlign(TTextAlign value) {
    FHorzAlign = value;
    Changed(false);
}

void TText::SetVertTextAlign(TTextAlign value) {
    FVertAlign = value;
    Changed(false);
}

static QString TrimLine(const QString &line, const QFontMetricsF &metrics, float width, TTextTrimming mode,
                        bool force) {
    const QString ellipsis = QStringLiteral("…");
    if (!force && metrics.horizontalAdvance(line) <= width)
        return line;
    if (mode == TTextTrimming::Character) {
        QString text = line;
        while (!text.isEmpty() && metrics.horizontalAdvance(text + ellipsis) > width)
            text.chop(1);
        return text + ellipsis;
    }
    QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    while (!words.isEmpty() && metrics.horizontalAdvance(words.join(QLatin1Char(' ')) + ellipsis) > width)
        words.removeLast();
    return words.join(QLatin1Char(' ')) + ellipsis;
}

void TText::Paint(QPainter &painter) {
    if (FText.isEmpty())
        return;
    const TLaidOut &laid = LaidOut();
    const QFont &font = laid.font;
    const float w = Width(), h = Height();
    size_t count = laid.lines.size();
    bool trimmed = false;
    if (FTrimming != TTextTrimming::None && laid.lineHeight > 0 && count * laid.lineHeight > h + 0.5f) {
        count = std::max<size_t>(1, static_cast<size_t>(std::floor((h + 0.5f) / laid.lineHeight)));
        trimmed = count < laid.lines.size();
    }
    const float blockHeight = count * laid.lineHeight;
    float y = 0;
    if (FVertAlign == TTextAlign::Center)
        y = (h - blockHeight) / 2;
    else if (FVertAlign == TTextAlign::Trailing)
        y = h - blockHeight;
    painter.save();
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(FColor));
    for (size_t i = 0; i < count; ++i, y += laid.lineHeight) {
        QString line = laid.lines[i];
        float lineWidth = laid.lineWidths[i];
        if (FTrimming != TTextTrimming::None) {
            const QFontMetricsF metrics(font);
            const bool last = (i + 1 == count);
            const QString trimmedLine = TrimLine(line, metrics, w, FTrimming, last && trimmed);
            if (trimmedLine != line) {
                line = trimmedLine;
                lineWidth = static_cast<float>(metrics.horizontalAdvance(line));
            }
        }
        float x = 0;
        if (FHorzAlign == TTextAlign::Center)
            x = (w - lineWidth) / 2;
        else if (FHorzAlign == TTextAlign::Trailing)
            x = w - lineWidth;
        painter.drawText(QPointF(x, y + laid.ascent), line);
    }
    painter.restore();
}

} // namespace trelvo
