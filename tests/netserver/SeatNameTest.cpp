// Two hosts on one machine: TRELVO_SEAT sets the client's pipe and instance names apart.
#include "common/SeatName.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace trelvo;

TEST(SeatName, UnsetTheNamesAreExactlyTheBaseAndSetTheyTakeAClearedSuffix) {
    const struct {
        const char *Seat; // nullptr: unset
        const char *Name;
    } cases[] = {{nullptr, "{GUID}"},
                 {"", "{GUID}"},
                 {"2", "{GUID}-2"},
                 {"bob_2-x", "{GUID}-bob_2-x"},
                 {"../a b;c", "{GUID}-abc"},
                 {"\n\t", "{GUID}"},
                 {"12345678901234567890", "{GUID}-1234567890123456"}};
    for (const auto &c : cases) {
        if (c.Seat)
            ::setenv("TRELVO_SEAT", c.Seat, 1);
        else
            ::unsetenv("TRELVO_SEAT");
        EXPECT_EQ(SeatName("{GUID}"), c.Name) << (c.Seat ? c.Seat : "(unset)");
    }
    ::unsetenv("TRELVO_SEAT");
}
