#include "Art.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QTransform>

#include <cmath>
#include <map>
#include <stdexcept>

namespace trelvo::art {

namespace {

const char kFontDir[] = "/usr/share/fonts/truetype/dejavu/";

struct TFaceFile {
    TFace Face;
    const char *File;
    bool Bold;
    int Stretch; // percent of the normal width
};

// Only the faces of fonts-dejavu-core: the condensed faces are the sans ones drawn narrower.
const TFaceFile kFaces[] = {
    {TFace::Sans, "DejaVuSans.ttf", false, 100},
    {TFace::SansBold, "DejaVuSans-Bold.ttf", true, 100},
    {TFace::Condensed, "DejaVuSans.ttf", false, 87},
    {TFace::CondensedBold, "DejaVuSans-Bold.ttf", true, 87},
    {TFace::Serif, "DejaVuSerif.ttf", false, 100},
    {TFace::SerifBold, "DejaVuSerif-Bold.ttf", true, 100},
};

std::map<TFace, QString> &Families() {
    static std::map<TFace, QString> families;
    return families;
}

QPainterPath Fitted(const QPainterPath &unit, const QRectF &r) {
    QTransform t;
    t.translate(r.left(), r.top());
    t.scale(r.width(), r.height());
    return t.map(unit);
}

QPainterPath UnitHeart() {
    QPainterPath p;
    p.moveTo(0.5, 1.0);
    p.cubicTo(0.40, 0.84, 0.0, 0.62, 0.0, 0.30);
    p.cubicTo(0.0, 0.10, 0.14, 0.0, 0.28, 0.0);
    p.cubicTo(0.40, 0.0, 0.47, 0.07, 0.5, 0.18);
    p.cubicTo(0.53, 0.07, 0.60, 0.0, 0.72, 0.0);
    p.cubicTo(0.86, 0.0, 1.0, 0.10, 1.0, 0.30);
    p.cubicTo(1.0, 0.62, 0.60, 0.84, 0.5, 1.0);
    p.closeSubpath();
    return p;
}

QPainterPath UnitDiamond() {
    QPainterPath p;
    p.moveTo(0.5, 0.0);
    p.quadTo(0.70, 0.27, 0.94, 0.5);
    p.quadTo(0.70, 0.73, 0.5, 1.0);
    p.quadTo(0.30, 0.73, 0.06, 0.5);
    p.quadTo(0.30, 0.27, 0.5, 0.0);
    p.closeSubpath();
    return p;
}

// The flared stem shared by spades and clubs.
QPainterPath UnitStem() {
    QPainterPath p;
    p.moveTo(0.46, 0.62);
    p.lineTo(0.54, 0.62);
    p.quadTo(0.56, 0.90, 0.76, 1.0);
    p.lineTo(0.24, 1.0);
    p.quadTo(0.44, 0.90, 0.46, 0.62);
    p.closeSubpath();
    return p;
}

QPainterPath UnitSpade() {
    QPainterPath p;
    p.moveTo(0.5, 0.0);
    p.cubicTo(0.62, 0.17, 1.0, 0.36, 1.0, 0.61);
    p.cubicTo(1.0, 0.78, 0.87, 0.86, 0.74, 0.86);
    p.cubicTo(0.63, 0.86, 0.55, 0.80, 0.5, 0.71);
    p.cubicTo(0.45, 0.80, 0.37, 0.86, 0.26, 0.86);
    p.cubicTo(0.13, 0.86, 0.0, 0.78, 0.0, 0.61);
    p.cubicTo(0.0, 0.36, 0.38, 0.17, 0.5, 0.0);
    p.closeSubpath();
    return p.united(UnitStem());
}

QPainterPath UnitClub() {
    QPainterPath p;
    const qreal r = 0.235;
    p.addEllipse(QPointF(0.5, 0.25), r, r);
    QPainterPath left, right, middle;
    left.addEllipse(QPointF(0.245, 0.585), r, r);
    right.addEllipse(QPointF(0.755, 0.585), r, r);
    middle.moveTo(0.5, 0.35);
    middle.lineTo(0.64, 0.62);
    middle.lineTo(0.36, 0.62);
    middle.closeSubpath();
    return p.united(left).united(right).united(middle).united(UnitStem());
}

} // namespace

void LoadFonts() {
    for (const TFaceFile &f : kFaces) {
        const QString path = QString::fromLatin1(kFontDir) + QString::fromLatin1(f.File);
        const int id = QFontDatabase::addApplicationFont(path);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (id < 0 || families.isEmpty())
            throw std::runtime_error("font missing or unreadable: " + path.toStdString() +
                                     " (install fonts-dejavu-core)");
        Families()[f.Face] = families.first();
    }
}

QFont Font(TFace face, qreal pixelSize) {
    QFont font(Families().at(face));
    font.setPixelSize(qRound(pixelSize));
    for (const TFaceFile &f : kFaces)
        if (f.Face == face) {
            font.setBold(f.Bold);
            font.setStretch(f.Stretch);
        }
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage Canvas(int w, int h) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QImage Canvas(int w, int h, const QColor &fill) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void Prepare(QPainter &p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QPainterPath SuitPath(int suit, const QRectF &r) {
    static const QPainterPath shapes[4] = {UnitClub(), UnitDiamond(), UnitHeart(), UnitSpade()};
    return Fitted(shapes[(suit - 1) & 3], r);
}

bool SuitIsRed(int suit) {
    return suit == 2 || suit == 3;
}

QColor SuitColour(int suit) {
    return SuitIsRed(suit) ? pal::CardRed : pal::CardBlack;
}

QColor Mix(const QColor &a, const QColor &b, qreal t) {
    auto lerp = [t](int x, int y) { return qBound(0, qRound(x + (y - x) * t), 255); };
    return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                  lerp(a.alpha(), b.alpha()));
}

QColor Lighter(const QColor &c, qreal t) {
    QColor w(255, 255, 255, c.alpha());
    return Mix(c, w, t);
}

QColor Darker(const QColor &c, qreal t) {
    QColor k(0, 0, 0, c.alpha());
    return Mix(c, k, t);
}

qreal Hash01(int x, int y, int seed) {
    quint32 h = quint32(x) * 374761393u + quint32(y) * 668265263u + quint32(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / qreal(0x1000000);
}

qreal ValueNoise(qreal x, qreal y, int seed) {
    const int xi = int(std::floor(x)), yi = int(std::floor(y));
    const qreal fx = x - xi, fy = y - yi;
    const qreal sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const qreal a = Hash01(xi, yi, seed), b = Hash01(xi + 1, yi, seed);
    const qreal c = Hash01(xi, yi + 1, seed), d = Hash01(xi + 1, yi + 1, seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

void DrawPlate(QPainter &p, const QRectF &r, qreal radius, const QColor &base, int state) {
    QColor c = base;
    if (state == 0) {
        const int g = qGray(base.rgb());
        c = QColor(g, g, g);
    } else if (state == 2) {
        c = Lighter(base, 0.12);
    } else if (state == 3) {
        c = Darker(base, 0.18);
    }
    QPainterPath body;
    body.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    if (state == 3) {
        fill.setColorAt(0.0, Darker(c, 0.15));
        fill.setColorAt(1.0, Lighter(c, 0.10));
    } else {
        fill.setColorAt(0.0, Lighter(c, 0.30));
        fill.setColorAt(0.48, c);
        fill.setColorAt(0.52, Darker(c, 0.06));
        fill.setColorAt(1.0, Darker(c, 0.22));
    }
    p.fillPath(body, fill);

    // Gloss on the upper half, absent while pressed.
    if (state != 3) {
        QPainterPath gloss;
        const QRectF g = r.adjusted(2, 1.5, -2, -r.height() / 2);
        gloss.addRoundedRect(g, std::max<qreal>(radius - 1, 0), std::max<qreal>(radius - 1, 0));
        QLinearGradient shine(g.topLeft(), g.bottomLeft());
        shine.setColorAt(0.0, QColor(255, 255, 255, state == 2 ? 95 : 75));
        shine.setColorAt(1.0, QColor(255, 255, 255, 10));
        p.fillPath(gloss, shine);
    }
    p.setPen(QPen(Darker(c, 0.5), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(body);
    if (state == 2) {
        QPainterPath ring;
        ring.addRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), std::max<qreal>(radius - 1, 0),
                            std::max<qreal>(radius - 1, 0));
        p.setPen(QPen(QColor(255, 250, 200, 170), 1.0));
        p.drawPath(ring);
    }
}

void DrawLabel(QPainter &p, const QRectF &r, const QString &text, const QFont &font, const QColor &colour,
               const QColor &outline, qreal outlineWidth, int flags) {
    const QFontMetricsF fm(font);
    const qreal advance = fm.horizontalAdvance(text);
    qreal x = r.center().x() - advance / 2;
    if (flags & Qt::AlignLeft)
        x = r.left();
    else if (flags & Qt::AlignRight)
        x = r.right() - advance;
    // Centre the capitals' ink: every label starts with a capital.
    const qreal baseline = r.center().y() + fm.capHeight() / 2;
    QPainterPath path;
    path.addText(QPointF(x, baseline), font, text);
    p.save();
    if (outlineWidth > 0 && outline.alpha() > 0) {
        p.setPen(QPen(outline, outlineWidth * 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
    p.restore();
}

QPainterPath TickPath(const QRectF &r) {
    QPainterPath p;
    p.moveTo(r.left(), r.top() + r.height() * 0.55);
    p.lineTo(r.left() + r.width() * 0.38, r.bottom());
    p.lineTo(r.right(), r.top());
    return p;
}

QPainterPath TakeArrowPath(const QRectF &r) {
    // Arrow body and head, filled; the tray is stroked by the caller from the same rect.
    const qreal w = r.width(), h = r.height();
    QPainterPath p;
    p.moveTo(r.left() + w * 0.38, r.top());
    p.lineTo(r.left() + w * 0.62, r.top());
    p.lineTo(r.left() + w * 0.62, r.top() + h * 0.36);
    p.lineTo(r.left() + w * 0.84, r.top() + h * 0.36);
    p.lineTo(r.left() + w * 0.5, r.top() + h * 0.72);
    p.lineTo(r.left() + w * 0.16, r.top() + h * 0.36);
    p.lineTo(r.left() + w * 0.38, r.top() + h * 0.36);
    p.closeSubpath();
    // The tray: a U under the arrow.
    QPainterPath tray;
    const qreal t = std::max<qreal>(h * 0.12, 1.5);
    tray.moveTo(r.left(), r.top() + h * 0.62);
    tray.lineTo(r.left() + t, r.top() + h * 0.62);
    tray.lineTo(r.left() + t, r.bottom() - t);
    tray.lineTo(r.right() - t, r.bottom() - t);
    tray.lineTo(r.right() - t, r.top() + h * 0.62);
    tray.lineTo(r.right(), r.top() + h * 0.62);
    tray.lineTo(r.right(), r.bottom());
    tray.lineTo(r.left(), r.bottom());
    tray.closeSubpath();
    return p.united(tray);
}

QPainterPath PlayTrianglePath(const QRectF &r) {
    QPainterPath p;
    p.moveTo(r.left(), r.top());
    p.lineTo(r.right(), r.center().y());
    p.lineTo(r.left(), r.bottom());
    p.closeSubpath();
    return p;
}

} // namespace trelvo::art
