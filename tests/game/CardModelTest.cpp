#include "game/api/CardModel.h"

#include <gtest/gtest.h>

#include <vector>

using namespace trelvo;

namespace {

struct SeatCase {
    const char *name;
    std::vector<uint8_t> ids;
    uint8_t own;
    std::vector<uint8_t> seats;
};

const SeatCase kSeatCases[] = {
    {"four players, own id 1", {0, 1, 2, 3}, 1, {4, 1, 2, 3}},
    {"four players, own id 0", {0, 1, 2, 3}, 0, {1, 2, 3, 4}},
    {"four players, own id 3", {0, 1, 2, 3}, 3, {2, 3, 4, 1}},
    {"three players, own id 2 leaves seat 2 empty", {0, 1, 2}, 2, {3, 4, 1}},
    {"three players, own id 0", {0, 1, 2}, 0, {1, 2, 3}},
    {"two players, own id 0", {0, 1}, 0, {1, 2}},
    {"two players, own id 1", {0, 1}, 1, {4, 1}},
};

} // namespace

TEST(CardModel, SeatsFollowServerIdsFromThisPlayer) {
    for (const SeatCase &c : kSeatCases) {
        std::vector<uint8_t> seats;
        for (uint8_t id : c.ids)
            seats.push_back(SeatNumber(id, c.own));
        EXPECT_EQ(seats, c.seats) << c.name;
    }
}

TEST(CardModel, WaitingRoomStartsWithFourFreeSeats) {
    TPlayerList list;
    ASSERT_EQ(list.size(), 4u);
    for (const TPlayer &seat : list) {
        EXPECT_TRUE(seat.Playrname.isEmpty());
        EXPECT_FALSE(seat.PlayerState);
    }
    // The trump is (0, 0) until a game starts.
    EXPECT_EQ(TSrvCard{}, (TSrvCard{0, 0}));
}
