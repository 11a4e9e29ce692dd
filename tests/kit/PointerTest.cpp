#include "kit/Control.h"
#include "kit/Form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trelvo {
namespace {

// A form with controls that write every pointer event they get into one log.
struct PointerRouting : ::testing::Test {
    TForm form;
    std::vector<std::string> log;

    TControl *Add(TSceneObject *parent, const std::string &name, float x, float y, float w, float h) {
        auto *c = new TControl(&form);
        c->SetParent(parent);
        c->SetBounds(x, y, w, h);
        c->OnMouseEnter = [this, name](TControl *) { log.push_back("enter " + name); };
        c->OnMouseLeave = [this, name](TControl *) { log.push_back("leave " + name); };
        c->OnMouseMove = [this, name](TControl *, TShiftState, float x, float y) {
            log.push_back("move " + name + " " + std::to_string(int(std::lround(x))) + "," +
                          std::to_string(int(std::lround(y))));
        };
        c->OnMouseDown = [this, name](TControl *, TMouseButton, TShiftState, float, float) {
            log.push_back("down " + name);
        };
        c->OnMouseUp = [this, name](TControl *, TMouseButton, TShiftState, float, float) {
            log.push_back("up " + name);
        };
        c->OnClick = [this, name](TControl *) { log.push_back("click " + name); };
        return c;
    }
    std::vector<std::string> Take() {
        auto out = log;
        log.clear();
        return out;
    }
    void SetUp() override { form.SetSize(800, 600); }
};

using Log = std::vector<std::string>;

TEST_F(PointerRouting, EnterLeaveAndMoveInOwnCoordinates) {
    TControl *parent = Add(&form, "parent", 100, 100, 200, 200);
    TControl *child = Add(parent, "child", 50, 50, 20, 20);
    (void)child;
    form.PointerMove({110, 120});
    EXPECT_EQ(Take(), (Log{"enter parent", "move parent 10,20"}));
    // Entering a hit-testable child leaves the parent.
    form.PointerMove({155, 160});
    EXPECT_EQ(Take(), (Log{"leave parent", "enter child", "move child 5,10"}));
    form.PointerMove({120, 120});
    EXPECT_EQ(Take(), (Log{"leave child", "enter parent", "move parent 20,20"}));
    form.PointerLeave();
    EXPECT_EQ(Take(), (Log{"leave parent"}));
}

TEST_F(PointerRouting, HitTestOffDisabledAndHiddenLetThePointerThrough) {
    Add(&form, "below", 0, 0, 400, 400);
    struct Case {
        const char *name;
        void (*change)(TControl *);
    };
    const Case cases[] = {
        {"hit test off", [](TControl *c) { c->SetHitTest(false); }},
        {"disabled", [](TControl *c) { c->SetEnabled(false); }},
        {"hidden", [](TControl *c) { c->SetVisible(false); }},
    };
    for (const Case &c : cases) {
        TControl *above = Add(&form, "above", 0, 0, 100, 100);
        form.PointerMove({50, 50});
        EXPECT_EQ(form.Hovered(), above) << c.name;
        c.change(above);
        form.PointerMove({51, 50});
        EXPECT_NE(form.Hovered(), above) << c.name;
        EXPECT_EQ(Take().back(), "move below 51,50") << c.name;
        delete above;
        form.PointerLeave();
        Take();
    }
}

TEST_F(PointerRouting, ChildrenOfADisabledControlGetNothing) {
    Add(&form, "below", 0, 0, 400, 400);
    TControl *panel = Add(&form, "panel", 0, 0, 200, 200);
    Add(panel, "button", 10, 10, 50, 50);
    panel->SetEnabled(false);
    form.PointerMove({20, 20});
    form.PointerDown(TMouseButton::Left, {20, 20});
    form.PointerUp(TMouseButton::Left, {20, 20});
    EXPECT_EQ(Take(), (Log{"enter below", "move below 20,20", "down below", "up below", "click below"}));
}

TEST_F(PointerRouting, LaterChildrenLieAbove) {
    Add(&form, "first", 0, 0, 100, 100);
    Add(&form, "second", 50, 50, 100, 100);
    form.PointerDown(TMouseButton::Left, {75, 75});
    EXPECT_EQ(Take(), (Log{"down second"}));
}

TEST_F(PointerRouting, ClickNeedsLeftPressAndReleaseInsideTheSameControl) {
    Add(&form, "a", 0, 0, 100, 100);
    Add(&form, "b", 200, 0, 100, 100);
    struct Case {
        const char *name;
        TMouseButton button;
        QPointF down, up;
        Log expected;
    };
    const Case cases[] = {
        {"inside", TMouseButton::Left, {10, 10}, {90, 90}, {"down a", "up a", "click a"}},
        {"right button", TMouseButton::Right, {10, 10}, {20, 20}, {"down a", "up a"}},
        {"pressed elsewhere", TMouseButton::Left, {210, 10}, {20, 20}, {"down b", "up a"}},
        {"released outside", TMouseButton::Left, {10, 10}, {210, 10}, {"down a", "up b"}},
        {"released on nothing", TMouseButton::Left, {10, 10}, {500, 500}, {"down a"}},
    };
    for (const Case &c : cases) {
        form.PointerDown(c.button, c.down);
        form.PointerUp(c.button, c.up);
        EXPECT_EQ(Take(), c.expected) << c.name;
    }
}

TEST_F(PointerRouting, CaptureKeepsEveryEventUntilRelease) {
    TControl *bar = Add(&form, "bar", 0, 0, 100, 20);
    Add(&form, "other", 0, 100, 100, 100);
    bar->SetAutoCapture(true);
    form.PointerMove({10, 10});
    form.PointerDown(TMouseButton::Left, {10, 10});
    Take();
    form.PointerMove({30, 150});
    EXPECT_EQ(Take(), (Log{"move bar 30,150"})) << "no leave, no enter while captured";
    form.PointerUp(TMouseButton::Left, {30, 150});
    EXPECT_EQ(Take(), (Log{"up bar"})) << "released outside: no click";
    EXPECT_EQ(form.Captured(), nullptr);
    form.PointerMove({30, 151});
    EXPECT_EQ(Take(), (Log{"leave bar", "enter other", "move other 30,51"}));
}

TEST_F(PointerRouting, RotatedControlIsHitByItsRotatedShape) {
    // A card lying across: 71 x 96 turned 90 degrees clockwise about its top-left corner, placed at
    // x 96, covers x 0..96 and y 0..71 of its parent.
    TControl *card = Add(&form, "card", 96, 0, 71, 96);
    card->SetRotationCenter(0, 0);
    card->SetRotationAngle(90);
    struct Case {
        QPointF at;
        bool hit;
    };
    const Case cases[] = {{{5, 5}, true},     {{90, 65}, true},  {{50, 75}, false},
                          {{100, 10}, false}, {{-2, 30}, false}, {{48, 35}, true}};
    for (const Case &c : cases)
        EXPECT_EQ(form.ObjectAtScenePoint(c.at) == card, c.hit) << c.at.x() << "," << c.at.y();
    EXPECT_EQ(card->AbsoluteRect(), QRectF(0, 0, 96, 71));
    // Events arrive in the card's own (unrotated) coordinates: the scene point (90, 10) is 10 along
    // the card's width and 6 up from its bottom... that is local (10, 6) from the turned top-left.
    form.PointerMove({90, 10});
    EXPECT_EQ(Take(), (Log{"enter card", "move card 10,6"}));

    // About its centre by 45 degrees: the box corners fall outside, the centre and the tips inside.
    TControl *diamond = Add(&form, "diamond", 300, 300, 100, 100);
    diamond->SetRotationAngle(45);
    EXPECT_EQ(form.ObjectAtScenePoint({350, 350}), diamond);
    EXPECT_EQ(form.ObjectAtScenePoint({350, 285}), diamond);
    EXPECT_EQ(form.ObjectAtScenePoint({305, 305}), nullptr);
    EXPECT_EQ(diamond->Position(), QPointF(300, 300)) << "rotation changes neither position nor size";
}

TEST_F(PointerRouting, AHandlerMayDestroyTheControlItIsCalledFor) {
    TControl *a = Add(&form, "a", 0, 0, 100, 100);
    a->OnMouseUp = [](TControl *sender, TMouseButton, TShiftState, float, float) { delete sender; };
    form.PointerMove({10, 10});
    form.PointerDown(TMouseButton::Left, {10, 10});
    form.PointerUp(TMouseButton::Left, {10, 10});
    EXPECT_EQ(form.Hovered(), nullptr);
    form.PointerMove({11, 11});
    EXPECT_TRUE(form.Children().empty());
}

} // namespace
} // namespace trelvo
