// Finding the lit cards of the own hand in a picture of the game window.
#include "host/Autoplayer.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace trelvo::host;

namespace {

constexpr int kCardWidth = 71, kCardHeight = 96;

// A hand of overlapping cards at the bottom of an 800 x 600 table; Lit names the glowing ones.
QImage Table(const std::vector<int> &Lit, int Cards = 7, int Step = 63) {
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(QColor(30, 90, 50));
    QPainter painter(&image);
    auto card = [&](int x, int y, bool lit) {
        painter.fillRect(x, y, kCardWidth, kCardHeight, Qt::white);
        painter.fillRect(x + 20, y + 30, 30, 36, Qt::black); // the pips
        painter.setPen(Qt::gray);
        painter.drawRect(x, y, kCardWidth - 1, kCardHeight - 1);
        if (lit)
            painter.fillRect(x, y, kCardWidth, kCardHeight, QColor(0xFB, 0xF6, 0x2C, 87));
    };
    for (int i = 0; i < Cards; ++i)
        card(100 + i * Step, 480, std::find(Lit.begin(), Lit.end(), i) != Lit.end());
    // A lit attack card in the middle of the table is not part of the hand.
    card(360, 150, true);
    return image;
}

TEST(FindLitCards, GivesOnePointInsideTheVisiblePartOfEachLitCard) {
    const std::vector<QPoint> found = FindLitCards(Table({1, 2, 5}));
    ASSERT_EQ(found.size(), 3u);
    // Each card shows 63 columns before its right neighbour covers it; card 1 starts at x 163.
    const int shown[] = {163, 226, 415};
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_GE(found[i].x(), shown[i]);
        EXPECT_LT(found[i].x(), shown[i] + 63);
        EXPECT_GE(found[i].y(), 480);
        EXPECT_LT(found[i].y(), 480 + kCardHeight);
    }
}

TEST(FindLitCards, FindsNothingWithoutLitCardsAndEveryCardOfASpreadHand) {
    EXPECT_TRUE(FindLitCards(Table({})).empty());
    EXPECT_EQ(FindLitCards(Table({0, 2, 4}, 6, 76)).size(), 3u);
    EXPECT_EQ(FindLitCards(Table({0, 1, 2, 3, 4, 5}, 6, 76)).size(), 6u);
}

} // namespace
