#include "assets/Assets.h"

#include "common/Exceptions.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <mutex>

// Resources of a static library are only linked in when something calls their initialiser; the
// macro must be used outside any namespace.
static void InitAssetResources() {
    Q_INIT_RESOURCE(trelvo_assets);
}

namespace trelvo {

namespace {

const char kResourceDir[] = ":/trelvo_assets/";

struct TAssetEntry {
    QString Name;   // as stored, e.g. "Window_Frame"
    QString Path;   // resource path of the encoded file
    QString Format; // "PNG" or "JPEG"
};

struct TAssetStore {
    std::mutex Lock;
    QList<TAssetEntry> Entries;      // catalogue order
    QHash<QString, qsizetype> ByKey; // lower-case name -> index
    QHash<QString, QImage> Decoded;  // lower-case name -> picture
};

TAssetStore &Store() {
    static TAssetStore *store = [] {
        InitAssetResources();
        auto *s = new TAssetStore;
        // The manifest lists "name<TAB>file<TAB>format" per line, in catalogue order.
        QFile manifest(QString::fromLatin1(kResourceDir) + QStringLiteral("manifest.txt"));
        if (!manifest.open(QIODevice::ReadOnly))
            throw Exception("the image asset manifest is missing from the program's resources");
        const QList<QByteArray> lines = manifest.readAll().split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> fields = line.trimmed().split('\t');
            if (fields.size() != 3)
                continue;
            TAssetEntry e{QString::fromUtf8(fields[0]),
                          QString::fromLatin1(kResourceDir) + QString::fromUtf8(fields[1]),
                          QString::fromUtf8(fields[2])};
            s->ByKey.insert(e.Name.toLower(), s->Entries.size());
            s->Entries.append(e);
        }
        return s;
    }();
    return *store;
}

const TAssetEntry &Find(TAssetStore &store, const QString &name) {
    const auto it = store.ByKey.constFind(name.toLower());
    if (it == store.ByKey.cend())
        throw EAssetNotFound("no image asset is named \"" + name.toStdString() + "\"");
    return store.Entries[*it];
}

QByteArray ReadEntry(const TAssetEntry &e) {
    QFile f(e.Path);
    if (!f.open(QIODevice::ReadOnly))
        throw EAssetNotFound("the image asset \"" + e.Name.toStdString() + "\" cannot be opened");
    return f.readAll();
}

} // namespace

QImage LoadAsset(const QString &name) {
    TAssetStore &store = Store();
    std::lock_guard<std::mutex> guard(store.Lock);
    const TAssetEntry &e = Find(store, name);
    const QString key = e.Name.toLower();
    if (const auto it = store.Decoded.constFind(key); it != store.Decoded.cend())
        return *it;
    // No format hint: the decoder recognises PNG or JPEG by the leading bytes.
    QImage img = QImage::fromData(ReadEntry(e));
    if (img.isNull())
        throw EAssetNotFound("the image asset \"" + e.Name.toStdString() + "\" cannot be decoded");
    store.Decoded.insert(key, img);
    return img;
}

QByteArray LoadAssetData(const QString &name) {
    TAssetStore &store = Store();
    std::lock_guard<std::mutex> guard(store.Lock);
    return ReadEntry(Find(store, name));
}

QStringList AssetNames() {
    TAssetStore &store = Store();
    std::lock_guard<std::mutex> guard(store.Lock);
    QStringList names;
    names.reserve(store.Entries.size());
    for (const TAssetEntry &e : store.Entries)
        names.append(e.Name);
    return names;
}

bool HasAsset(const QString &name) {
    TAssetStore &store = Store();
    std::lock_guard<std::mutex> guard(store.Lock);
    return store.ByKey.contains(name.toLower());
}

namespace {

QString GalleryFontFamily() {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(
            QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QStringLiteral("Sans Serif") : families.first();
    }();
    return family;
}

void DrawChecker(QPainter &p, const QRect &r) {
    const int step = 8;
    p.save();
    p.setClipRect(r);
    p.fillRect(r, QColor(0x9a, 0x9a, 0x9a));
    for (int y = r.top(); y < r.bottom(); y += step)
        for (int x = r.left() + (((y - r.top()) / step) % 2) * step; x < r.right(); x += 2 * step)
            p.fillRect(QRect(x, y, step, step), QColor(0x80, 0x80, 0x80));
    p.restore();
}

} // namespace

QImage RenderGallerySheet() {
    const QStringList names = AssetNames();
    const int sheetWidth = 1800;
    const int margin = 16, gap = 14, captionH = 34;
    const QSize maxPicture(400, 300);

    struct TCell {
        QString Name;
        QString Format;
        QImage Picture;
        QSize Shown;
        QPoint At;
    };
    QList<TCell> cells;
    int x = margin, y = margin, rowH = 0;
    for (const QString &name : names) {
        QString format;
        {
            TAssetStore &store = Store();
            std::lock_guard<std::mutex> guard(store.Lock);
            format = Find(store, name).Format;
        }
        TCell c{name, format, LoadAsset(name), {}, {}};
        c.Shown = c.Picture.size();
        // Small marks are shown twice as large so their detail can be judged.
        if (c.Shown.width() < 50 && c.Shown.height() < 50)
            c.Shown *= 2;
        else if (c.Shown.width() > maxPicture.width() || c.Shown.height() > maxPicture.height())
            c.Shown = c.Shown.scaled(maxPicture, Qt::KeepAspectRatio);
        const int cellW = std::max(c.Shown.width(), 200);
        if (x + cellW > sheetWidth - margin && x > margin) {
            x = margin;
            y += rowH + gap;
            rowH = 0;
        }
        c.At = QPoint(x, y);
        x += cellW + gap;
        rowH = std::max(rowH, c.Shown.height() + captionH);
        cells.append(c);
    }
    const int sheetHeight = y + rowH + margin;

    QImage sheet(sheetWidth, sheetHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0x2b, 0x2b, 0x2b));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    QFont nameFont(GalleryFontFamily());
    nameFont.setPixelSize(12);
    nameFont.setBold(true);
    QFont sizeFont(GalleryFontFamily());
    sizeFont.setPixelSize(11);
    for (const TCell &c : cells) {
        const QRect pictureRect(c.At, c.Shown);
        DrawChecker(p, pictureRect);
        p.drawImage(pictureRect, c.Picture);
        QString detail =
            QStringLiteral("%1×%2 %3").arg(c.Picture.width()).arg(c.Picture.height()).arg(c.Format);
        if (c.Shown.width() == 2 * c.Picture.width())
            detail += QStringLiteral(" (shown 2×)");
        else if (c.Shown != c.Picture.size())
            detail += QStringLiteral(" (scaled)");
        const int textW = std::max(c.Shown.width(), 200);
        p.setPen(QColor(0xf0, 0xf0, 0xf0));
        p.setFont(nameFont);
        p.drawText(QRect(c.At.x(), c.At.y() + c.Shown.height() + 2, textW, 16),
                   Qt::AlignLeft | Qt::AlignVCenter, c.Name);
        p.setPen(QColor(0xa8, 0xa8, 0xa8));
        p.setFont(sizeFont);
        p.drawText(QRect(c.At.x(), c.At.y() + c.Shown.height() + 17, textW, 14),
                   Qt::AlignLeft | Qt::AlignVCenter, detail);
    }
    p.end();
    return sheet;
}

} // namespace trelvo
