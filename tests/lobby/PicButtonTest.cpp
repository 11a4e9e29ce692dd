#include "TestPictures.h"

#include "lobby/PicButton.h"

#include "common/Clock.h"
#include "common/Exceptions.h"
#include "kit/Form.h"

#include <gtest/gtest.h>

#include <string>

namespace trelvo {
namespace {

const TResBut kWithDisabled{"B_0", "B_1", "B_2", "B_3"};
const TResBut kWithoutDisabled{"", "B_1", "B_2", "B_3"};

// A 100 x 35 button at (100, 100) in an 800 x 600 form.
struct PicButtonFixture {
    TManualClock clock;
    TClockScope scope{clock};
    test::TTestPictures pictures;
    TForm form;
    TPicButton *button;
    int clicks = 0;

    explicit PicButtonFixture(const TResBut &names) {
        form.SetSize(800, 600);
        button = new TPicButton(&form, names);
        button->SetParent(&form);
        button->SetBounds(100, 100, 100, 35);
        button->SetStretch(true);
        button->OnPicClick = [this] { ++clicks; };
    }
    // Runs one step: e enter/move inside, l leave, d press inside, D press outside, u release inside,
    // U release outside, r and R right press and release inside, o disable, n enable.
    void Step(char action) {
        const QPointF inside(150, 117), outside(500, 500);
        switch (action) {
        case 'e':
            form.PointerMove(inside);
            break;
        case 'l':
            form.PointerMove(outside);
            break;
        case 'd':
            form.PointerDown(TMouseButton::Left, inside);
            break;
        case 'D':
            form.PointerDown(TMouseButton::Left, outside);
            break;
        case 'u':
            form.PointerUp(TMouseButton::Left, inside);
            break;
        case 'U':
            form.PointerUp(TMouseButton::Left, outside);
            break;
        case 'r':
            form.PointerDown(TMouseButton::Right, inside);
            break;
        case 'R':
            form.PointerUp(TMouseButton::Right, inside);
            break;
        case 'o':
            button->SetEnabled(false);
            break;
        case 'n':
            button->SetEnabled(true);
            break;
        }
    }
    QString Shown() const { return pictures.NameOf(button->Image()->Bitmap()); }
};

TEST(PicButtonTest, StateMachine) {
    struct Case {
        const char *name;
        TResBut pictures;
        const char *steps;
        int state;
        int clicks;
        const char *shown;
    };
    const Case cases[] = {
        {"hover", kWithDisabled, "e", 2, 0, "B_2"},
        {"hover and leave", kWithDisabled, "el", 1, 0, "B_1"},
        {"press", kWithDisabled, "ed", 3, 0, "B_3"},
        {"press and release inside", kWithDisabled, "edu", 2, 1, "B_2"},
        {"two clicks", kWithDisabled, "edudu", 2, 2, "B_2"},
        {"pressed, out, released outside", kWithDisabled, "edlU", 1, 0, "B_1"},
        {"pressed elsewhere, released inside", kWithDisabled, "Deu", 2, 1, "B_2"},
        {"right button does nothing", kWithDisabled, "erR", 2, 0, "B_2"},
        {"disabled shows its picture", kWithDisabled, "o", 4, 0, "B_0"},
        {"disabled ignores the pointer", kWithDisabled, "oedul", 4, 0, "B_0"},
        {"disabled without picture keeps it", kWithoutDisabled, "oedu", 1, 0, "B_1"},
        {"disabled while hovered, without picture", kWithoutDisabled, "eodul", 2, 0, "B_2"},
        {"enabled again", kWithDisabled, "on", 1, 0, "B_1"},
        {"enabled again and hovered", kWithDisabled, "oneu", 2, 1, "B_2"},
    };
    for (const Case &c : cases) {
        PicButtonFixture f(c.pictures);
        for (const char *step = c.steps; *step; ++step) {
            f.Step(*step);
            f.clock.Advance(50); // each step lands in the middle of the previous fade
        }
        f.clock.Advance(300);
        EXPECT_EQ(f.button->StateButton(), c.state) << c.name;
        EXPECT_EQ(f.clicks, c.clicks) << c.name;
        EXPECT_EQ(f.Shown().toStdString(), c.shown) << c.name;
        EXPECT_FALSE(f.clock.Animating()) << c.name;
    }
}

TEST(PicButtonTest, EveryTransitionCrossFadesFromTheOldStatesPicture) {
    PicButtonFixture f(kWithDisabled);
    f.Step('e');
    f.Step('d');
    f.clock.Advance(300);
    f.Step('l'); // moved out while pressed: pressed picture to waiting picture
    EXPECT_EQ(f.pictures.NameOf(f.button->Animation()->StartValue()), "B_3");
    EXPECT_EQ(f.pictures.NameOf(f.button->Animation()->StopValue()), "B_1");
    f.clock.Advance(100);
    EXPECT_EQ(f.Shown(), "?") << "half-way between the two";
    EXPECT_TRUE(f.button->Animation()->Running());
    f.clock.Advance(120);
    EXPECT_EQ(f.Shown(), "B_1");
}

TEST(PicButtonTest, EnabledSetToItsCurrentValueDoesNothing) {
    PicButtonFixture f(kWithDisabled);
    const int loads = f.pictures.Loads();
    f.button->SetEnabled(true);
    EXPECT_EQ(f.pictures.Loads(), loads);
    EXPECT_FALSE(f.button->Animation()->Running());
}

TEST(PicButtonTest, ImgNameDuringAFadeShowsTheNewPictureAtOnce) {
    PicButtonFixture f(kWithDisabled);
    f.Step('e');
    f.clock.Advance(50);
    ASSERT_TRUE(f.button->Animation()->Running());
    f.button->SetImgName({"", "C_1", "C_2", "C_3"});
    EXPECT_FALSE(f.button->Animation()->Running());
    EXPECT_EQ(f.Shown(), "C_2") << "the new picture of the current (active) state";
    EXPECT_EQ(f.button->ImgName().Waiting, "C_1");
    f.clock.Advance(500);
    EXPECT_EQ(f.Shown(), "C_2");
}

TEST(PicButtonTest, LeavingOntoAChildInsideTheBoxKeepsTheActivePicture) {
    PicButtonFixture f(kWithDisabled);
    auto *icon = new TImage(f.button);
    icon->SetParent(f.button); // hit-testable, like the seat icons of a table row
    icon->SetBounds(60, 5, 20, 20);
    f.Step('e');
    f.form.PointerMove({165, 110});
    EXPECT_EQ(f.form.Hovered(), icon);
    EXPECT_EQ(f.button->StateButton(), 2);
    EXPECT_TRUE(f.button->MouseState());
    f.form.PointerMove({150, 117}); // back onto the button: already inside, no new fade
    EXPECT_EQ(f.button->StateButton(), 2);
}

TEST(PicButtonTest, AutoSizeTakesThePicturesSize) {
    PicButtonFixture f(kWithDisabled);
    f.button->SetImgName({"", "Plate", "Plate", "Plate"});
    f.button->SetAutoSize(true);
    EXPECT_FLOAT_EQ(f.button->Width(), 393);
    EXPECT_FLOAT_EQ(f.button->Height(), 95);
    EXPECT_EQ(f.button->Image()->WrapMode(), TImageWrapMode::Original);
}

TEST(PicButtonTest, AnEmptyWaitingPictureIsRefused) {
    test::TTestPictures pictures;
    TForm form;
    EXPECT_THROW(TPicButton(&form, TResBut{"B_0", "", "B_2", "B_3"}), EAssetNotFound);
    EXPECT_TRUE(form.Children().empty());
}

// A state without a picture of its own must not blank the button: it keeps what it shows.
TEST(PicButtonTest, AStateWithoutAPictureKeepsThePictureShown) {
    PicButtonFixture f(TResBut{"", "B_1", "", ""});
    for (const char *steps : {"e", "ed", "edu", "edul"}) {
        for (const char *s = steps; *s; ++s)
            f.Step(*s);
        f.clock.Advance(550);
        EXPECT_EQ(f.Shown(), "B_1") << "after " << steps;
    }
    f.Step('e');
    f.button->SetImgName({"", "C_1", "", ""});
    EXPECT_EQ(f.Shown(), "B_1") << "the active state has no picture: the shown one stays";
}

TEST(PicButtonTest, AWrongPictureNameIsFoundAtOnce) {
    PicButtonFixture f(kWithDisabled);
    EXPECT_THROW(f.button->SetImgName({"", "", "B_2", "B_3"}), EAssetNotFound);
    EXPECT_THROW(f.button->SetImgName({"", "No_Such_Picture", "B_2", "B_3"}), EAssetNotFound);
    EXPECT_EQ(f.button->ImgName().Waiting, "B_1") << "a refused empty name changes nothing";
    EXPECT_EQ(f.Shown(), "B_1");
}

TEST(ImageExTest, LoadingAndAutoSize) {
    test::TTestPictures pictures;
    TImageEx image;
    image.SetSize(10, 10);
    EXPECT_EQ(image.WrapMode(), TImageWrapMode::Fit);
    image.LoadFromResources("B_1");
    EXPECT_FLOAT_EQ(image.Width(), 10) << "no auto-size yet";
    image.SetAutoSize(true);
    EXPECT_EQ(image.WrapMode(), TImageWrapMode::Original);
    EXPECT_FLOAT_EQ(image.Width(), 100);
    EXPECT_FLOAT_EQ(image.Height(), 35);
    image.LoadFromResources("C_1");
    EXPECT_FLOAT_EQ(image.Width(), 70);
    image.SetSize(5, 5);
    image.SetAutoSize(false); // switching it off applies it once more
    EXPECT_FLOAT_EQ(image.Width(), 70);
    EXPECT_THROW(image.LoadFromResources("No_Such_Picture"), EAssetNotFound);
    EXPECT_EQ(pictures.NameOf(image.Bitmap()), "C_1") << "the old bitmap stays";
}

TEST(ImageExTest, APicturePutOffUntilPaintedIsDecodedByTheFirstPaintOnly) {
    test::TTestPictures pictures;
    TForm form;
    form.SetSize(200, 100);
    auto *image = new TImageEx(&form);
    image->SetParent(&form);
    image->SetSize(200, 100);
    image->SetWrapMode(TImageWrapMode::Stretch);
    image->LoadFromResourcesWhenPainted("B_1");
    EXPECT_EQ(pictures.Loads(), 0);
    EXPECT_TRUE(image->Bitmap().isNull());
    const QImage frame = form.RenderToImage();
    EXPECT_EQ(pictures.NameOf(image->Bitmap()), "B_1");
    EXPECT_EQ(frame.pixel(100, 50), pictures.ColourOf("B_1")) << "drawn in that very frame";
    form.RenderToImage();
    EXPECT_EQ(pictures.Loads(), 1);
    // A picture loaded at once in between wins over the one still put off.
    image->LoadFromResourcesWhenPainted("C_1");
    image->LoadFromResources("B_2");
    form.RenderToImage();
    EXPECT_EQ(pictures.NameOf(image->Bitmap()), "B_2");
}

TEST(ImageExTest, AnUnknownPicturePutOffUntilPaintedLeavesTheImageEmptyWithoutThrowing) {
    test::TTestPictures pictures;
    TForm form;
    form.SetSize(200, 100);
    auto *image = new TImageEx(&form);
    image->SetParent(&form);
    image->SetSize(200, 100);
    image->LoadFromResourcesWhenPainted("No_Such_Picture");
    EXPECT_NO_THROW(form.RenderToImage());
    EXPECT_TRUE(image->Bitmap().isNull());
}

} // namespace
} // namespace trelvo
