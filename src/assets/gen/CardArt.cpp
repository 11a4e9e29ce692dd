#include "Art.h"
#include "Pictures.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace trelvo::art {

namespace {

constexpr int kCardW = 71;
constexpr int kCardH = 96;
constexpr qreal kCornerRadius = 5.0;

// Russian indices: В(алет), Д(ама), К(ороль), Т(уз).
QString RankText(int dignity)
{
    static const char *const ranks[] = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "В", "Д", "К", "Т"};
    return QString::fromUtf8(ranks[dignity - 1]);
}

QPainterPath CardShape()
{
    QPainterPath p;
    p.addRoundedRect(QRectF(0.5, 0.5, kCardW - 1, kCardH - 1), kCornerRadius, kCornerRadius);
    return p;
}

void DrawBlank(QPainter &p)
{
    const QPainterPath shape = CardShape();
    QLinearGradient paper(0, 0, 0, kCardH);
    paper.setColorAt(0.0, QColor(0xff, 0xff, 0xfd));
    paper.setColorAt(1.0, QColor(0xf6, 0xf1, 0xe4));
    p.fillPath(shape, paper);
    p.setPen(QPen(QColor(0x6e, 0x6a, 0x62), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

// A pip centred on c; pips below the middle stand upside down, as on printed cards.
void DrawPip(QPainter &p, int suit, QPointF c, QSizeF size, bool flipped)
{
    p.save();
    p.translate(c);
    if (flipped)
        p.rotate(180);
    p.fillPath(SuitPath(suit, QRectF(-size.width() / 2, -size.height() / 2, size.width(), size.height())),
               SuitColour(suit));
    p.restore();
}

void DrawIndex(QPainter &p, int suit, int dignity)
{
    const QString rank = RankText(dignity);
    QFont font = Font(TFace::CondensedBold, 14);
    if (rank.size() > 1)
        font.setLetterSpacing(QFont::AbsoluteSpacing, -1.2);
    const QColor colour = SuitColour(suit);
    for (int corner = 0; corner < 2; ++corner) {
        p.save();
        if (corner == 1) {
            p.translate(kCardW, kCardH);
            p.rotate(180);
        }
        QPainterPath text;
        const QFontMetricsF fm(font);
        const qreal w = fm.horizontalAdvance(rank) + (rank.size() > 1 ? 1.2 : 0);
        text.addText(QPointF(9.0 - w / 2, 3.5 + fm.capHeight()), font, rank);
        p.fillPath(text, colour);
        p.fillPath(SuitPath(suit, QRectF(4.5, 17.5, 9, 10)), colour);
        p.restore();
    }
}

void DrawPips(QPainter &p, int suit, int dignity)
{
    const qreal xl = 22.5, xc = 35.5, xr = 48.5;
    const qreal top = 17.0, bottom = 79.0, mid = 48.0;
    const qreal q1 = top + (bottom - top) / 3, q2 = top + 2 * (bottom - top) / 3;
    std::vector<QPointF> pts;
    const int pips = dignity + 1;
    switch (pips) {
    case 2: pts = {{xc, top}, {xc, bottom}}; break;
    case 3: pts = {{xc, top}, {xc, mid}, {xc, bottom}}; break;
    case 4: pts = {{xl, top}, {xr, top}, {xl, bottom}, {xr, bottom}}; break;
    case 5: pts = {{xl, top}, {xr, top}, {xc, mid}, {xl, bottom}, {xr, bottom}}; break;
    case 6: pts = {{xl, top}, {xr, top}, {xl, mid}, {xr, mid}, {xl, bottom}, {xr, bottom}}; break;
    case 7:
        pts = {{xl, top}, {xr, top}, {xc, (top + mid) / 2}, {xl, mid}, {xr, mid}, {xl, bottom}, {xr, bottom}};
        break;
    case 8:
        pts = {{xl, top},    {xr, top},    {xc, (top + mid) / 2}, {xl, mid},
               {xr, mid},    {xc, (mid + bottom) / 2}, {xl, bottom}, {xr, bottom}};
        break;
    case 9:
        pts = {{xl, top}, {xr, top}, {xl, q1}, {xr, q1}, {xc, mid}, {xl, q2}, {xr, q2}, {xl, bottom}, {xr, bottom}};
        break;
    case 10:
        pts = {{xl, top}, {xr, top}, {xc, (top + q1) / 2}, {xl, q1}, {xr, q1},
               {xl, q2},  {xr, q2},  {xc, (q2 + bottom) / 2}, {xl, bottom}, {xr, bottom}};
        break;
    default: break;
    }
    for (const QPointF &pt : pts)
        DrawPip(p, suit, pt, QSizeF(12, 13), pt.y() > mid + 0.5);
}

void DrawAce(QPainter &p, int suit)
{
    const QPointF c(kCardW / 2.0, kCardH / 2.0);
    if (suit == 4) {
        // The ace of spades carries the deck's flourish: a larger pip with an inlaid outline and a ring.
        p.setPen(QPen(QColor(0xb8, 0x93, 0x3a), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 25, 25);
        p.setPen(QPen(QColor(0xb8, 0x93, 0x3a, 120), 0.8));
        p.drawEllipse(c, 22.5, 22.5);
        const QRectF r(c.x() - 18, c.y() - 20, 36, 40);
        p.fillPath(SuitPath(4, r), pal::CardBlack);
        p.setPen(QPen(QColor(0xe9, 0xd8, 0xa6), 1.0));
        p.drawPath(SuitPath(4, r.adjusted(7, 7, -7, -7)));
    } else {
        const QRectF r(c.x() - 16, c.y() - 17.5, 32, 35);
        QRadialGradient shade(c - QPointF(5, 7), 26);
        shade.setColorAt(0.0, Lighter(SuitColour(suit), 0.22));
        shade.setColorAt(1.0, SuitColour(suit));
        p.fillPath(SuitPath(suit, r), shade);
    }
}

struct TCourtStyle {
    QColor Robe, Trim, Accent;
};

TCourtStyle CourtStyle(int suit, int dignity)
{
    const QColor red(0xb0, 0x22, 0x2c), blue(0x24, 0x3f, 0x8f), green(0x2f, 0x6e, 0x3a), gold(0xd9, 0xa8, 0x2e);
    const bool redSuit = SuitIsRed(suit);
    switch (dignity) {
    case 12: return redSuit ? TCourtStyle{red, gold, blue} : TCourtStyle{blue, gold, red};   // king
    case 11: return redSuit ? TCourtStyle{blue, gold, red} : TCourtStyle{red, gold, green};  // queen
    default: return redSuit ? TCourtStyle{green, gold, red} : TCourtStyle{gold, red, blue};  // jack
    }
}

// One half of a double-headed court figure, drawn in a w x h box whose bottom edge is the card's middle.
void DrawCourtHalf(QPainter &p, int suit, int dignity, qreal w, qreal h)
{
    const TCourtStyle st = CourtStyle(suit, dignity);
    const qreal cx = w / 2;
    const QColor skin(0xf6, 0xd2, 0xae), line(0x3a, 0x24, 0x14);
    const QColor silver(0xc9, 0xd1, 0xda), brown(0x7a, 0x4a, 0x22);
    p.setPen(QPen(line, 0.7));

    // What the figure holds stands behind the robe.
    if (dignity == 12) { // sword
        p.setPen(QPen(line, 0.6));
        p.setBrush(silver);
        p.drawRect(QRectF(w - 7.8, 2.5, 2.2, 24));
        p.setBrush(st.Trim);
        p.drawRect(QRectF(w - 10.2, 25.5, 7, 2));
    } else if (dignity == 10) { // halberd
        p.setPen(QPen(brown, 1.6));
        p.drawLine(QPointF(5, 4), QPointF(5, h));
        p.setPen(QPen(line, 0.6));
        p.setBrush(silver);
        QPainterPath head;
        head.moveTo(5, 0.8);
        head.lineTo(7.4, 6.5);
        head.lineTo(5, 9);
        head.lineTo(2.6, 6.5);
        head.closeSubpath();
        p.drawPath(head);
    }

    // Robe and shoulders.
    QPainterPath robe;
    robe.moveTo(1.5, h);
    robe.cubicTo(1.5, 30, 5, 23.5, cx - 7, 22.5);
    robe.lineTo(cx + 7, 22.5);
    robe.cubicTo(w - 5, 23.5, w - 1.5, 30, w - 1.5, h);
    robe.closeSubpath();
    QLinearGradient robeFill(0, 22, w, h);
    robeFill.setColorAt(0, Lighter(st.Robe, 0.15));
    robeFill.setColorAt(1, Darker(st.Robe, 0.15));
    p.setBrush(robeFill);
    p.setPen(QPen(line, 0.7));
    p.drawPath(robe);
    // Front panel and sleeves in the accent colour with trim stripes.
    p.setBrush(st.Accent);
    p.drawRect(QRectF(cx - 4.5, 24, 9, h - 24));
    p.setPen(QPen(st.Trim, 1.2));
    p.drawLine(QPointF(cx - 4.5, 24.5), QPointF(cx - 4.5, h));
    p.drawLine(QPointF(cx + 4.5, 24.5), QPointF(cx + 4.5, h));
    p.drawLine(QPointF(4, h - 4), QPointF(cx - 5, h - 4));
    p.drawLine(QPointF(cx + 5, h - 4), QPointF(w - 4, h - 4));
    p.setPen(QPen(line, 0.7));

    // Collar: ermine for the king, lace for the queen, a plain band for the jack.
    QPainterPath collar;
    collar.moveTo(cx - 9, 22.8);
    collar.quadTo(cx, 28.5, cx + 9, 22.8);
    collar.quadTo(cx, 25.5, cx - 9, 22.8);
    p.setBrush(dignity == 10 ? st.Trim : QColor(0xfb, 0xf8, 0xee));
    p.drawPath(collar);
    if (dignity == 12) {
        p.setPen(Qt::NoPen);
        p.setBrush(line);
        for (int i = -2; i <= 2; ++i)
            p.drawEllipse(QPointF(cx + i * 3.2, 24.6 + (i == 0 ? 1.4 : (std::abs(i) == 1 ? 0.9 : 0.0))), 0.55, 0.55);
        p.setPen(QPen(line, 0.7));
    }

    // Hair behind the head.
    if (dignity == 11) {
        p.setBrush(QColor(0xd9, 0x9a, 0x22));
        QPainterPath hair;
        hair.moveTo(cx - 7.5, 8);
        hair.cubicTo(cx - 10, 16, cx - 9, 21, cx - 6, 23);
        hair.lineTo(cx + 6, 23);
        hair.cubicTo(cx + 9, 21, cx + 10, 16, cx + 7.5, 8);
        hair.closeSubpath();
        p.drawPath(hair);
    }
    // Neck and head.
    p.setBrush(skin);
    p.drawRect(QRectF(cx - 2, 17, 4, 5));
    p.drawEllipse(QPointF(cx, 13.2), 5.3, 6.2);
    // Hair and beard.
    if (dignity == 12) {
        p.setBrush(QColor(0x8a, 0x5a, 0x2e));
        QPainterPath beard;
        beard.moveTo(cx - 5.2, 13.5);
        beard.cubicTo(cx - 5, 19.5, cx - 2, 22.5, cx, 22.8);
        beard.cubicTo(cx + 2, 22.5, cx + 5, 19.5, cx + 5.2, 13.5);
        beard.cubicTo(cx + 3.5, 16.8, cx - 3.5, 16.8, cx - 5.2, 13.5);
        p.drawPath(beard);
        p.drawLine(QPointF(cx - 2, 16.3), QPointF(cx + 2, 16.3));
    } else if (dignity == 10) {
        p.setBrush(QColor(0x6b, 0x40, 0x1c));
        QPainterPath hair;
        hair.moveTo(cx - 5.6, 14);
        hair.cubicTo(cx - 6.5, 8, cx - 3, 7, cx, 7.2);
        hair.cubicTo(cx + 3, 7, cx + 6.5, 8, cx + 5.6, 14);
        hair.quadTo(cx + 5, 10.5, cx, 10.2);
        hair.quadTo(cx - 5, 10.5, cx - 5.6, 14);
        p.drawPath(hair);
    } else {
        p.setBrush(QColor(0xd9, 0x9a, 0x22));
        QPainterPath fringe;
        fringe.moveTo(cx - 5.4, 12.5);
        fringe.cubicTo(cx - 5.5, 7, cx + 5.5, 7, cx + 5.4, 12.5);
        fringe.quadTo(cx, 9, cx - 5.4, 12.5);
        p.drawPath(fringe);
    }
    // Face.
    p.setPen(Qt::NoPen);
    p.setBrush(line);
    p.drawEllipse(QPointF(cx - 2.0, 12.8), 0.65, 0.65);
    p.drawEllipse(QPointF(cx + 2.0, 12.8), 0.65, 0.65);
    if (dignity != 12) {
        p.setPen(QPen(dignity == 11 ? QColor(0xc0, 0x30, 0x40) : line, 0.8));
        p.drawLine(QPointF(cx - 1.2, 16.2), QPointF(cx + 1.2, 16.2));
    }
    p.setPen(QPen(line, 0.7));

    // Headwear: crown, tiara or cap.
    p.setBrush(pal::Gold);
    if (dignity == 12) {
        QPainterPath crown;
        crown.moveTo(cx - 6, 8.5);
        crown.lineTo(cx - 6.5, 2.0);
        crown.lineTo(cx - 3.2, 5.2);
        crown.lineTo(cx, 0.8);
        crown.lineTo(cx + 3.2, 5.2);
        crown.lineTo(cx + 6.5, 2.0);
        crown.lineTo(cx + 6, 8.5);
        crown.closeSubpath();
        p.drawPath(crown);
        p.setPen(Qt::NoPen);
        p.setBrush(st.Accent);
        p.drawEllipse(QPointF(cx, 6.4), 1.0, 1.0);
        p.setBrush(QColor(0xc0, 0x20, 0x30));
        p.drawEllipse(QPointF(cx - 3.6, 7.0), 0.8, 0.8);
        p.drawEllipse(QPointF(cx + 3.6, 7.0), 0.8, 0.8);
    } else if (dignity == 11) {
        QPainterPath tiara;
        tiara.moveTo(cx - 5.5, 8.3);
        tiara.quadTo(cx - 5, 5, cx - 3.5, 4.6);
        tiara.quadTo(cx - 2, 4.6, cx - 1.6, 5.0);
        tiara.quadTo(cx, 1.8, cx + 1.6, 5.0);
        tiara.quadTo(cx + 2, 4.6, cx + 3.5, 4.6);
        tiara.quadTo(cx + 5, 5, cx + 5.5, 8.3);
        tiara.closeSubpath();
        p.drawPath(tiara);
        p.setPen(Qt::NoPen);
        p.setBrush(st.Accent);
        p.drawEllipse(QPointF(cx, 4.6), 1.0, 1.0);
    } else {
        QPainterPath cap;
        cap.moveTo(cx - 7, 9);
        cap.cubicTo(cx - 7, 3.5, cx + 6, 2.2, cx + 7.5, 7);
        cap.lineTo(cx + 7, 9);
        cap.closeSubpath();
        p.setBrush(st.Accent);
        p.drawPath(cap);
        p.setBrush(st.Trim);
        p.drawRect(QRectF(cx - 7, 7.8, 14.2, 1.6));
        // Feather.
        p.setPen(QPen(QColor(0xfb, 0xf8, 0xee), 1.4, Qt::SolidLine, Qt::RoundCap));
        QPainterPath feather;
        feather.moveTo(cx + 5, 5.5);
        feather.cubicTo(cx + 9, 3, cx + 11, 1.5, cx + 13, 0.8);
        p.setBrush(Qt::NoBrush);
        p.drawPath(feather);
    }
    p.setPen(QPen(line, 0.7));

    // The suit emblem on a gold medallion on the chest.
    p.setBrush(pal::Gold);
    p.drawEllipse(QPointF(cx, h - 8.5), 4.4, 4.4);
    p.fillPath(SuitPath(suit, QRectF(cx - 2.9, h - 11.6, 5.8, 6.2)), SuitColour(suit));

    // Queen's flower in front.
    if (dignity == 11) {
        p.setPen(QPen(QColor(0x3c, 0x7a, 0x2a), 0.9));
        p.drawLine(QPointF(w - 7, 21), QPointF(w - 9.5, h - 6));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd8, 0x2a, 0x48));
        for (int i = 0; i < 5; ++i) {
            const qreal a = i * 2 * M_PI / 5;
            p.drawEllipse(QPointF(w - 7 + 1.6 * std::cos(a), 19 + 1.6 * std::sin(a)), 1.3, 1.3);
        }
        p.setBrush(pal::Gold);
        p.drawEllipse(QPointF(w - 7, 19), 0.9, 0.9);
    }
}

void DrawCourt(QPainter &p, int suit, int dignity)
{
    const QRectF frame(15.5, 7.5, 40, 81);
    const QColor suitColour = SuitColour(suit);
    p.fillRect(frame, QColor(0xfb, 0xf3, 0xdc));
    for (int half = 0; half < 2; ++half) {
        p.save();
        p.setClipRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
        if (half == 0) {
            p.translate(frame.left(), frame.top());
        } else {
            p.translate(frame.right(), frame.bottom());
            p.rotate(180);
        }
        DrawCourtHalf(p, suit, dignity, frame.width(), frame.height() / 2);
        // The suit pip in the portrait's corner.
        p.fillPath(SuitPath(suit, QRectF(2.2, 2.2, 6.5, 7)), suitColour);
        p.restore();
    }
    // The dividing line and the frame: gold inside, suit colour outside.
    p.setPen(QPen(pal::GoldDark, 0.8));
    p.drawLine(QPointF(frame.left(), frame.center().y()), QPointF(frame.right(), frame.center().y()));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(suitColour, 1.0));
    p.drawRect(frame);
    p.setPen(QPen(pal::Gold, 0.8));
    p.drawRect(frame.adjusted(1.2, 1.2, -1.2, -1.2));
}

} // namespace

QImage CardFace(int suit, int dignity)
{
    QImage img = Canvas(kCardW, kCardH);
    QPainter p(&img);
    Prepare(p);
    DrawBlank(p);
    if (dignity == 13)
        DrawAce(p, suit);
    else if (dignity >= 10)
        DrawCourt(p, suit, dignity);
    else
        DrawPips(p, suit, dignity);
    DrawIndex(p, suit, dignity);
    return img;
}

QImage CardBack()
{
    QImage img = Canvas(kCardW, kCardH);
    QPainter p(&img);
    Prepare(p);
    const QPainterPath shape = CardShape();
    p.fillPath(shape, QColor(0xfd, 0xfb, 0xf4));
    const QRectF inner(4.5, 4.5, kCardW - 9, kCardH - 9);
    QPainterPath panel;
    panel.addRoundedRect(inner, 3, 3);
    QRadialGradient wine(inner.center(), 58);
    wine.setColorAt(0.0, QColor(0x9c, 0x1d, 0x30));
    wine.setColorAt(1.0, QColor(0x55, 0x0b, 0x18));
    p.fillPath(panel, wine);

    // A fine gold lattice with dots where the lines cross.
    p.save();
    p.setClipPath(panel);
    p.setPen(QPen(QColor(0xe3, 0xb8, 0x4f, 85), 0.7));
    const qreal step = 7.0;
    for (qreal d = -kCardH; d < kCardW + kCardH; d += step) {
        p.drawLine(QPointF(d, 0), QPointF(d + kCardH, kCardH));
        p.drawLine(QPointF(d, 0), QPointF(d - kCardH, kCardH));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xd0, 0x78, 120));
    for (int i = -20; i < 30; ++i)
        for (int j = -20; j < 30; ++j) {
            const QPointF c((i + j) * step / 2, (j - i) * step / 2 + step / 2);
            if (inner.contains(c))
                p.drawEllipse(c, 0.7, 0.7);
        }
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pal::Gold, 1.0));
    p.drawRoundedRect(inner.adjusted(2.5, 2.5, -2.5, -2.5), 2, 2);

    // The medallion: a dark oval with the four suits around a gold lozenge.
    const QPointF c = inner.center();
    QRadialGradient well(c, 20);
    well.setColorAt(0.0, QColor(0x6a, 0x0e, 0x1c));
    well.setColorAt(1.0, QColor(0x3e, 0x06, 0x10));
    p.setBrush(well);
    p.setPen(QPen(pal::Gold, 1.3));
    p.drawEllipse(c, 17, 23);
    p.setPen(QPen(QColor(0xe3, 0xb8, 0x4f, 140), 0.7));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 14.5, 20.5);
    const QColor suitInk(0xf4, 0xe2, 0xb0);
    const QPointF spots[4] = {{c.x(), c.y() - 12}, {c.x() + 8.5, c.y()}, {c.x(), c.y() + 12}, {c.x() - 8.5, c.y()}};
    const int suits[4] = {4, 3, 1, 2};
    for (int i = 0; i < 4; ++i)
        p.fillPath(SuitPath(suits[i], QRectF(spots[i].x() - 3.5, spots[i].y() - 3.8, 7, 7.6)), suitInk);
    QPainterPath lozenge;
    lozenge.moveTo(c.x(), c.y() - 4);
    lozenge.lineTo(c.x() + 2.8, c.y());
    lozenge.lineTo(c.x(), c.y() + 4);
    lozenge.lineTo(c.x() - 2.8, c.y());
    lozenge.closeSubpath();
    p.fillPath(lozenge, pal::Gold);

    p.setPen(QPen(QColor(0x6e, 0x6a, 0x62), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    return img;
}

QImage SuitMark(int suit, int w, int h)
{
    QImage img = Canvas(w, h);
    QPainter p(&img);
    Prepare(p);
    const QPainterPath shape = SuitPath(suit, QRectF(1.2, 1.2, w - 2.4, h - 2.4));
    p.setPen(QPen(QColor(255, 255, 255, 230), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, Lighter(SuitColour(suit), 0.2));
    fill.setColorAt(1, SuitColour(suit));
    p.fillPath(shape, fill);
    return img;
}

} // namespace trelvo::art
