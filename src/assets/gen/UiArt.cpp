#include "Art.h"
#include "Pictures.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>

namespace trelvo::art {

namespace {

const QColor kTakeBase(0xd0, 0x55, 0x1f);
// Blue, so that the discard buttons stand out from the green cloth.
const QColor kBitoBase(0x2c, 0x68, 0xc4);
const QColor kGreenButton(0x2c, 0x8c, 0x3b);
const QColor kIconOff(0x8c, 0x8c, 0x8c);
const QColor kIconOn(0x14, 0x14, 0x14);

qreal SmoothStep(qreal a, qreal b, qreal x) {
    const qreal t = qBound<qreal>(0, (x - a) / (b - a), 1);
    return t * t * (3 - 2 * t);
}

// The dark wood plate shared by the player bar, the deck panel and the round-end plate.
void DrawWoodPlate(QPainter &p, const QRectF &r, qreal radius, int alpha = 255) {
    QPainterPath body;
    body.addRoundedRect(r, radius, radius);
    QLinearGradient wood(r.topLeft(), r.bottomLeft());
    QColor top = pal::TopLight, bottom = pal::TopDark;
    top.setAlpha(alpha);
    bottom.setAlpha(alpha);
    wood.setColorAt(0.0, Lighter(top, 0.08));
    wood.setColorAt(0.5, top);
    wood.setColorAt(1.0, bottom);
    p.fillPath(body, wood);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Darker(pal::TopDark, 0.4), 1.0));
    p.drawPath(body);
    QPainterPath trim;
    trim.addRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), std::max<qreal>(radius - 1.5, 0),
                        std::max<qreal>(radius - 1.5, 0));
    QLinearGradient gold(r.topLeft(), r.bottomLeft());
    gold.setColorAt(0.0, QColor(0xf5, 0xd7, 0x80));
    gold.setColorAt(1.0, pal::GoldDark);
    p.setPen(QPen(QBrush(gold), 1.2));
    p.drawPath(trim);
}

void DrawInset(QPainter &p, const QRectF &r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    p.fillPath(path, QColor(0, 0, 0, 80));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 236, 190, 60), 1.0));
    p.drawLine(QPointF(r.left() + radius, r.bottom() + 0.5), QPointF(r.right() - radius, r.bottom() + 0.5));
    p.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
    p.drawLine(QPointF(r.left() + radius, r.top() + 0.5), QPointF(r.right() - radius, r.top() + 0.5));
}

void DrawMiniBack(QPainter &p, const QPointF &centre, qreal w, qreal h, qreal angle) {
    p.save();
    p.translate(centre);
    p.rotate(angle);
    const QRectF r(-w / 2, -h / 2, w, h);
    p.setPen(QPen(QColor(0x50, 0x30, 0x20), 0.8));
    p.setBrush(pal::Ivory);
    p.drawRoundedRect(r, 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8e, 0x18, 0x2a));
    p.drawRoundedRect(r.adjusted(1.8, 1.8, -1.8, -1.8), 1, 1);
    p.setPen(QPen(pal::Gold, 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r.center(), w * 0.18, h * 0.18);
    p.restore();
}

void DrawTrophy(QPainter &p, const QPointF &c, qreal s) {
    const QColor ink(0x5a, 0x36, 0x08);
    p.save();
    p.translate(c);
    p.scale(s / 24.0, s / 24.0);
    p.setPen(QPen(ink, 1.4));
    QLinearGradient metal(-8, 0, 8, 0);
    metal.setColorAt(0, QColor(0xff, 0xe9, 0x9a));
    metal.setColorAt(0.5, QColor(0xf6, 0xc5, 0x3a));
    metal.setColorAt(1, QColor(0xb8, 0x82, 0x10));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-12, -9, 8, 9), 90 * 16, 180 * 16);
    p.drawArc(QRectF(4, -9, 8, 9), 270 * 16, 180 * 16);
    QPainterPath cup;
    cup.moveTo(-8, -11);
    cup.lineTo(8, -11);
    cup.cubicTo(8, -2, 4, 2, 0, 3);
    cup.cubicTo(-4, 2, -8, -2, -8, -11);
    cup.closeSubpath();
    p.setBrush(metal);
    p.drawPath(cup);
    p.drawRect(QRectF(-1.5, 3, 3, 4));
    p.drawRoundedRect(QRectF(-6, 7, 12, 4), 1, 1);
    p.restore();
}

void DrawSadFace(QPainter &p, const QPointF &c, qreal r) {
    p.save();
    p.setPen(QPen(QColor(0x2a, 0x2e, 0x36), r * 0.12));
    p.setBrush(QColor(0xc9, 0xcf, 0xd8));
    p.drawEllipse(c, r, r);
    p.setBrush(QColor(0x2a, 0x2e, 0x36));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c + QPointF(-r * 0.35, -r * 0.25), r * 0.12, r * 0.14);
    p.drawEllipse(c + QPointF(r * 0.35, -r * 0.25), r * 0.12, r * 0.14);
    p.setPen(QPen(QColor(0x2a, 0x2e, 0x36), r * 0.12, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r * 0.45, c.y() + r * 0.25, r * 0.9, r * 0.7), 20 * 16, 140 * 16);
    p.restore();
}

void DrawWhiteFlag(QPainter &p, const QPointF &foot, qreal s, bool mirrored) {
    p.save();
    p.translate(foot);
    if (mirrored)
        p.scale(-1, 1);
    p.scale(s / 24.0, s / 24.0);
    p.setPen(QPen(QColor(0x5a, 0x3a, 0x1c), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-6, 0), QPointF(-6, -24));
    QPainterPath flag;
    flag.moveTo(-5, -23);
    flag.cubicTo(0, -26, 4, -20, 10, -23);
    flag.lineTo(10, -13);
    flag.cubicTo(4, -10, 0, -16, -5, -13);
    flag.closeSubpath();
    p.setPen(QPen(QColor(0x1d, 0x5a, 0x2c), 1.0));
    p.setBrush(QColor(0xfd, 0xfd, 0xf8));
    p.drawPath(flag);
    p.restore();
}

void DrawPowerMark(QPainter &p, const QPointF &c, qreal r, const QColor &colour) {
    p.save();
    p.setPen(QPen(colour, r * 0.28, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 120 * 16, 300 * 16);
    p.drawLine(c + QPointF(0, -r * 1.15), c + QPointF(0, -r * 0.15));
    p.restore();
}

} // namespace

QImage TableCloth(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    const qreal cx = w / 2.0, cy = h / 2.0;
    for (int y = 0; y < h; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const qreal dx = (x - cx) / cx, dy = (y - cy) / cy;
            const qreal d = std::sqrt(dx * dx * 0.85 + dy * dy);
            // A lamp over the middle of the table, darker towards the rails.
            const qreal shade = SmoothStep(0.15, 1.35, d);
            QColor base = Mix(pal::BaizeLight, pal::BaizeDark, shade);
            // Felt: fibre clumps at three scales, per-pixel grain and a faint diagonal twill.
            const qreal clumps = 0.5 * ValueNoise(x / 2.5, y / 2.5, 11) +
                                 0.3 * ValueNoise(x / 9.0, y / 9.0, 12) +
                                 0.2 * ValueNoise(x / 53.0, y / 53.0, 13);
            const qreal grain = Hash01(x, y, 14);
            const qreal twill = ((x + 2 * y) % 6 < 3) ? 1.0 : -1.0;
            const qreal f = 1.0 + (clumps - 0.5) * 0.16 + (grain - 0.5) * 0.06 + twill * 0.012;
            row[x] = qRgb(qBound(0, int(base.red() * f), 255), qBound(0, int(base.green() * f), 255),
                          qBound(0, int(base.blue() * f), 255));
        }
    }
    return img;
}

QImage CardLights(int w, int h) {
    // Straight (not premultiplied) alpha, so the file holds exactly 0xFB, 0xF6, 0x2C at 87.
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(QColor(0xfb, 0xf6, 0x2c, 87));
    return img;
}

QImage Transparent(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

QImage TakeMark(int state) {
    QImage img = Canvas(88, 36);
    QPainter p(&img);
    Prepare(p);
    const QRectF r(2.5, 2.5, 83, 31);
    if (state == 2) {
        for (int i = 3; i >= 1; --i) {
            p.setPen(QPen(QColor(0xff, 0xc0, 0x40, 40 + 20 * (3 - i)), i * 1.3));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(r, 9, 9);
        }
    }
    DrawPlate(p, r, 9, state == 2 ? QColor(0xee, 0x7a, 0x1e) : QColor(0xb8, 0x47, 0x16), 1);
    DrawMiniBack(p, QPointF(17, 18.5), 13, 18, -14);
    DrawMiniBack(p, QPointF(23, 18), 13, 18, 8);
    DrawLabel(p, QRectF(30, 2, 54, 32), QString::fromUtf8("Беру"), Font(TFace::SansBold, 16), Qt::white,
              QColor(0x5a, 0x1c, 0x04, 200), 1.6);
    return img;
}

QImage PointerBeat() {
    QImage img = Canvas(193, 152);
    QPainter p(&img);
    Prepare(p);
    // Points down at 0°: the scene turns it towards each defender.
    QPainterPath arrow;
    arrow.moveTo(70, 8);
    arrow.lineTo(123, 8);
    arrow.lineTo(123, 62);
    arrow.lineTo(180, 62);
    arrow.lineTo(96.5, 145);
    arrow.lineTo(13, 62);
    arrow.lineTo(70, 62);
    arrow.closeSubpath();
    QLinearGradient fill(0, 8, 0, 145);
    fill.setColorAt(0.0, QColor(0xff, 0xe2, 0x6e));
    fill.setColorAt(0.6, QColor(0xf7, 0xa1, 0x25));
    fill.setColorAt(1.0, QColor(0xd9, 0x5b, 0x10));
    p.setPen(QPen(QColor(0x4a, 0x22, 0x06), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(arrow);
    p.setPen(QPen(QColor(255, 255, 255, 150), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(82, 22), QPointF(82, 70));
    return img;
}

QImage PlayerBar() {
    QImage img = Canvas(393, 95);
    QPainter p(&img);
    Prepare(p);
    // Soft shadow under the plate, then the plate; the text, clock and buttons sit at y 47..80.
    for (int i = 4; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 22));
        p.drawRoundedRect(QRectF(4 - i, 37 - i + 2, 385 + 2 * i, 56 + 2 * i - 2), 12 + i, 12 + i);
    }
    DrawWoodPlate(p, QRectF(4.5, 36.5, 384, 55), 12);
    // The name and clock wells are centred on the texts the bar draws in them (y 52..70).
    DrawInset(p, QRectF(15, 44, 176, 33), 7);
    DrawInset(p, QRectF(195, 44, 78, 33), 7);
    DrawInset(p, QRectF(277, 44, 68, 36), 7);
    // The four suits in gold at the right end.
    const QColor ink(0xe3, 0xb8, 0x4f, 210);
    const int order[4] = {4, 3, 1, 2};
    for (int i = 0; i < 4; ++i)
        p.fillPath(SuitPath(order[i], QRectF(352 + (i % 2) * 14, 47 + (i / 2) * 17, 11, 12)), ink);
    return img;
}

QImage PlayerBarClock() {
    QImage img = Canvas(19, 21);
    QPainter p(&img);
    Prepare(p);
    const QColor ink(0x2a, 0x1a, 0x0c);
    p.setPen(QPen(ink, 1.0));
    p.setBrush(pal::Gold);
    p.drawRoundedRect(QRectF(7.5, 0.5, 4, 3), 1, 1);
    p.drawRect(QRectF(8.5, 3, 2, 2.5));
    p.save();
    p.translate(15.5, 5.5);
    p.rotate(45);
    p.drawRoundedRect(QRectF(-1.2, -1.5, 2.4, 3), 0.8, 0.8);
    p.restore();
    QRadialGradient face(QPointF(8, 11), 9);
    face.setColorAt(0, QColor(0xff, 0xff, 0xff));
    face.setColorAt(1, QColor(0xec, 0xe4, 0xcf));
    p.setBrush(face);
    p.setPen(QPen(ink, 1.2));
    p.drawEllipse(QPointF(9.5, 12.8), 7.4, 7.4);
    p.setPen(QPen(pal::GoldDark, 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(9.5, 12.8), 6.2, 6.2);
    p.setPen(QPen(ink, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 12.8), QPointF(9.5, 8.3));
    p.setPen(QPen(pal::CardRed, 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 12.8), QPointF(12.6, 14.6));
    return img;
}

QImage PlayerBarButton(bool take, int state) {
    QImage img = Canvas(34, 34);
    QPainter p(&img);
    Prepare(p);
    const int plateState = state == 1 ? 0 : state - 1;
    const QRectF r(1, 1, 32, 32);
    DrawPlate(p, r, 16, take ? kTakeBase : kBitoBase, plateState);
    const QColor glyph = state == 1 ? QColor(0xd8, 0xd8, 0xd8) : Qt::white;
    const qreal shift = state == 4 ? 1.0 : 0.0;
    if (take) {
        const QPainterPath arrow = TakeArrowPath(QRectF(9.5, 8.5 + shift, 15, 17));
        p.setPen(QPen(QColor(0, 0, 0, 90), 1.6));
        p.setBrush(glyph);
        p.drawPath(arrow);
    } else {
        const QPainterPath tick = TickPath(QRectF(9, 11 + shift, 16, 12));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 0, 90), 5.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        p.setPen(QPen(glyph, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    }
    return img;
}

QImage NickBar(bool active) {
    // Drawn in the 150 x 20 units the plate is shown at, stretched to 560 x 164 pixels, so the
    // scene's stretch gives back even borders and round corners.
    QImage img = Canvas(560, 164, QColor(0x12, 0x55, 0x2c));
    QPainter p(&img);
    Prepare(p);
    p.scale(560.0 / 150.0, 164.0 / 20.0);
    const QRectF r(0.25, 0.25, 149.5, 19.5);
    QPainterPath body;
    body.addRoundedRect(r, 4, 4);
    QLinearGradient fill(0, 0, 0, 20);
    if (active) {
        fill.setColorAt(0.0, QColor(0xf4, 0x8a, 0x3a));
        fill.setColorAt(0.5, QColor(0xd2, 0x52, 0x1a));
        fill.setColorAt(1.0, QColor(0x96, 0x2c, 0x0c));
    } else {
        fill.setColorAt(0.0, QColor(0x5a, 0x37, 0x1e));
        fill.setColorAt(0.5, pal::TopLight);
        fill.setColorAt(1.0, pal::TopDark);
    }
    p.fillPath(body, fill);
    QPainterPath gloss;
    gloss.addRoundedRect(QRectF(1.5, 1.0, 147, 8), 3, 3);
    p.fillPath(gloss, QColor(255, 255, 255, active ? 55 : 25));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(active ? QColor(0xff, 0xe0, 0x78) : pal::GoldDark, 0.8));
    p.drawRoundedRect(r.adjusted(0.6, 0.6, -0.6, -0.6), 3.5, 3.5);
    return img;
}

QImage PlaceLights(int state) {
    QImage img = Canvas(71, 96);
    QPainter p(&img);
    Prepare(p);
    const QRectF r(1.5, 1.5, 68, 93);
    // The veil stays inside the outline, so the outline is white whatever lies under it.
    p.setPen(Qt::NoPen);
    if (state == 2)
        p.setBrush(QColor(255, 255, 255, 80));
    else if (state == 3)
        p.setBrush(QColor(0xff, 0xf0, 0x30, 170)); // a thin yellow over the green cloth reads as olive
    else
        p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 4, 4);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 235), 2.0));
    p.drawRoundedRect(r, 5, 5);
    return img;
}

QImage TableButton(bool take, int state) {
    QImage img = Canvas(53, 76);
    QPainter p(&img);
    Prepare(p);
    const QRectF r(1, 1, 51, 74);
    DrawPlate(p, r, 6, take ? kTakeBase : kBitoBase, state);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 110), 1.0));
    p.drawRoundedRect(r.adjusted(3, 3, -3, -3), 4, 4);
    const qreal shift = state == 3 ? 1.0 : 0.0;
    if (take) {
        const QPainterPath arrow = TakeArrowPath(QRectF(14, 12 + shift, 25, 27));
        p.setPen(QPen(QColor(0, 0, 0, 100), 2.0));
        p.setBrush(Qt::white);
        p.drawPath(arrow);
    } else {
        const QPainterPath tick = TickPath(QRectF(13, 17 + shift, 27, 19));
        p.setPen(QPen(QColor(0, 0, 0, 100), 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
        p.setPen(QPen(Qt::white, 5.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(tick);
    }
    DrawLabel(p, QRectF(0, 49 + shift, 53, 16), QString::fromUtf8(take ? "Взять" : "Бито"),
              Font(TFace::CondensedBold, 11), Qt::white, QColor(0, 0, 0, 120), 1.2);
    return img;
}

QImage PanelDeck() {
    QImage img = Canvas(78, 32);
    QPainter p(&img);
    Prepare(p);
    DrawWoodPlate(p, QRectF(0.5, 0.5, 77, 31), 8);
    // The trump mark lands at (12, 6) on a light badge; the count text at (42, 7).
    QPainterPath badge;
    badge.addRoundedRect(QRectF(9.5, 4.5, 27, 23), 6, 6);
    QLinearGradient ivory(0, 4, 0, 28);
    ivory.setColorAt(0, QColor(0xff, 0xfd, 0xf4));
    ivory.setColorAt(1, QColor(0xe8, 0xdf, 0xc6));
    p.fillPath(badge, ivory);
    p.setPen(QPen(pal::GoldDark, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(badge);
    DrawInset(p, QRectF(39.5, 5, 32, 22), 5);
    return img;
}

QImage RoundEnd() {
    QImage img = Canvas(103, 29);
    QPainter p(&img);
    Prepare(p);
    // The scene writes "Конец раунда: N" across nearly the whole width: a dark plate with a thin gold
    // edge leaves the text room, where thick wooden rims would run under it.
    QPainterPath body;
    body.addRoundedRect(QRectF(0.5, 0.5, 102, 28), 6, 6);
    QLinearGradient fill(0, 0, 0, 29);
    fill.setColorAt(0, QColor(0x5a, 0x34, 0x1a, 240));
    fill.setColorAt(1, QColor(0x33, 0x1c, 0x0c, 240));
    p.fillPath(body, fill);
    p.setPen(QPen(pal::Gold, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    return img;
}

QImage YourTurn() {
    QImage img = Canvas(179, 72);
    QPainter p(&img);
    Prepare(p);
    const QRectF r(3.5, 3.5, 172, 65);
    QPainterPath body;
    body.addRoundedRect(r, 14, 14);
    // The scene shows the plate at 60 % over the green cloth, where gold turns olive: crimson stays red.
    QLinearGradient crimson(r.topLeft(), r.bottomLeft());
    crimson.setColorAt(0.0, QColor(0xf2, 0x4a, 0x3c));
    crimson.setColorAt(0.5, QColor(0xd0, 0x1c, 0x24));
    crimson.setColorAt(1.0, QColor(0x8c, 0x08, 0x14));
    p.fillPath(body, crimson);
    p.setPen(QPen(QColor(0x40, 0x04, 0x08), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    p.setPen(QPen(QColor(255, 250, 220, 170), 1.2));
    p.drawRoundedRect(r.adjusted(3.5, 3.5, -3.5, -3.5), 11, 11);
    DrawLabel(p, r, QString::fromUtf8("Ваш ход!"), Font(TFace::SansBold, 24), Qt::white,
              QColor(0x40, 0x04, 0x08), 2.4);
    return img;
}

QImage AppIcon(int Size) {
    QImage img = Canvas(Size, Size);
    QPainter p(&img);
    Prepare(p);
    p.scale(Size / 128.0, Size / 128.0);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(2, 2, 124, 124), 24, 24);
    QRadialGradient felt(QPointF(64, 56), 90);
    felt.setColorAt(0, pal::BaizeLight);
    felt.setColorAt(1, pal::BaizeDark);
    p.fillPath(tile, felt);
    p.setPen(QPen(pal::Gold, 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tile);
    const QImage cards[3] = {CardFace(2, 13), CardFace(4, 13), CardFace(3, 13)};
    const qreal angles[3] = {-18, 0, 18};
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(64, 112);
        p.rotate(angles[i]);
        p.drawImage(QRectF(-30, -88, 60, 81), cards[i]);
        p.restore();
    }
    return img;
}

QImage WindowBackground(int w, int h) {
    return Canvas(w, h, pal::Body);
}

QImage WindowFrame(int w, int h) {
    QImage img = Canvas(w, h, pal::WoodLight);
    QPainter p(&img);
    QLinearGradient wood(0, 0, 0, h);
    wood.setColorAt(0.0, Lighter(pal::WoodLight, 0.12));
    wood.setColorAt(0.35, pal::WoodLight);
    wood.setColorAt(1.0, pal::WoodDark);
    p.fillRect(img.rect(), wood);
    return img;
}

QImage WindowTop(int w, int h) {
    QImage img = Canvas(w, h, pal::TopLight);
    QPainter p(&img);
    QLinearGradient bar(0, 0, 0, h);
    bar.setColorAt(0.0, Lighter(pal::TopLight, 0.22));
    bar.setColorAt(0.06, Lighter(pal::TopLight, 0.10));
    bar.setColorAt(0.45, pal::TopLight);
    bar.setColorAt(0.94, pal::TopDark);
    bar.setColorAt(1.0, Darker(pal::TopDark, 0.35));
    p.fillRect(img.rect(), bar);
    return img;
}

QImage CloseIcon(int state) {
    // Shown stretched to a square: widen the shapes by the picture's aspect so they come out round.
    const qreal kSquash = 102.0 / 98.0;
    QImage img = Canvas(102, 98);
    QPainter p(&img);
    Prepare(p);
    const QPointF c(51, 49);
    if (state >= 2) {
        QRadialGradient red(c - QPointF(10, 14), 60);
        const QColor base = state == 2 ? QColor(0xe0, 0x44, 0x34) : QColor(0x9a, 0x22, 0x18);
        red.setColorAt(0, Lighter(base, 0.25));
        red.setColorAt(1, base);
        p.setPen(QPen(QColor(255, 255, 255, 200), 4));
        p.setBrush(red);
        p.drawEllipse(c, 46 * kSquash, 45);
    }
    const qreal arm = state == 3 ? 22 : 25;
    const QPointF o(0, state == 3 ? 2 : 0);
    auto cross = [&](const QPen &pen) {
        p.setPen(pen);
        p.drawLine(c + o + QPointF(-arm * kSquash, -arm), c + o + QPointF(arm * kSquash, arm));
        p.drawLine(c + o + QPointF(arm * kSquash, -arm), c + o + QPointF(-arm * kSquash, arm));
    };
    cross(QPen(QColor(0, 0, 0, 90), 22, Qt::SolidLine, Qt::RoundCap));
    cross(QPen(Qt::white, 14, Qt::SolidLine, Qt::RoundCap));
    return img;
}

QImage GreenButton(int w, int h, const QString &label, int glyph, int state) {
    const QColor base = kGreenButton;
    const QColor rim = Darker(state == 2 ? Lighter(base, 0.18) : state == 3 ? Darker(base, 0.18) : base, 0.5);
    QImage img = Canvas(w, h, rim);
    QPainter p(&img);
    Prepare(p);
    DrawPlate(p, QRectF(0, 0, w, h), 2, base, state);
    const qreal shift = state == 3 ? 1.0 : 0.0;
    const qreal fontPx = h <= 20 ? 13 : h <= 35 ? 14 : 13;
    const QFont font = Font(h >= 50 ? TFace::SansBold : TFace::SansBold, fontPx);
    const QFontMetricsF fm(font);
    const qreal textW = fm.horizontalAdvance(label);
    const qreal glyphW = glyph ? h * 0.34 : 0, gap = glyph ? h * 0.2 : 0;
    const qreal left = (w - textW - glyphW - gap) / 2;
    const QColor outline(0x0c, 0x3a, 0x14, 190);
    if (glyph == 1) {
        const QRectF g(left, h * 0.31 + shift, glyphW, h * 0.4);
        p.setPen(QPen(outline, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0xff, 0xe0, 0x6a));
        p.drawPath(PlayTrianglePath(g));
    } else if (glyph == 2) {
        const QRectF g(left, h * 0.33 + shift, glyphW, h * 0.34);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(outline, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(TickPath(g));
        p.setPen(QPen(QColor(0xff, 0xe0, 0x6a), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(TickPath(g));
    }
    DrawLabel(p, QRectF(left + glyphW + gap, shift, textW, h), label, font, Qt::white, outline,
              h <= 20 ? 1.0 : 1.5, Qt::AlignLeft);
    return img;
}

QImage ServerListRow(int state) {
    QImage img = Canvas(510, 30, QColor(0xe0, 0xeb, 0xa0));
    QPainter p(&img);
    Prepare(p);
    QColor top(0xf1, 0xf7, 0xc4), bottom(0xd2, 0xe2, 0x88);
    if (state == 2) {
        top = QColor(0xfb, 0xfd, 0xd8);
        bottom = QColor(0xe4, 0xef, 0x92);
    } else if (state == 3) {
        top = QColor(0xc4, 0xd6, 0x74);
        bottom = QColor(0xd8, 0xe6, 0x90);
    }
    QLinearGradient fill(0, 0, 0, 30);
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.fillRect(img.rect(), fill);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(255, 255, 255, state == 3 ? 60 : 170));
    p.drawLine(0, 0, 509, 0);
    p.setPen(QColor(0x8a, 0x9c, 0x3c));
    p.drawLine(0, 29, 509, 29);
    if (state == 2) {
        p.setPen(QColor(0xa8, 0xbc, 0x48));
        p.drawRect(0, 0, 509, 29);
    }
    return img;
}

QImage TableListBackground() {
    QImage img(300, 300, QImage::Format_ARGB32);
    img.fill(QColor(0xd8, 0xd8, 0xd6));
    return img;
}

QImage PlayerIcon(bool taken) {
    QImage img = Canvas(40, 40);
    QPainter p(&img);
    Prepare(p);
    // A free seat is the same mark at half opacity.
    p.setOpacity(taken ? 1.0 : 0.5);
    const QColor ink(0x3a, 0x3a, 0x3a);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(20, 11.5), 7.8, 8.2);
    QPainterPath body;
    body.moveTo(4, 38);
    body.cubicTo(4, 27, 10, 22.5, 20, 22.5);
    body.cubicTo(30, 22.5, 36, 27, 36, 38);
    body.closeSubpath();
    p.drawPath(body);
    return img;
}

QImage TransferIcon(bool on) {
    QImage img = Canvas(20, 20);
    QPainter p(&img);
    Prepare(p);
    const QColor ink = on ? kIconOn : kIconOff;
    p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(2, 6.5), QPointF(13, 6.5));
    p.drawLine(QPointF(7, 13.5), QPointF(18, 13.5));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    QPainterPath right, left;
    right.moveTo(18.5, 6.5);
    right.lineTo(12, 2.2);
    right.lineTo(12, 10.8);
    right.closeSubpath();
    left.moveTo(1.5, 13.5);
    left.lineTo(8, 9.2);
    left.lineTo(8, 17.8);
    left.closeSubpath();
    p.drawPath(right);
    p.drawPath(left);
    return img;
}

QImage FirstNotTransferredIcon(bool on) {
    QImage img = Canvas(40, 40);
    QPainter p(&img);
    Prepare(p);
    const QColor ink = on ? kIconOn : kIconOff;
    // A digit one under a "not" sign (a ring with a slash). The one is drawn by hand with a short
    // flag so that the slash crosses only its stem and the mark cannot be read as a Z.
    // Shown at 20 x 20, so every stroke is at least two pixels there: a broad one, a narrow cut.
    QPainterPath one;
    one.addRect(QRectF(17.2, 7.5, 6.4, 24));
    one.moveTo(17.4, 7.5);
    one.lineTo(23.4, 7.5);
    one.lineTo(13.6, 13.8);
    one.lineTo(12.4, 10.6);
    one.closeSubpath();
    one.addRect(QRectF(13, 28, 14.8, 4.4));
    p.fillPath(one.simplified(), ink);
    const QPointF c(20, 20);
    const qreal r = 17.0;
    const QLineF slash(c + QPointF(-r, -r) * 0.7071, c + QPointF(r, r) * 0.7071);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(QPen(Qt::black, 4.4));
    p.drawLine(slash);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(QPen(ink, 3.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    p.drawLine(slash);
    return img;
}

QImage MaxFiveIcon(bool on) {
    QImage img = Canvas(40, 40);
    QPainter p(&img);
    Prepare(p);
    const QColor ink = on ? kIconOn : kIconOff;
    // Two cards of a stack with a five on the front one.
    p.save();
    p.translate(17, 21);
    p.rotate(-14);
    p.setPen(QPen(ink, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(-11, -15, 22, 30), 3.5, 3.5);
    p.restore();
    p.save();
    p.translate(23, 20);
    p.rotate(8);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setPen(QPen(Qt::black, 6));
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(-11, -15, 22, 30), 3.5, 3.5);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(QPen(ink, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(-11, -15, 22, 30), 3.5, 3.5);
    DrawLabel(p, QRectF(-11, -15, 22, 30), QStringLiteral("5"), Font(TFace::SansBold, 21), ink,
              Qt::transparent, 0);
    p.restore();
    return img;
}

QImage ResultBanner(int kind) {
    struct TBannerStyle {
        const char *Text;
        QColor Band, TextColour, Outline;
    };
    const TBannerStyle styles[4] = {
        {"Вы выиграли!", QColor(0xea, 0xb5, 0x35), QColor(0x4a, 0x26, 0x02), QColor(0xff, 0xf0, 0xb8)},
        {"Вы проиграли", QColor(0x40, 0x45, 0x52), QColor(0xf0, 0xf2, 0xf6), QColor(0x16, 0x18, 0x1e)},
        {"Ничья", QColor(0x2c, 0x8a, 0x44), Qt::white, QColor(0x0e, 0x3c, 0x1a)},
        {"Набор игроков", QColor(0x1a, 0x86, 0x8a), Qt::white, QColor(0x06, 0x36, 0x3a)},
    };
    const TBannerStyle &st = styles[kind];
    QImage img = Canvas(460, 40, pal::Body);
    QPainter p(&img);
    Prepare(p);
    // Swallow-tail ends behind the band.
    const QColor tail = Darker(st.Band, 0.28);
    for (int side = 0; side < 2; ++side) {
        QPainterPath t;
        const qreal x0 = side == 0 ? 2 : 458, x1 = side == 0 ? 34 : 426, dir = side == 0 ? 1 : -1;
        t.moveTo(x0, 9);
        t.lineTo(x1, 9);
        t.lineTo(x1, 37);
        t.lineTo(x0, 37);
        t.lineTo(x0 + dir * 10, 23);
        t.closeSubpath();
        p.setPen(QPen(Darker(st.Band, 0.5), 1.0));
        p.setBrush(tail);
        p.drawPath(t);
    }
    const QRectF band(20.5, 2.5, 419, 31);
    QLinearGradient fill(band.topLeft(), band.bottomLeft());
    fill.setColorAt(0.0, Lighter(st.Band, 0.30));
    fill.setColorAt(0.5, st.Band);
    fill.setColorAt(1.0, Darker(st.Band, 0.18));
    p.setPen(QPen(Darker(st.Band, 0.5), 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(band, 3, 3);
    p.setPen(QPen(Lighter(st.Band, 0.5), 1.0, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(band.adjusted(3, 3, -3, -3), 2, 2);

    const QString text = QString::fromUtf8(st.Text);
    const QFont font = Font(TFace::SansBold, 20);
    const qreal textW = QFontMetricsF(font).horizontalAdvance(text);
    DrawLabel(p, band, text, font, st.TextColour, st.Outline, 1.5);
    const qreal cx = band.center().x(), cy = band.center().y();
    for (int side = -1; side <= 1; side += 2) {
        const qreal x = cx + side * (textW / 2 + 28);
        switch (kind) {
        case 0:
            DrawTrophy(p, QPointF(x, cy + 1), 22);
            break;
        case 1:
            DrawSadFace(p, QPointF(x, cy), 10);
            break;
        case 2:
            DrawWhiteFlag(p, QPointF(x + 2, cy + 12), 24, side > 0);
            break;
        default:
            DrawPowerMark(p, QPointF(x, cy + 1), 8, Qt::white);
            break;
        }
    }
    return img;
}

} // namespace trelvo::art
