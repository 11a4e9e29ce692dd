#include "kit/Animation.h"
#include "kit/Control.h"
#include "kit/Image.h"

#include "common/Clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trelvo {

namespace {

struct Animations : ::testing::Test {
    TManualClock clock;
    TClockScope scope{clock};
    TLayout target;

    TFloatAnimation *Float(const char *property, float from, float to, double seconds) {
        auto *a = new TFloatAnimation(&target);
        a->SetParent(&target);
        a->SetPropertyName(QString::fromLatin1(property));
        a->SetStartValue(from);
        a->SetStopValue(to);
        a->SetDuration(seconds);
        return a;
    }
};

TEST_F(Animations, StartTakesTheStartValueAtOnceAndFinishesOnceAtTheStopValue) {
    struct Case {
        const char *property;
        float (TControl::*read)() const;
    };
    const Case cases[] = {
        {"Opacity", &TControl::Opacity}, {"Position.X", &TControl::X}, {"Position.Y", &TControl::Y}};
    for (const Case &c : cases) {
        TFloatAnimation *a = Float(c.property, 0.2f, 0.8f, 0.5);
        int finished = 0;
        a->OnFinish = [&](TAnimation *) { ++finished; };
        a->Start();
        EXPECT_FLOAT_EQ((target.*c.read)(), 0.2f) << c.property;
        EXPECT_TRUE(a->Running());
        clock.Advance(250);
        EXPECT_NEAR((target.*c.read)(), 0.5f, 0.02f) << c.property << " is linear";
        clock.Advance(240);
        EXPECT_EQ(finished, 0) << c.property;
        clock.Advance(30);
        EXPECT_EQ(finished, 1) << c.property;
        EXPECT_FLOAT_EQ((target.*c.read)(), 0.8f) << c.property;
        EXPECT_FALSE(a->Running());
        EXPECT_FALSE(clock.Animating()) << "no frames once nothing runs";
        clock.Advance(1000);
        EXPECT_EQ(finished, 1);
        delete a;
    }
}

TEST_F(Animations, StopJumpsToTheStopValueMarksStoppedThenFinishes) {
    TFloatAnimation *a = Float("Position.X", 0, 100, 1.0);
    std::vector<std::string> seen;
    a->OnFinish = [&](TAnimation *sender) {
        seen.push_back("finish x=" + std::to_string(int(target.X())) +
                       (sender->Running() ? " running" : " stopped"));
    };
    a->Start();
    clock.Advance(300);
    a->Stop();
    EXPECT_EQ(seen, (std::vector<std::string>{"finish x=100 stopped"}));
    a->Stop();
    EXPECT_EQ(seen.size(), 1u) << "Stop on a stopped animation does nothing";
    EXPECT_FALSE(clock.Animating());
}

TEST_F(Animations, TwoAnimationsOfOneFlightEachFinishAndTheSecondSeesBothStopped) {
    // The card flight: both axes report their end to one check, which fires when neither runs.
    TFloatAnimation *x = Float("Position.X", 0, 300, 0.5);
    TFloatAnimation *y = Float("Position.Y", 0, 200, 0.5);
    int finishes = 0, landings = 0;
    auto check = [&](TAnimation *) {
        ++finishes;
        if (!x->Running() && !y->Running())
            ++landings;
    };
    x->OnFinish = check;
    y->OnFinish = check;
    x->Start();
    y->Start();
    clock.Advance(600);
    EXPECT_EQ(finishes, 2);
    EXPECT_EQ(landings, 1);

    // A new flight started while one is in the air: the old one lands first (at its stop values).
    x->Start();
    y->Start();
    clock.Advance(100);
    x->Stop();
    y->Stop();
    EXPECT_EQ(landings, 2);
    EXPECT_EQ(target.Position(), QPointF(300, 200));
    x->SetStartValue(300);
    x->SetStopValue(0);
    x->Start();
    y->Start();
    EXPECT_EQ(target.Position(), QPointF(300, 0)) << "the new flight starts from its start values";
}

TEST_F(Animations, DurationIsReadOnEveryFrameAndZeroIsImmediate) {
    TFloatAnimation *a = Float("Opacity", 0, 1, 1.0);
    int finished = 0;
    a->OnFinish = [&](TAnimation *) { ++finished; };
    a->Start();
    clock.Advance(200);
    a->SetDuration(0.25);
    clock.Advance(64);
    EXPECT_EQ(finished, 1);

    a->SetDuration(0);
    a->Start();
    EXPECT_EQ(finished, 2) << "no frames for an immediate animation";
    EXPECT_FLOAT_EQ(target.Opacity(), 1);
    EXPECT_FALSE(clock.Animating());
}

TEST_F(Animations, AFinishHandlerMayRestartOrDestroyItsAnimation) {
    TFloatAnimation *a = Float("Position.X", 0, 10, 0.1);
    int runs = 0;
    a->OnFinish = [&](TAnimation *sender) {
        if (++runs < 3)
            sender->Start();
        else
            delete sender;
    };
    a->Start();
    clock.Advance(1000);
    EXPECT_EQ(runs, 3);
    EXPECT_TRUE(target.Children().empty());
    EXPECT_FALSE(clock.Animating());
}

QImage Solid(QRgb colour, int w = 4, int h = 4) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromRgba(colour));
    return image;
}

struct BitmapAnimations : ::testing::Test {
    TManualClock clock;
    TClockScope scope{clock};
    TImage image;
    TBitmapAnimation *fade = nullptr;
    void SetUp() override {
        fade = new TBitmapAnimation(&image);
        fade->SetParent(&image);
        fade->SetDuration(0.2);
    }
};

TEST_F(BitmapAnimations, CrossFadesFromStartToStopAndEndsOnTheStopBitmap) {
    const QImage red = Solid(0xFFFF0000), blue = Solid(0xFF0000FF, 6, 5);
    fade->SetStartValue(red);
    fade->SetStopValue(blue);
    fade->Start();
    EXPECT_EQ(image.Bitmap().pixel(0, 0), red.pixel(0, 0));
    clock.Advance(100);
    const QColor mid = QColor::fromRgba(image.Bitmap().pixel(0, 0));
    EXPECT_NEAR(mid.red(), 128, 30);
    EXPECT_NEAR(mid.blue(), 128, 30);
    clock.Advance(200);
    EXPECT_EQ(image.Bitmap(), blue) << "the stop bitmap itself, at its own size";
    EXPECT_EQ(image.BitmapWidth(), 6);
}

TEST_F(BitmapAnimations, AnEmptyStopBitmapFadesThePictureOut) {
    fade->SetStartValue(Solid(0xFF00FF00));
    fade->SetStopValue(QImage());
    fade->Start();
    clock.Advance(100);
    EXPECT_NEAR(qAlpha(image.Bitmap().pixel(0, 0)), 128, 30);
    clock.Advance(200);
    EXPECT_TRUE(image.Bitmap().isNull());
}

TEST_F(BitmapAnimations, LoopWithAutoReverseBlinksUntilStopped) {
    const QImage one = Solid(0xFFFF0000), two = Solid(0xFF0000FF);
    fade->SetStartValue(one);
    fade->SetStopValue(two);
    clock.SetFrameStep(10);
    fade->SetDuration(1.0);
    fade->SetLoop(true);
    fade->SetAutoReverse(true);
    int finished = 0;
    fade->OnFinish = [&](TAnimation *) { ++finished; };
    fade->Start();
    clock.Advance(1000);
    EXPECT_EQ(image.Bitmap().pixel(0, 0), two.pixel(0, 0)) << "one second to the second picture";
    clock.Advance(1000);
    EXPECT_EQ(image.Bitmap().pixel(0, 0), one.pixel(0, 0)) << "and one second back";
    clock.Advance(5500);
    EXPECT_TRUE(fade->Running());
    EXPECT_EQ(finished, 0);
    fade->Stop();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(image.Bitmap(), two);
}

} // namespace
} // namespace trelvo
