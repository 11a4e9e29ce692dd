#include "TestPictures.h"

#include "lobby/HintImage.h"
#include "lobby/PicButton.h"

#include "common/Clock.h"
#include "common/Timer.h"
#include "kit/Animation.h"
#include "kit/Form.h"
#include "kit/Round.h"
#include "kit/Shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace trelvo {
namespace {

const QString kHint =
    QStringLiteral("Время на ход (если дважды подряд Вы не успеете сделать ход в течение этого времени, игра "
                   "закончится и Вас оштрафуют).");

// The hint is one implementation on two bases; every test runs on both.
struct HintHost {
    const char *name;
    std::function<TControl *(TForm *)> make;
    std::function<const TCalloutHint &(TControl *)> hint;
};

const HintHost kHosts[] = {
    {"TLayoutBase", [](TForm *f) -> TControl * { return new TLayoutBase(f); },
     [](TControl *c) -> const TCalloutHint & { return static_cast<TLayoutBase *>(c)->CalloutHint(); }},
    {"TImageHint", [](TForm *f) -> TControl * { return new TImageHint(f); },
     [](TControl *c) -> const TCalloutHint & { return static_cast<TImageHint *>(c)->CalloutHint(); }},
};

// An 800 x 600 form whose whole area is one hinted control.
struct HintFixture {
    TManualClock clock;
    TClockScope scope{clock};
    test::TTestPictures pictures;
    TForm form;
    TControl *host;
    const HintHost &kind;
    int enters = 0, leaves = 0, moves = 0;

    explicit HintFixture(const HintHost &k, bool show = true, const QString &hint = kHint) : kind(k) {
        form.SetSize(800, 600);
        host = k.make(&form);
        host->SetParent(&form);
        host->SetBounds(0, 0, 800, 600);
        host->SetShowHint(show);
        host->SetHint(hint);
        host->OnMouseEnter = [this](TControl *) {
            ++enters;
            EXPECT_NE(State(), 1);
        };
        host->OnMouseLeave = [this](TControl *) { ++leaves; };
        host->OnMouseMove = [this](TControl *, TShiftState, float, float) { ++moves; };
    }
    const TCalloutHint &Hint() const { return kind.hint(host); }
    int State() const { return Hint().State(); }
};

TEST(HintTest, NoHintWithoutTheSwitchOrText) {
    for (const HintHost &kind : kHosts) {
        struct Case {
            bool show;
            QString text;
        };
        const Case cases[] = {{false, kHint}, {true, QString()}};
        for (const Case &c : cases) {
            HintFixture f(kind, c.show, c.text);
            f.form.PointerMove({400, 300});
            EXPECT_EQ(f.State(), -1) << kind.name;
            EXPECT_EQ(f.Hint().Timer(), nullptr) << kind.name;
            EXPECT_EQ(f.clock.PendingCount(), 0u) << kind.name;
            EXPECT_EQ(f.enters, 1) << "the users' event still comes";
        }
    }
}

TEST(HintTest, DelayShowFadeAndRemoval) {
    for (const HintHost &kind : kHosts) {
        HintFixture f(kind);
        f.form.PointerMove({400, 300});
        EXPECT_EQ(f.State(), 0) << kind.name;
        ASSERT_NE(f.Hint().Timer(), nullptr);
        EXPECT_EQ(f.Hint().Timer()->Interval(), 500);
        f.form.PointerMove({401, 300}); // moving during the delay changes nothing
        f.clock.Advance(499);
        EXPECT_EQ(f.State(), 0) << kind.name;
        f.clock.Advance(1);
        EXPECT_EQ(f.State(), 1) << kind.name;
        EXPECT_EQ(f.Hint().Timer(), nullptr) << "the timer is freed once it fired";
        TLayout *callout = f.Hint().LayoutCallout();
        ASSERT_NE(callout, nullptr);
        EXPECT_EQ(callout->Parent(), &f.form);
        EXPECT_EQ(callout->Owner(), &f.form);
        TCalloutRectangle *rect = f.Hint().CalloutRectangle();
        EXPECT_EQ(rect->Fill(), 0xFFF5F5F5u);
        EXPECT_FLOAT_EQ(rect->XRadius(), 5);
        EXPECT_FLOAT_EQ(rect->Opacity(), 0) << "fades in from nothing";
        EXPECT_EQ(f.Hint().Text()->Text(), kHint);
        EXPECT_FLOAT_EQ(f.Hint().Text()->FontSize(), 15);
        f.clock.Advance(150);
        EXPECT_NEAR(rect->Opacity(), 0.5, 0.06);
        f.clock.Advance(200);
        EXPECT_FLOAT_EQ(rect->Opacity(), 1);
        EXPECT_FALSE(f.clock.Animating()) << "a shown hint is idle";

        const int moves = f.moves;
        f.form.PointerMove({402, 300});
        EXPECT_EQ(f.State(), -1) << kind.name;
        EXPECT_EQ(f.Hint().LayoutCallout(), nullptr);
        EXPECT_EQ(f.form.Children().size(), 1u) << "only the host is left";
        EXPECT_EQ(f.moves, moves + 1) << "the users' move comes after the hint handling";
        // The next enter starts a new delay.
        f.form.PointerLeave();
        f.form.PointerMove({400, 300});
        EXPECT_EQ(f.State(), 0);
    }
}

TEST(HintTest, LeavingOrDestroyingEndsThePendingOrShownHint) {
    for (const HintHost &kind : kHosts) {
        {
            HintFixture f(kind);
            f.form.PointerMove({400, 300});
            f.clock.Advance(300);
            f.form.PointerLeave();
            EXPECT_EQ(f.State(), -1) << kind.name;
            EXPECT_EQ(f.clock.PendingCount(), 0u) << "the delay timer is gone";
            f.clock.Advance(1000);
            EXPECT_EQ(f.Hint().LayoutCallout(), nullptr);
            EXPECT_EQ(f.leaves, 1);
        }
        {
            HintFixture f(kind);
            f.form.PointerMove({400, 300});
            f.clock.Advance(500);
            ASSERT_EQ(f.State(), 1);
            f.form.PointerLeave();
            EXPECT_EQ(f.State(), -1) << kind.name;
            EXPECT_EQ(f.form.Children().size(), 1u);
        }
        {
            HintFixture f(kind);
            f.form.PointerMove({400, 300});
            f.clock.Advance(100);
            delete f.host;
            EXPECT_EQ(f.clock.PendingCount(), 0u) << kind.name;
        }
        {
            HintFixture f(kind);
            f.form.PointerMove({400, 300});
            f.clock.Advance(500);
            delete f.host;
            EXPECT_TRUE(f.form.Children().empty()) << kind.name << ": the callout went with its control";
            EXPECT_FALSE(f.clock.Animating());
        }
    }
}

TEST(HintTest, PlacementAtEveryEdgeOfTheForm) {
    const float kPointer = 11, kPointerWidth = 23;
    struct Case {
        const char *name;
        QPointF mouse;
        bool below; // the callout hangs below the pointer with its tip on top
    };
    const Case cases[] = {
        {"middle", {400, 300}, true},
        {"top edge", {400, 2}, true},
        {"bottom edge", {400, 595}, false},
        {"left edge", {4, 300}, true},
        {"right edge", {797, 300}, true},
        {"bottom-right corner", {790, 590}, false},
        {"bottom-left corner", {3, 598}, false},
    };
    for (const HintHost &kind : kHosts) {
        for (const Case &c : cases) {
            HintFixture f(kind);
            f.form.PointerMove(c.mouse);
            f.clock.Advance(500);
            ASSERT_EQ(f.State(), 1);
            TLayout *layout = f.Hint().LayoutCallout();
            TCalloutRectangle *rect = f.Hint().CalloutRectangle();
            TText *text = f.Hint().Text();
            const float w = layout->Width(), h = layout->Height();
            const std::string what = std::string(kind.name) + ": " + c.name;

            // The box grew by 2 x 1 until the space above the text, less the pointer, reached 20.
            EXPECT_FLOAT_EQ(w, 2 * h) << what;
            EXPECT_EQ(rect->Width(), w) << what;
            const float textTop = ((h - kPointer) - text->Height()) / 2;
            EXPECT_GE(Round((h - text->Height()) / 2) - kPointer, 20) << what;
            EXPECT_EQ(text->Align(), TAlignLayout::None) << what;

            const float mx = static_cast<float>(c.mouse.x()), my = static_cast<float>(c.mouse.y());
            if (c.below) {
                EXPECT_EQ(rect->CalloutPosition(), TCalloutPosition::Top) << what;
                EXPECT_FLOAT_EQ(layout->Y(), my + 10) << what;
                EXPECT_FLOAT_EQ(text->Y(), textTop + kPointer) << what;
            } else {
                EXPECT_EQ(rect->CalloutPosition(), TCalloutPosition::Bottom) << what;
                EXPECT_FLOAT_EQ(layout->Y(), my - h - 10 - 10) << what;
                EXPECT_FLOAT_EQ(text->Y(), textTop) << what;
            }

            float left = mx - w / 2, offset = 0;
            if (left < 0) {
                offset = w / 2 - std::fabs(left);
                if (offset - 1 - 5 - kPointerWidth < 0)
                    offset = kPointerWidth + 6;
                left = 0;
            }
            if (left + w > 800) {
                const float excess = left + w - 800;
                offset = w / 2 + excess;
                if (w < offset + 1 + 5 + kPointerWidth)
                    offset = w - 1 - 5 - kPointerWidth;
                left -= excess;
            }
            EXPECT_FLOAT_EQ(layout->X(), left) << what;
            EXPECT_FLOAT_EQ(rect->CalloutOffset(), offset) << what;
            EXPECT_GE(layout->X(), 0) << what << ": inside the form";
            EXPECT_LE(layout->X() + w, 800) << what << ": inside the form";
            if (offset != 0) {
                EXPECT_GE(offset, kPointerWidth + 6 - 0.01f) << what << ": the tip keeps clear of the corner";
                EXPECT_LE(offset + kPointerWidth + 6, w + 0.01f) << what;
            }
        }
    }
}

TEST(TextHintTest, CaptionSizesTheLayoutToTheText) {
    TManualClock clock;
    TClockScope scope(clock);
    TTextHint autoSized;
    autoSized.Text()->SetWordWrap(false);
    autoSized.Text()->SetAutoSize(true);
    autoSized.SetCaption(QStringLiteral("Моё имя"));
    EXPECT_EQ(autoSized.Caption(), QStringLiteral("Моё имя"));
    EXPECT_GT(autoSized.Width(), 30);
    EXPECT_FLOAT_EQ(autoSized.Width(), autoSized.Text()->Width());
    EXPECT_FLOAT_EQ(autoSized.Height(), autoSized.Text()->Height());
    EXPECT_FALSE(autoSized.Text()->HitTest());
    EXPECT_TRUE(autoSized.HitTest());

    TTextHint fixed;
    fixed.Text()->SetSize(77, 33);
    fixed.SetCaption(QStringLiteral("a rather long caption that does not fit"));
    EXPECT_FLOAT_EQ(fixed.Width(), 77) << "auto-size off: the text keeps its size and the layout takes it";
    EXPECT_FLOAT_EQ(fixed.Height(), 33);
}

} // namespace
} // namespace trelvo
