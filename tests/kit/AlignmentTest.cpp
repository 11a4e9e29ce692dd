#include "kit/Control.h"
#include "kit/Form.h"
#include "kit/Round.h"
#include "kit/Text.h"

#include <gtest/gtest.h>

#include <memory>

namespace trelvo {
namespace {

TEST(RoundTest, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double value;
        int expected;
    };
    const Case cases[] = {{274.5, 274}, {303.5, 304}, {-3.5, -4}, {275.5, 276}, {0.5, 0}, {1.5, 2},
                          {-0.5, 0},    {-2.5, -2},   {2.4, 2},   {-9.6, -10},  {2.6, 3}, {-2.4, -2}};
    for (const Case &c : cases)
        EXPECT_EQ(Round(c.value), c.expected) << c.value;
}

struct Box {
    float x, y, w, h;
};

void ExpectBox(const TControl *c, Box b, const char *what) {
    EXPECT_FLOAT_EQ(c->X(), b.x) << what;
    EXPECT_FLOAT_EQ(c->Y(), b.y) << what;
    EXPECT_FLOAT_EQ(c->Width(), b.w) << what;
    EXPECT_FLOAT_EQ(c->Height(), b.h) << what;
}

// One aligned child in a 1000 x 700 parent, alone, starting at (30, 40) with size 101 x 51.
TEST(AlignmentTest, EachModeAloneInTheParent) {
    struct Case {
        TAlignLayout mode;
        Box expected;
        const char *name;
    };
    const Case cases[] = {
        {TAlignLayout::None, {30, 40, 101, 51}, "None"},
        {TAlignLayout::Top, {0, 0, 1000, 51}, "Top"},
        {TAlignLayout::Bottom, {0, 649, 1000, 51}, "Bottom"},
        {TAlignLayout::Left, {0, 0, 101, 700}, "Left"},
        {TAlignLayout::Right, {899, 0, 101, 700}, "Right"},
        {TAlignLayout::Client, {0, 0, 1000, 700}, "Client"},
        // (1000 - 101) / 2 = 449.5 and (700 - 51) / 2 = 324.5 go to the even neighbours 450 and 324.
        {TAlignLayout::Center, {450, 324, 101, 51}, "Center"},
        {TAlignLayout::VertCenter, {0, 324, 1000, 51}, "VertCenter"},
        {TAlignLayout::HorzCenter, {450, 0, 101, 700}, "HorzCenter"},
        {TAlignLayout::Horizontal, {0, 40, 1000, 51}, "Horizontal"},
        {TAlignLayout::Vertical, {30, 0, 101, 700}, "Vertical"},
    };
    for (const Case &c : cases) {
        TLayout parent;
        parent.SetSize(1000, 700);
        auto *child = new TLayout(&parent);
        child->SetParent(&parent);
        child->SetBounds(30, 40, 101, 51);
        child->SetAlign(c.mode);
        ExpectBox(child, c.expected, c.name);
    }
}

// The game table's division: top and bottom seats first, the side seats between them, the playing
// place in what is left.
struct TableLayout : ::testing::Test {
    TLayout table;
    TLayout *top, *bottom, *left, *right, *place;

    TLayout *Add(TAlignLayout mode, float w, float h) {
        auto *c = new TLayout(&table);
        c->SetParent(&table);
        c->SetSize(w, h);
        c->SetAlign(mode);
        return c;
    }
    void SetUp() override {
        table.SetSize(1000, 700);
        bottom = Add(TAlignLayout::Bottom, 50, 230);
        left = Add(TAlignLayout::Left, 101, 50);
        top = Add(TAlignLayout::Top, 50, 96);
        right = Add(TAlignLayout::Right, 101, 50);
        place = Add(TAlignLayout::Client, 50, 50);
    }
};

TEST_F(TableLayout, EdgesThenClientFillWhatIsLeft) {
    ExpectBox(top, {0, 0, 1000, 96}, "top");
    ExpectBox(bottom, {0, 470, 1000, 230}, "bottom");
    ExpectBox(left, {0, 96, 101, 374}, "left");
    ExpectBox(right, {899, 96, 101, 374}, "right");
    ExpectBox(place, {101, 96, 798, 374}, "place");
}

TEST_F(TableLayout, ParentAndChildSizeChangesRealignAtOnce) {
    table.SetSize(1280, 1024);
    ExpectBox(place, {101, 96, 1078, 698}, "after the parent grew");
    // A seat whose hand grows: the side seats and the playing place follow before the call returns.
    top->SetHeight(150);
    ExpectBox(left, {0, 150, 101, 644}, "left after the top grew");
    ExpectBox(place, {101, 150, 1078, 644}, "place after the top grew");
    // An aligned child cannot be sized against its alignment.
    place->SetWidth(10);
    EXPECT_FLOAT_EQ(place->Width(), 1078);
}

TEST_F(TableLayout, HiddenEdgeChildGivesItsRoomBack) {
    top->SetVisible(false);
    ExpectBox(place, {101, 0, 798, 470}, "place without top");
    top->SetVisible(true);
    ExpectBox(place, {101, 96, 798, 374}, "place with top");
}

TEST(AlignmentTest, SeveralClientSiblingsOverlap) {
    TLayout parent;
    parent.SetSize(300, 200);
    auto *a = new TLayout(&parent);
    a->SetParent(&parent);
    a->SetAlign(TAlignLayout::Client);
    auto *b = new TLayout(&parent);
    b->SetParent(&parent);
    b->SetAlign(TAlignLayout::Client);
    ExpectBox(a, {0, 0, 300, 200}, "a");
    ExpectBox(b, {0, 0, 300, 200}, "b");
}

// A half unit of free space on each side goes to the even neighbour, never simply down.
TEST(AlignmentTest, CentringRoundsHalvesToTheEvenNeighbour) {
    struct Case {
        float parent, child, expected;
    };
    const Case cases[] = {{101, 50, 26}, {103, 50, 26}, {99, 50, 24}, {100, 50, 25}, {50, 101, -26}};
    for (const Case &c : cases) {
        TLayout parent;
        parent.SetSize(c.parent, c.parent);
        auto *child = new TLayout(&parent);
        child->SetParent(&parent);
        child->SetSize(c.child, c.child);
        child->SetAlign(TAlignLayout::Center);
        EXPECT_FLOAT_EQ(child->X(), c.expected) << c.parent << " for " << c.child;
        EXPECT_FLOAT_EQ(child->Y(), c.expected) << c.parent << " for " << c.child;
    }
}

TEST(AlignmentTest, CentredPositionHoldsUntilTheParentLaysOutAgain) {
    TLayout parent;
    parent.SetSize(400, 300);
    auto *window = new TLayout(&parent);
    window->SetParent(&parent);
    window->SetSize(100, 100);
    window->SetAlign(TAlignLayout::Center);
    ExpectBox(window, {150, 100, 100, 100}, "centred");
    window->SetPosition(10, 20); // dragged
    ExpectBox(window, {10, 20, 100, 100}, "dragged");
    // Controls that come and go beside it without alignment leave it where it was dragged.
    auto *card = new TLayout(&parent);
    ExpectBox(window, {10, 20, 100, 100}, "after create");
    card->SetParent(&parent);
    ExpectBox(window, {10, 20, 100, 100}, "after parent");
    delete card;
    ExpectBox(window, {10, 20, 100, 100}, "after delete");
    auto *hint = new TLayout(&parent);
    hint->SetParent(&parent);
    hint->SetParent(nullptr);
    delete hint;
    ExpectBox(window, {10, 20, 100, 100}, "still dragged");
    parent.SetSize(600, 300);
    ExpectBox(window, {250, 100, 100, 100}, "re-centred");
    // Its own size change re-centres it too.
    window->SetSize(200, 50);
    ExpectBox(window, {200, 125, 200, 50}, "resized");
}

TEST(AlignmentTest, AutoSizedTextCentredInACalloutRecentresWhenItsHeightChanges) {
    TLayout box;
    box.SetSize(200, 100);
    auto *text = new TText(&box);
    text->SetParent(&box);
    text->SetAlign(TAlignLayout::Center);
    text->SetText(QStringLiteral("one two three four five six seven eight nine ten"));
    text->SetWidth(60);
    text->SetAutoSize(true);
    text->SetAutoSize(false);
    const float tall = text->Height();
    EXPECT_GT(tall, 40) << "wrapped into several lines";
    EXPECT_FLOAT_EQ(text->Width(), 60) << "word wrap keeps the width";
    EXPECT_FLOAT_EQ(text->Y(), Round((100 - tall) / 2));
    text->SetWidth(190);
    EXPECT_FLOAT_EQ(text->Height(), tall) << "auto-size off keeps the measured height";
    text->SetAutoSize(true);
    EXPECT_LT(text->Height(), tall);
    EXPECT_FLOAT_EQ(text->Y(), Round((100 - text->Height()) / 2)) << "re-centred synchronously";
}

TEST(TextTest, AutoSizeWithoutWordWrapTakesTheLine) {
    TText text;
    text.SetWordWrap(false);
    text.SetText(QStringLiteral("Конец раунда: 3"));
    text.SetAutoSize(true);
    const float w = text.Width(), h = text.Height();
    EXPECT_GT(w, 60);
    EXPECT_GT(h, 10);
    text.SetText(QStringLiteral("Конец раунда: 3 и ещё"));
    EXPECT_GT(text.Width(), w) << "follows its string";
    text.SetFontSize(24);
    EXPECT_GT(text.Height(), h) << "follows its font";
}

} // namespace
} // namespace trelvo
