#include "Art.h"
#include "Pictures.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>

#include <cmath>
#include <utility>
#include <vector>

namespace trelvo::art {

namespace {

constexpr int kCardW = 71;
constexpr int kCardH = 96;
constexpr qreal kCornerRadius = 5.0;

// Russian indices: В(алет), Д(ама), К(ороль), Т(уз).
QString RankText(int dignity) {
    static const char *const ranks[] = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "В", "Д", "К", "Т"};
    return QString::fromUtf8(ranks[dignity - 1]);
}

QPainterPath CardShape() {
    QPainterPath p;
    p.addRoundedRect(QRectF(0.5, 0.5, kCardW - 1, kCardH - 1), kCornerRadius, kCornerRadius);
    return p;
}

void DrawBlank(QPainter &p) {
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
void DrawPip(QPainter &p, int suit, QPointF c, QSizeF size, bool flipped) {
    p.save();
    p.translate(c);
    if (flipped)
        p.rotate(180);
    p.fillPath(SuitPath(suit, QRectF(-size.width() / 2, -size.height() / 2, size.width(), size.height())),
               SuitColour(suit));
    p.restore();
}

void DrawIndex(QPainter &p, int suit, int dignity) {
    const QString rank = RankText(dignity);
    QFont font = Font(TFace::CondensedBold, 14);
    if (rank.size() > 1)
        font.setLetterSpacing(QFont::AbsoluteSpacing, -0.4);
    const QColor colour = SuitColour(suit);
    for (int corner = 0; corner < 2; ++corner) {
        p.save();
        if (corner == 1) {
            p.translate(kCardW, kCardH);
            p.rotate(180);
        }
        QPainterPath text;
        const QFontMetricsF fm(font);
        const qreal w = fm.horizontalAdvance(rank) + (rank.size() > 1 ? 0.4 : 0);
        text.addText(QPointF(8.5 - w / 2, 3.5 + fm.capHeight()), font, rank);
        p.fillPath(text, colour);
        p.fillPath(SuitPath(suit, QRectF(4.0, 17.5, 9, 10)), colour);
        p.restore();
    }
}

void DrawPips(QPainter &p, int suit, int dignity) {
    const qreal xl = 24.0, xc = 35.5, xr = 47.0;
    const qreal top = 16.5, bottom = 79.5, mid = 48.0;
    const qreal q1 = top + (bottom - top) / 3, q2 = top + 2 * (bottom - top) / 3;
    std::vector<QPointF> pts;
    const int pips = dignity + 1;
    switch (pips) {
    case 2:
        pts = {{xc, top}, {xc, bottom}};
        break;
    case 3:
        pts = {{xc, top}, {xc, mid}, {xc, bottom}};
        break;
    case 4:
        pts = {{xl, top}, {xr, top}, {xl, bottom}, {xr, bottom}};
        break;
    case 5:
        pts = {{xl, top}, {xr, top}, {xc, mid}, {xl, bottom}, {xr, bottom}};
        break;
    case 6:
        pts = {{xl, top}, {xr, top}, {xl, mid}, {xr, mid}, {xl, bottom}, {xr, bottom}};
        break;
    case 7:
        pts = {{xl, top}, {xr, top}, {xc, (top + mid) / 2}, {xl, mid}, {xr, mid}, {xl, bottom}, {xr, bottom}};
        break;
    case 8:
        pts = {{xl, top},    {xr, top},   {xc, (top + mid) / 2},
               {xl, mid},    {xr, mid},   {xc, (mid + bottom) / 2},
               {xl, bottom}, {xr, bottom}};
        break;
    case 9:
        pts = {{xl, top}, {xr, top}, {xl, q1},     {xr, q1},    {xc, mid},
               {xl, q2},  {xr, q2},  {xl, bottom}, {xr, bottom}};
        break;
    case 10:
        pts = {{xl, top}, {xr, top}, {xc, (top + q1) / 2},    {xl, q1},     {xr, q1},
               {xl, q2},  {xr, q2},  {xc, (q2 + bottom) / 2}, {xl, bottom}, {xr, bottom}};
        break;
    default:
        break;
    }
    for (const QPointF &pt : pts)
        DrawPip(p, suit, pt, QSizeF(11.5, 12.5), pt.y() > mid + 0.5);
}

void DrawAce(QPainter &p, int suit) {
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
    QColor Robe, Sleeve, Trim;
};

// Kings in red, queens in blue, jacks in green; the black suits swap robe and sleeve colours of kings
// and queens, while jacks keep their green robe so that a black jack never looks like a black queen.
TCourtStyle CourtStyle(int suit, int dignity) {
    const QColor red(0xb0, 0x22, 0x2c), blue(0x26, 0x45, 0x96), green(0x2b, 0x74, 0x3c),
        gold(0xd9, 0xa8, 0x2e);
    QColor robe = dignity == 12 ? red : dignity == 11 ? blue : green;
    QColor sleeve = dignity == 12 ? blue : dignity == 11 ? red : red;
    if (!SuitIsRed(suit) && dignity != 10)
        std::swap(robe, sleeve);
    return {robe, sleeve, gold};
}

// One half of a double-headed court figure, drawn in a w x h box whose bottom edge is the card's middle.
void DrawCourtHalf(QPainter &p, int suit, int dignity, qreal w, qreal h) {
    const bool king = dignity == 12, queen = dignity == 11, jack = dignity == 10;
    const TCourtStyle st = CourtStyle(suit, dignity);
    const qreal cx = w / 2;
    const QColor skin(0xf6, 0xd2, 0xae), line(0x3a, 0x24, 0x14);
    const QColor silver(0xd4, 0xdb, 0xe3), wood(0x7a, 0x4a, 0x22), ivory(0xfb, 0xf8, 0xee);
    const QPen outline(line, 0.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);

    // What the figure holds stands behind the body.
    if (king) { // a sword, point up, at the right
        p.setPen(QPen(line, 0.6));
        p.setBrush(silver);
        QPainterPath blade;
        blade.moveTo(w - 6.5, 1.5);
        blade.lineTo(w - 5.2, 4);
        blade.lineTo(w - 5.2, 30);
        blade.lineTo(w - 7.8, 30);
        blade.lineTo(w - 7.8, 4);
        blade.closeSubpath();
        p.drawPath(blade);
        p.setBrush(st.Trim);
        p.drawRoundedRect(QRectF(w - 10.5, 29.5, 8.6, 2.2), 1, 1);
    } else if (jack) { // a halberd at the left
        p.setPen(QPen(wood, 1.6));
        p.drawLine(QPointF(5.5, 5), QPointF(5.5, h));
        p.setPen(QPen(line, 0.6));
        p.setBrush(silver);
        QPainterPath head;
        head.moveTo(5.5, 0.8);
        head.lineTo(7.2, 5);
        head.lineTo(5.5, 6.5);
        head.lineTo(3.8, 5);
        head.closeSubpath();
        head.moveTo(5.5, 7);
        head.quadTo(10.5, 7.5, 10, 12.5);
        head.quadTo(8, 10, 5.5, 11);
        head.closeSubpath();
        p.drawPath(head);
    }

    // Queen's hair falls behind the shoulders.
    if (queen) {
        p.setPen(outline);
        p.setBrush(QColor(0xd9, 0x9a, 0x22));
        QPainterPath hair;
        hair.moveTo(cx - 6.5, 9);
        hair.cubicTo(cx - 10, 16, cx - 9.5, 22, cx - 7, 25);
        hair.lineTo(cx + 7, 25);
        hair.cubicTo(cx + 9.5, 22, cx + 10, 16, cx + 6.5, 9);
        hair.closeSubpath();
        p.drawPath(hair);
    }

    // Body: broad shoulders, then straight down to the middle of the card.
    QPainterPath robe;
    robe.moveTo(2, h);
    robe.lineTo(2, 29);
    robe.cubicTo(2, 25, 6, 22.5, cx - 6, 22);
    robe.lineTo(cx + 6, 22);
    robe.cubicTo(w - 6, 22.5, w - 2, 25, w - 2, 29);
    robe.lineTo(w - 2, h);
    robe.closeSubpath();
    QLinearGradient robeFill(0, 22, w, h);
    robeFill.setColorAt(0, Lighter(st.Robe, 0.18));
    robeFill.setColorAt(1, Darker(st.Robe, 0.12));
    p.setPen(outline);
    p.setBrush(robeFill);
    p.drawPath(robe);
    // Gold bands down the robe's edges.
    p.setPen(QPen(st.Trim, 1.6));
    p.drawLine(QPointF(cx - 9, 23.5), QPointF(cx - 9, h));
    p.drawLine(QPointF(cx + 9, 23.5), QPointF(cx + 9, h));
    p.setPen(Qt::NoPen);
    p.setBrush(line);
    for (qreal y = 26; y < h - 1; y += 3.5) {
        p.drawEllipse(QPointF(cx - 9, y), 0.35, 0.35);
        p.drawEllipse(QPointF(cx + 9, y), 0.35, 0.35);
    }

    // The V of the shirt (ermine on the king).
    QPainterPath vee;
    vee.moveTo(cx - 6.5, 22.2);
    vee.lineTo(cx, 31);
    vee.lineTo(cx + 6.5, 22.2);
    vee.closeSubpath();
    p.setPen(outline);
    p.setBrush(jack ? st.Trim : ivory);
    p.drawPath(vee);
    if (king) {
        p.setPen(Qt::NoPen);
        p.setBrush(line);
        const QPointF spots[] = {
            {cx - 3.5, 23.8}, {cx, 24.2}, {cx + 3.5, 23.8}, {cx - 1.7, 26.8}, {cx + 1.7, 26.8}};
        for (const QPointF &s : spots)
            p.drawEllipse(s, 0.45, 0.6);
    }

    // Sleeves reaching to the hands in front of the chest.
    const QPointF leftHand(jack ? 7.5 : 10.5, jack ? 33.5 : 36.5);
    const QPointF rightHand(king ? w - 6.5 : w - 10.5, king ? 33 : 36.5);
    auto sleeve = [&](QPointF shoulder, QPointF hand) {
        p.setPen(QPen(line, 5.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(shoulder, hand);
        p.setPen(QPen(st.Sleeve, 4.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(shoulder, hand);
        p.setPen(QPen(st.Trim, 4.0, Qt::SolidLine, Qt::FlatCap));
        const QPointF d = (hand - shoulder) / std::hypot(hand.x() - shoulder.x(), hand.y() - shoulder.y());
        p.drawLine(hand - d * 2.6, hand - d * 1.6);
    };
    sleeve(QPointF(6.5, 26.5), leftHand);
    sleeve(QPointF(w - 6.5, 26.5), rightHand);
    p.setPen(outline);
    p.setBrush(skin);
    p.drawEllipse(leftHand, 1.9, 1.9);
    p.drawEllipse(rightHand, 1.9, 1.9);

    // The suit emblem on a gold medallion on the chest.
    p.setPen(QPen(line, 0.6));
    p.setBrush(st.Trim);
    p.drawEllipse(QPointF(cx, h - 5.2), 3.9, 3.9);
    p.fillPath(SuitPath(suit, QRectF(cx - 2.5, h - 7.9, 5, 5.4)), SuitColour(suit));

    // Queen's rose in her hand.
    if (queen) {
        p.setPen(QPen(QColor(0x3c, 0x7a, 0x2a), 0.9));
        p.drawLine(leftHand, leftHand + QPointF(3.5, -7));
        p.setPen(QPen(line, 0.5));
        p.setBrush(QColor(0xd8, 0x2a, 0x48));
        p.drawEllipse(leftHand + QPointF(3.8, -8.3), 2.3, 2.3);
        p.setBrush(QColor(0xf0, 0x6a, 0x80));
        p.drawEllipse(leftHand + QPointF(3.8, -8.3), 1.0, 1.0);
    }

    // Neck and head.
    p.setPen(outline);
    p.setBrush(skin);
    p.drawRect(QRectF(cx - 2, 17.5, 4, 4.5));
    p.drawEllipse(QPointF(cx, 13.4), 5.4, 6.3);
    p.setBrush(line);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(cx - 2.0, 13.0), 0.6, 0.7);
    p.drawEllipse(QPointF(cx + 2.0, 13.0), 0.6, 0.7);
    p.setPen(QPen(QColor(0xc8, 0x8a, 0x6a), 0.6));
    p.drawLine(QPointF(cx, 13.6), QPointF(cx - 0.5, 15.2));
    p.setPen(outline);

    // Hair, beard, mouth.
    if (king) {
        p.setBrush(QColor(0x8a, 0x5a, 0x2e));
        QPainterPath beard;
        beard.moveTo(cx - 5.3, 13.5);
        beard.cubicTo(cx - 5, 19.5, cx - 2, 22.8, cx, 23.2);
        beard.cubicTo(cx + 2, 22.8, cx + 5, 19.5, cx + 5.3, 13.5);
        beard.cubicTo(cx + 3.5, 17.2, cx - 3.5, 17.2, cx - 5.3, 13.5);
        p.drawPath(beard);
        p.setPen(QPen(QColor(0x5a, 0x36, 0x18), 0.8));
        p.drawLine(QPointF(cx - 2.3, 16.6), QPointF(cx + 2.3, 16.6));
    } else if (jack) {
        p.setBrush(QColor(0x6b, 0x40, 0x1c));
        QPainterPath hair;
        hair.moveTo(cx - 5.6, 15);
        hair.cubicTo(cx - 6.6, 9, cx - 3, 7.5, cx, 7.6);
        hair.cubicTo(cx + 3, 7.5, cx + 6.6, 9, cx + 5.6, 15);
        hair.quadTo(cx + 5, 10.8, cx, 10.6);
        hair.quadTo(cx - 5, 10.8, cx - 5.6, 15);
        p.drawPath(hair);
        p.setPen(QPen(line, 0.7));
        p.drawLine(QPointF(cx - 1.1, 16.8), QPointF(cx + 1.1, 16.8));
    } else {
        p.setBrush(QColor(0xd9, 0x9a, 0x22));
        QPainterPath fringe;
        fringe.moveTo(cx - 5.5, 13);
        fringe.cubicTo(cx - 5.6, 7.2, cx + 5.6, 7.2, cx + 5.5, 13);
        fringe.quadTo(cx + 1, 9.6, cx - 5.5, 13);
        p.drawPath(fringe);
        p.setPen(QPen(QColor(0xc0, 0x30, 0x40), 0.9));
        p.drawLine(QPointF(cx - 1.1, 16.8), QPointF(cx + 1.1, 16.8));
    }
    p.setPen(outline);

    // Headwear: crown, tiara or feathered cap.
    p.setBrush(pal::Gold);
    if (king) {
        QPainterPath crown;
        crown.moveTo(cx - 6, 9);
        crown.lineTo(cx - 6.8, 2.2);
        crown.lineTo(cx - 3.3, 5.4);
        crown.lineTo(cx, 0.9);
        crown.lineTo(cx + 3.3, 5.4);
        crown.lineTo(cx + 6.8, 2.2);
        crown.lineTo(cx + 6, 9);
        crown.closeSubpath();
        p.drawPath(crown);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xc0, 0x20, 0x30));
        p.drawEllipse(QPointF(cx, 7.0), 1.1, 1.1);
        p.setBrush(QColor(0x26, 0x45, 0x96));
        p.drawEllipse(QPointF(cx - 3.8, 7.4), 0.8, 0.8);
        p.drawEllipse(QPointF(cx + 3.8, 7.4), 0.8, 0.8);
    } else if (queen) {
        QPainterPath tiara;
        tiara.moveTo(cx - 5.6, 8.6);
        tiara.quadTo(cx - 5, 5.2, cx - 3.5, 4.8);
        tiara.quadTo(cx - 2, 4.8, cx - 1.6, 5.2);
        tiara.quadTo(cx, 1.6, cx + 1.6, 5.2);
        tiara.quadTo(cx + 2, 4.8, cx + 3.5, 4.8);
        tiara.quadTo(cx + 5, 5.2, cx + 5.6, 8.6);
        tiara.closeSubpath();
        p.drawPath(tiara);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x26, 0x45, 0x96));
        p.drawEllipse(QPointF(cx, 5.2), 1.0, 1.0);
    } else {
        QPainterPath cap;
        cap.moveTo(cx - 7, 9.4);
        cap.cubicTo(cx - 7, 3.6, cx + 6, 2.4, cx + 7.5, 7.4);
        cap.lineTo(cx + 7, 9.4);
        cap.closeSubpath();
        p.setBrush(st.Sleeve);
        p.drawPath(cap);
        p.setBrush(st.Trim);
        p.drawRect(QRectF(cx - 7, 8.2, 14.2, 1.6));
        p.setPen(QPen(ivory, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath feather;
        feather.moveTo(cx + 5, 5.8);
        feather.cubicTo(cx + 9, 3.2, cx + 11, 1.8, cx + 13.5, 1.2);
        p.drawPath(feather);
    }
}

void DrawCourt(QPainter &p, int suit, int dignity) {
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

QImage CardFace(int suit, int dignity) {
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

QImage CardBack() {
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
    // Gold studs in the frame's corners and at the middle of each side.
    const QRectF frame = inner.adjusted(2.5, 2.5, -2.5, -2.5);
    const QPointF studs[] = {frame.topLeft(),
                             frame.topRight(),
                             frame.bottomLeft(),
                             frame.bottomRight(),
                             {frame.center().x(), frame.top()},
                             {frame.center().x(), frame.bottom()},
                             {frame.left(), frame.center().y()},
                             {frame.right(), frame.center().y()}};
    for (const QPointF &s : studs) {
        QPainterPath stud;
        stud.moveTo(s.x(), s.y() - 2.6);
        stud.lineTo(s.x() + 2.0, s.y());
        stud.lineTo(s.x(), s.y() + 2.6);
        stud.lineTo(s.x() - 2.0, s.y());
        stud.closeSubpath();
        p.fillPath(stud, pal::Gold);
    }

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
    const QPointF spots[4] = {
        {c.x(), c.y() - 12}, {c.x() + 8.5, c.y()}, {c.x(), c.y() + 12}, {c.x() - 8.5, c.y()}};
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

QImage SuitMark(int suit, int w, int h) {
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
