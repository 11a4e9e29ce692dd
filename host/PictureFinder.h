#pragma once

#include <QImage>
#include <QPoint>

#include <optional>
#include <vector>

namespace trelvo::host {

// Finds where one of a few pictures is drawn 1:1 in a screenshot, the way a person recognises a button: by a
// few dozen of its opaque pixels, each within a small tolerance (the screen may round colours, and a JPEG
// picture is decoded the same way by both sides but blended onto a different background at its rim).
class TPictureFinder {
public:
    // The pictures are alternatives: a button's resting and hover looks.
    explicit TPictureFinder(const std::vector<QImage> &Pictures);

    // The centre of the first place (top to bottom, left to right) where one of the pictures shows.
    std::optional<QPoint> Find(const QImage &Shot) const;

private:
    struct TSample {
        QPoint At;
        int Red, Green, Blue;
    };
    struct TPattern {
        QSize Size;
        std::vector<TSample> Samples;
    };
    static TPattern Sample(const QImage &Picture);
    static bool Matches(const TPattern &Pattern, const QImage &Shot, int X, int Y);

    std::vector<TPattern> FPatterns;
};

} // namespace trelvo::host
