#include "host/PictureFinder.h"

#include <cstdlib>

namespace trelvo::host {

namespace {

// Samples on a grid across the picture; enough to tell one button from another, few enough to test
// every position of a full screen between two looks.
constexpr int kGrid = 7;
constexpr int kTolerance = 24;

bool Near(QRgb Pixel, int Red, int Green, int Blue) {
    return std::abs(qRed(Pixel) - Red) <= kTolerance && std::abs(qGreen(Pixel) - Green) <= kTolerance &&
           std::abs(qBlue(Pixel) - Blue) <= kTolerance;
}

} // namespace

TPictureFinder::TPictureFinder(const std::vector<QImage> &Pictures) {
    for (const QImage &picture : Pictures) {
        TPattern pattern = Sample(picture);
        if (!pattern.Samples.empty())
            FPatterns.push_back(std::move(pattern));
    }
}

TPictureFinder::TPattern TPictureFinder::Sample(const QImage &Picture) {
    TPattern pattern{Picture.size(), {}};
    const QImage image = Picture.convertToFormat(QImage::Format_ARGB32);
    // The grid keeps clear of the rim, where rounded corners and antialiasing blend with the cloth.
    const int marginX = image.width() / 8, marginY = image.height() / 8;
    for (int gy = 0; gy < kGrid; ++gy)
        for (int gx = 0; gx < kGrid; ++gx) {
            const int x = marginX + (image.width() - 1 - 2 * marginX) * gx / (kGrid - 1);
            const int y = marginY + (image.height() - 1 - 2 * marginY) * gy / (kGrid - 1);
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 255)
                pattern.Samples.push_back({QPoint(x, y), qRed(pixel), qGreen(pixel), qBlue(pixel)});
        }
    return pattern;
}

bool TPictureFinder::Matches(const TPattern &Pattern, const QImage &Shot, int X, int Y) {
    for (const TSample &sample : Pattern.Samples) {
        const auto *row = reinterpret_cast<const QRgb *>(Shot.constScanLine(Y + sample.At.y()));
        if (!Near(row[X + sample.At.x()], sample.Red, sample.Green, sample.Blue))
            return false;
    }
    return true;
}

std::optional<QPoint> TPictureFinder::Find(const QImage &Shot) const {
    const QImage image = Shot.format() == QImage::Format_RGB32 || Shot.format() == QImage::Format_ARGB32
                             ? Shot
                             : Shot.convertToFormat(QImage::Format_RGB32);
    for (const TPattern &pattern : FPatterns) {
        const QSize size = pattern.Size;
        for (int y = 0; y + size.height() <= image.height(); ++y)
            for (int x = 0; x + size.width() <= image.width(); ++x)
                if (Matches(pattern, image, x, y))
                    return QPoint(x + size.width() / 2, y + size.height() / 2);
    }
    return std::nullopt;
}

} // namespace trelvo::host
