#pragma once

// Shared drawing vocabulary of the asset generator: fonts, the palette, suit shapes and plates.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

namespace trelvo::art {

// Registers the DejaVu fonts; throws std::runtime_error when a file is missing.
void LoadFonts();

enum class TFace { Sans, SansBold, Condensed, CondensedBold, Serif, SerifBold };
QFont Font(TFace face, qreal pixelSize);

// Palette: one warm-wood and baize family for the whole game.
namespace pal {
inline const QColor BaizeLight(0x1f, 0x7d, 0x42);
inline const QColor BaizeDark(0x0a, 0x3d, 0x1f);
inline const QColor WoodLight(0x9a, 0x63, 0x33);
inline const QColor WoodDark(0x5a, 0x34, 0x18);
inline const QColor TopLight(0x5e, 0x37, 0x1b);
inline const QColor TopDark(0x2c, 0x17, 0x0a);
inline const QColor Body(0xfb, 0xf3, 0xd2);
inline const QColor Gold(0xe3, 0xb8, 0x4f);
inline const QColor GoldDark(0x9c, 0x74, 0x1e);
inline const QColor CardRed(0xc4, 0x16, 0x2c);
inline const QColor CardBlack(0x1b, 0x1b, 0x22);
inline const QColor Ivory(0xff, 0xfd, 0xf6);
} // namespace pal

// A transparent ARGB canvas, or an opaque one filled with the colour.
QImage Canvas(int w, int h);
QImage Canvas(int w, int h, const QColor &fill);

// A painter with antialiasing and smooth text already on.
void Prepare(QPainter &p);

// Suit shapes fitted into the rect (suit 1 clubs, 2 diamonds, 3 hearts, 4 spades).
QPainterPath SuitPath(int suit, const QRectF &r);
bool SuitIsRed(int suit);
QColor SuitColour(int suit);

QColor Mix(const QColor &a, const QColor &b, qreal t);
QColor Lighter(const QColor &c, qreal t); // towards white
QColor Darker(const QColor &c, qreal t);  // towards black

// Deterministic value noise in [0, 1) for procedural textures.
qreal Hash01(int x, int y, int seed);
qreal ValueNoise(qreal x, qreal y, int seed);

// A glossy plate: vertical gradient from the base colour, a light top edge, a dark border.
// state 1 normal, 2 lit (pointer over), 3 pressed, 0 disabled.
void DrawPlate(QPainter &p, const QRectF &r, qreal radius, const QColor &base, int state);

// Text with a soft dark outline (or a light one when the text is dark), centred in the rect.
void DrawLabel(QPainter &p, const QRectF &r, const QString &text, const QFont &font, const QColor &colour,
               const QColor &outline, qreal outlineWidth = 2.0, int flags = Qt::AlignCenter);

// The small glyphs shared by the buttons.
QPainterPath TickPath(const QRectF &r);
QPainterPath TakeArrowPath(const QRectF &r); // an arrow down into a tray
QPainterPath PlayTrianglePath(const QRectF &r);

} // namespace trelvo::art
