// Finding the lit cards of the own hand and the lobby's rows in a picture of the game window, and what
// the autoplayer presses.
#include "host/Autoplayer.h"

#include "assets/Assets.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace trelvo::host;
using trelvo::LoadAsset;

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

// A lobby of 800 x 600: the open-table button and, when Row is set, one listed table there with its
// number, rule marks and seat icons drawn over the row as the client draws them.
QImage Lobby(std::optional<QPoint> Row, bool Button = true) {
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(QColor(0xd8, 0xd8, 0xd6));
    QPainter painter(&image);
    if (Button)
        painter.drawImage(300, 480, LoadAsset(QStringLiteral("Button_Open_Table_1")));
    if (Row) {
        painter.drawImage(*Row, LoadAsset(QStringLiteral("Button_ServerList_1")));
        painter.fillRect(QRect(*Row + QPoint(40, 8), QSize(16, 14)), Qt::black);
        for (int left : {250, 272, 294})
            painter.fillRect(QRect(*Row + QPoint(left, 5), QSize(20, 20)), QColor(200, 40, 40));
        for (int k = 0; k < 4; ++k)
            painter.fillRect(QRect(*Row + QPoint(403 + 15 * k, 5), QSize(20, 20)), QColor(40, 40, 200));
    }
    return image;
}

TEST(TScreenReader, FindsAListedTableOnlyInTheLobby) {
    const TScreenReader reader;
    const QRect row(QPoint(140, 120), QSize(510, 30));
    const TSight lobby = reader.Read(Lobby(row.topLeft()));
    ASSERT_TRUE(lobby.OpenTable);
    ASSERT_TRUE(lobby.ListedTable);
    EXPECT_TRUE(row.contains(*lobby.ListedTable)) << lobby.ListedTable->x() << "," << lobby.ListedTable->y();

    EXPECT_FALSE(reader.Read(Lobby(std::nullopt)).ListedTable);
    // Without the lobby's button the picture is something else (a message box over the lobby hides it).
    EXPECT_FALSE(reader.Read(Lobby(row.topLeft(), false)).ListedTable);
}

TEST(ChooseMove, OpensOrEntersATableAsTheSeatSays) {
    const QPoint open(400, 500), listed(300, 135), ok(200, 200), ready(250, 250);
    TSight lobby;
    lobby.OpenTable = open;
    TSight listing = lobby;
    listing.ListedTable = listed;
    TSight boxed = listing;
    boxed.Ok = ok;
    TSight waiting;
    waiting.Ready = ready;
    struct TCase {
        const char *Name;
        TSight Sight;
        TAutoSeat Seat;
        TAutoMove Move;
        QPoint At;
    };
    const TCase cases[] = {
        {"opener in the lobby", listing, TAutoSeat::OpenTable, TAutoMove::OpenTable, open},
        {"guest in the lobby", listing, TAutoSeat::EnterListed, TAutoMove::EnterTable, listed},
        {"guest in an empty lobby waits", lobby, TAutoSeat::EnterListed, TAutoMove::None, {}},
        {"guest answers a message box first", boxed, TAutoSeat::EnterListed, TAutoMove::Confirm, ok},
        {"guest in the waiting room", waiting, TAutoSeat::EnterListed, TAutoMove::Ready, ready},
    };
    for (const TCase &c : cases) {
        std::mt19937_64 random(1);
        const TAutoChoice choice = ChooseMove(c.Sight, TAutoplayer::kLooksBeforeReady, c.Seat, random);
        EXPECT_EQ(choice.Move, c.Move) << c.Name;
        if (c.Move != TAutoMove::None) {
            EXPECT_EQ(choice.At, c.At) << c.Name;
        }
    }
}

} // namespace
