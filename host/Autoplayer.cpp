#include "host/Autoplayer.h"

#include "host/X11Input.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace trelvo::host {

namespace {

// The own hand lies in the lower part of the window.
constexpr double kHandTop = 0.55;
// A column belongs to a lit card when this many of its pixels are veiled.
constexpr int kMinVeiledPerColumn = 12;
// How far into a strip the click lands: inside the leftmost card's visible part.
constexpr int kClickInset = 10;

// A card face (white or near white) seen through the yellow veil: red and green stay high, blue drops.
bool Veiled(QRgb Pixel) {
    const int r = qRed(Pixel), g = qGreen(Pixel), b = qBlue(Pixel);
    return r >= 225 && g >= 220 && b >= 140 && b <= 215 && r - b >= 35 && g - b >= 30;
}

} // namespace

std::vector<QPoint> FindLitCards(const QImage &Shot) {
    const QImage image = Shot.convertToFormat(QImage::Format_RGB32);
    const int top = static_cast<int>(image.height() * kHandTop);
    std::vector<int> count(image.width(), 0), sumY(image.width(), 0);
    for (int y = top; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (Veiled(row[x])) {
                ++count[x];
                sumY[x] += y;
            }
    }
    std::vector<QPoint> cards;
    for (int x = 0; x < image.width();) {
        if (count[x] < kMinVeiledPerColumn) {
            ++x;
            continue;
        }
        int end = x;
        while (end < image.width() && count[end] >= kMinVeiledPerColumn)
            ++end;
        const int clickX = x + std::min(kClickInset, (end - x) / 2);
        cards.emplace_back(clickX, sumY[clickX] / count[clickX]);
        x = end;
    }
    return cards;
}

TAutoplayer::TAutoplayer(TClock &Clock, TX11Input &Input, std::function<std::uint32_t()> GameWindow,
                         std::uint64_t Seed)
    : FClock(Clock), FInput(Input), FGameWindow(std::move(GameWindow)), FRandom(Seed) {
    FTimer = FClock.Schedule(kLookEveryMs, [this] { Look(); });
}

TAutoplayer::~TAutoplayer() {
    FClock.Cancel(FTimer);
}

void TAutoplayer::Look() {
    FTimer = FClock.Schedule(kLookEveryMs, [this] { Look(); });
    const std::uint32_t window = FGameWindow();
    QScreen *screen = QGuiApplication::primaryScreen();
    if (window == 0 || !screen)
        return;
    const std::vector<QPoint> cards = FindLitCards(screen->grabWindow(window).toImage());
    int rootX = 0, rootY = 0;
    if (cards.empty() || !FInput.RootPosition(window, rootX, rootY))
        return;
    const QPoint card = cards[std::uniform_int_distribution<std::size_t>(0, cards.size() - 1)(FRandom)];
    const QPoint root(rootX + card.x(), rootY + card.y());
    FInput.Click(root.x(), root.y());
    ++FClicks;
    if (auto handler = OnClick)
        handler(root);
}

} // namespace trelvo::host
