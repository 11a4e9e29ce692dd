#include "TestPictures.h"

#include "lobby/HintImage.h"

#include "common/Clock.h"
#include "common/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

namespace trelvo {
namespace {

// An icon showing "Off" with the pictures "On" (active) and "Off" (inactive).
struct IconWorld {
    TManualClock clock;
    TClockScope scope{clock};
    test::TTestPictures pictures;
    TIcon icon;

    IconWorld() {
        icon.LoadFromResources("Off");
        icon.SetActiveImg("On");
        icon.SetNoActiveImg("Off");
    }
    std::string Shown() const { return pictures.NameOf(icon.Bitmap()).toStdString(); }
    std::string FadeFrom() const { return pictures.NameOf(icon.Animation()->StartValue()).toStdString(); }
    std::string FadeTo() const { return pictures.NameOf(icon.Animation()->StopValue()).toStdString(); }
};

struct IconFixture : ::testing::Test, IconWorld {};

TEST_F(IconFixture, ActivePreparesTheFadeAndStartAnimPlaysIt) {
    EXPECT_FALSE(icon.Active());
    EXPECT_DOUBLE_EQ(icon.Animation()->Duration(), 0.2);
    icon.SetActive(true);
    EXPECT_EQ(Shown(), "Off") << "setting Active alone changes nothing on screen";
    EXPECT_FALSE(clock.Animating());
    icon.StartAnim();
    EXPECT_EQ(Shown(), "Off");
    clock.Advance(100);
    EXPECT_EQ(Shown(), "?") << "half-way";
    clock.Advance(120);
    EXPECT_EQ(Shown(), "On");
}

TEST(IconTest, ActiveAndStartAnimCases) {
    struct Case {
        const char *name;
        const char *steps; // t/f: Active := true/false; s: StartAnim; p: StopAnim
        bool active;
        const char *from, *to, *shown;
    };
    const Case cases[] = {
        {"same value replays the last fade",
         "tsft"
         "s",
         true, "Off", "On", "On"},
        {"twice before StartAnim",
         "tfts"
         "fs",
         false, "On", "Off", "Off"},
        {"true, false, true: fade from the inactive picture",
         "tft"
         "s",
         true, "Off", "On", "On"},
        {"false to false does nothing", "f", false, "", "", "Off"},
        {"StopAnim jumps to the end", "tsp", true, "Off", "On", "On"},
        {"StartAnim during a fade finishes it first",
         "ts"
         "fs",
         false, "On", "Off", "Off"},
    };
    for (const Case &c : cases) {
        IconWorld f;
        for (const char *step = c.steps; *step; ++step) {
            switch (*step) {
            case 't':
                f.icon.SetActive(true);
                break;
            case 'f':
                f.icon.SetActive(false);
                break;
            case 's':
                f.icon.StartAnim();
                break;
            case 'p':
                f.icon.StopAnim();
                break;
            }
            f.clock.Advance(50);
        }
        f.clock.Advance(300);
        EXPECT_EQ(f.icon.Active(), c.active) << c.name;
        EXPECT_EQ(f.FadeFrom(), c.from) << c.name;
        EXPECT_EQ(f.FadeTo(), c.to) << c.name;
        EXPECT_EQ(f.Shown(), c.shown) << c.name;
    }
}

TEST_F(IconFixture, StartAnimNeedsBothPictures) {
    TIcon bare;
    bare.LoadFromResources("Off");
    bare.SetActiveImg("On");
    bare.StartAnim();
    EXPECT_FALSE(bare.Animation()->Running());
    EXPECT_FALSE(clock.Animating());
}

TEST_F(IconFixture, DurationSetsTheFade) {
    icon.SetDuration(0.1);
    icon.SetActive(true);
    icon.StartAnim();
    clock.Advance(112);
    EXPECT_EQ(Shown(), "On");
}

TEST_F(IconFixture, AnUnknownPictureFailsActiveAtTheStepThatLoadsIt) {
    icon.SetActiveImg("Missing");
    // The stop picture fails: Active is already changed.
    EXPECT_THROW(icon.SetActive(true), EAssetNotFound);
    EXPECT_TRUE(icon.Active());
    // The start picture fails now: Active stays.
    EXPECT_THROW(icon.SetActive(false), EAssetNotFound);
    EXPECT_TRUE(icon.Active());
}

} // namespace
} // namespace trelvo
