#include "kit/Animation.h"
#include "kit/Effects.h"
#include "kit/Form.h"
#include "kit/Image.h"
#include "kit/Shapes.h"
#include "kit/StdControls.h"
#include "kit/Text.h"
#include "kit/View.h"

#include "common/Clock.h"

#include "SpinUntil.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <gtest/gtest.h>

namespace trelvo {
namespace {

// Counts its own destruction.
struct TProbe : TLayout {
    int *deaths;
    TProbe(TSceneObject *owner, int *counter) : TLayout(owner), deaths(counter) {}
    ~TProbe() override { ++*deaths; }
};

TEST(OwnershipTest, OwnerAndParentEachDestroyWhatTheyHoldAndTheOtherForgetsIt) {
    int deaths = 0;
    {
        TLayout owner, parent;
        auto *a = new TProbe(&owner, &deaths);
        a->SetParent(&parent); // owned by one, child of the other
        auto *b = new TProbe(&owner, &deaths);
        b->SetParent(&parent);
        delete a;
        EXPECT_EQ(parent.Children().size(), 1u) << "a destroyed object leaves its parent";
        auto *c = new TProbe(&parent, &deaths);
        c->SetParent(b);
        // Destroying the parent takes b and, through b, c; the owner then holds nothing.
    }
    EXPECT_EQ(deaths, 3);
}

TEST(OwnershipTest, DeferredFreeRunsAfterTheCallbackReturned) {
    TManualClock clock;
    TClockScope scope(clock);
    int deaths = 0;
    TLayout parent;
    auto *window = new TProbe(&parent, &deaths);
    window->SetParent(&parent);
    auto *fade = new TFloatAnimation(window);
    fade->SetParent(window);
    fade->SetPropertyName(QStringLiteral("Opacity"));
    fade->SetStartValue(1);
    fade->SetStopValue(0);
    fade->OnFinish = [&](TAnimation *) {
        window->DeferredFree();
        window->DeferredFree();
        EXPECT_EQ(deaths, 0) << "still alive inside its own animation's finish";
    };
    fade->Start();
    clock.Advance(250);
    EXPECT_EQ(deaths, 1) << "freed from the clock once the frame returned";
    EXPECT_TRUE(parent.Children().empty());
}

TEST(OwnershipTest, DestroyingAnObjectCancelsItsDeferredFree) {
    TManualClock clock;
    TClockScope scope(clock);
    auto *layout = new TLayout;
    layout->DeferredFree();
    delete layout;
    clock.Flush(); // must not free it again
    EXPECT_EQ(clock.PendingCount(), 0u);
}

TEST(DirtyTest, OnlyTheChangedAreaIsMarked) {
    TForm form;
    form.SetSize(800, 600);
    auto *card = new TImage(&form);
    card->SetParent(&form);
    card->SetBounds(100, 100, 71, 96);
    form.ClearDirty();
    card->SetPosition(300, 100);
    EXPECT_EQ(form.DirtyRect(), QRectF(100, 100, 271, 96)) << "the old and the new place";
    form.ClearDirty();
    card->SetOpacity(0.5f);
    EXPECT_EQ(form.DirtyRect(), QRectF(300, 100, 71, 96));
    form.ClearDirty();
    card->SetOpacity(0.5f);
    EXPECT_TRUE(form.DirtyRect().isEmpty()) << "the same value changes nothing";

    auto *shadow = new TShadowEffect(card);
    shadow->SetParent(card);
    form.ClearDirty();
    card->SetX(301);
    EXPECT_TRUE(form.DirtyRect().contains(QRectF(300, 100, 72, 96)));
    EXPECT_GT(form.DirtyRect().width(), 72) << "the shadow's area too";
}

TEST(RenderTest, ImageWrapModesPlaceThePicture) {
    QImage picture(20, 10, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::red);
    struct Case {
        TImageWrapMode mode;
        QPoint red, clear;
    };
    const Case cases[] = {
        {TImageWrapMode::Original, {19, 9}, {25, 5}},  // 1:1 at the top-left
        {TImageWrapMode::Fit, {5, 12}, {5, 3}},        // 40 x 20 band in the middle of 40 x 40
        {TImageWrapMode::Stretch, {39, 39}, {41, 41}}, // the whole box
    };
    for (const Case &c : cases) {
        TForm form;
        form.SetSize(50, 50);
        form.SetFill(0x00000000);
        auto *image = new TImage(&form);
        image->SetParent(&form);
        image->SetBounds(0, 0, 40, 40);
        image->SetWrapMode(c.mode);
        image->SetBitmap(picture);
        const QImage shot = form.RenderToImage();
        EXPECT_EQ(qRed(shot.pixel(c.red)), 255) << int(c.mode);
        EXPECT_EQ(qAlpha(shot.pixel(c.clear)), 0) << int(c.mode);
    }
}

TEST(RenderTest, OpacityMultipliesIntoChildren) {
    TForm form;
    form.SetSize(20, 20);
    form.SetFill(0x00000000);
    auto *outer = new TLayout(&form);
    outer->SetParent(&form);
    outer->SetOpacity(0.5f);
    auto *box = new TRectangle(outer);
    box->SetParent(outer);
    box->SetBounds(0, 0, 20, 20);
    box->SetStrokeThickness(0);
    box->SetFill(0xFF0000FF);
    box->SetOpacity(0.5f);
    EXPECT_FLOAT_EQ(box->AbsoluteOpacity(), 0.25f);
    EXPECT_NEAR(qAlpha(form.RenderToImage().pixel(10, 10)), 64, 2);
}

TEST(RenderTest, ShadowFallsTowardsItsDirection) {
    TForm form;
    form.SetSize(100, 100);
    form.SetFill(0xFFFFFFFF);
    auto *box = new TRectangle(&form);
    box->SetParent(&form);
    box->SetBounds(20, 20, 40, 40);
    box->SetStrokeThickness(0);
    box->SetFill(0xFF3050A0);
    auto *shadow = new TShadowEffect(box);
    shadow->SetParent(box);
    shadow->SetDirection(90); // down
    shadow->SetDistance(10);
    shadow->SetOpacity(1);
    shadow->SetSoftness(0);
    const QImage shot = form.RenderToImage();
    EXPECT_LT(qGray(shot.pixel(40, 65)), 60) << "below the box: shadow";
    EXPECT_EQ(qGray(shot.pixel(40, 15)), 255) << "above the box: nothing";
    EXPECT_EQ(qGray(shot.pixel(65, 40)), 255) << "beside the box: nothing";
    shadow->SetEnabled(false);
    EXPECT_EQ(qGray(form.RenderToImage().pixel(40, 65)), 255);
}

TEST(BusyIndicatorTest, RunsATimerOnlyWhileSpinning) {
    TManualClock clock;
    TClockScope scope(clock);
    TForm form;
    auto *busy = new TBusyIndicator(&form);
    busy->SetParent(&form);
    EXPECT_FALSE(busy->Enabled()) << "created still";
    EXPECT_EQ(clock.PendingCount(), 0u);
    busy->SetEnabled(true);
    form.ClearDirty();
    clock.Advance(1000);
    EXPECT_EQ(busy->AbsoluteRect(), form.DirtyRect()) << "it repaints itself while spinning";
    EXPECT_FALSE(clock.Animating()) << "twelve steps a second, no frames";
    busy->SetEnabled(false);
    EXPECT_EQ(clock.PendingCount(), 0u);
    form.ClearDirty();
    clock.Advance(1000);
    EXPECT_TRUE(form.DirtyRect().isEmpty());
    busy->SetEnabled(true); // destroyed spinning
}

TEST(ScrollBoxTest, WheelScrollsRowsThatDoNotFit) {
    TForm form;
    auto *box = new TScrollBox(&form);
    box->SetParent(&form);
    box->SetBounds(0, 25, 510, 300);
    std::vector<TLayout *> rows;
    for (int i = 0; i < 12; ++i) {
        auto *row = new TLayout(box);
        row->SetParent(box);
        row->SetHitTest(true);
        row->SetBounds(10, 32.0f * i, 500, 30);
        rows.push_back(row);
    }
    EXPECT_FLOAT_EQ(box->ContentHeight(), 382);
    EXPECT_EQ(rows[0]->Parent(), box->Content());
    EXPECT_EQ(box->Content()->Children().size(), 12u);
    EXPECT_EQ(form.ObjectAtScenePoint({20, 25 + 32 * 9 + 5}), rows[9]);
    EXPECT_EQ(form.ObjectAtScenePoint({20, 25 + 32 * 10 + 5}), nullptr) << "clipped";
    form.PointerWheel(-120 * 10, {20, 100});
    EXPECT_FLOAT_EQ(box->ViewportY(), 82) << "no further than the end";
    EXPECT_EQ(form.ObjectAtScenePoint({20, 25 + 300 - 5}), rows[11]);
}

TEST(CheckBoxTest, ClickTogglesAndEveryChangeIsReported) {
    TForm form;
    auto *box = new TCheckBox(&form);
    box->SetParent(&form);
    std::vector<bool> changes;
    box->OnChange = [&](TControl *sender) {
        changes.push_back(static_cast<TCheckBox *>(sender)->IsChecked());
    };
    form.PointerDown(TMouseButton::Left, {5, 5});
    form.PointerUp(TMouseButton::Left, {5, 5});
    box->SetIsChecked(false); // by the program
    box->SetIsChecked(false);
    box->SetEnabled(false);
    form.PointerDown(TMouseButton::Left, {5, 5});
    form.PointerUp(TMouseButton::Left, {5, 5});
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

// The real view under a real event loop: once painted, a scene with nothing changing has nothing left to
// paint, and a change repaints once. Wake-ups over time are measured in bench/scene.
TEST(ViewTest, IdleSceneCausesNoPaintsAndAChangeOneRepaint) {
    TForm form;
    form.SetSize(300, 200);
    auto *card = new TRectangle(&form);
    card->SetParent(&form);
    card->SetBounds(10, 10, 71, 96);
    form.Show();
    // Runs every event that is already due, without waiting for new ones.
    auto drain = [] {
        for (int i = 0; i < 10; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        }
    };
    ASSERT_TRUE(test::SpinUntil([&] { return form.PaintCount() >= 1; }));
    drain();
    const uint64_t settled = form.PaintCount();
    drain();
    EXPECT_EQ(form.PaintCount(), settled) << "idle";
    card->SetX(20);
    ASSERT_TRUE(test::SpinUntil([&] { return form.PaintCount() > settled; }));
    drain();
    EXPECT_EQ(form.PaintCount(), settled + 1);
}

TEST(ViewTest, KeysArriveAsVirtualKeyCodes) {
    TForm form;
    std::vector<int> keys;
    form.OnKeyDown = [&](TForm *, uint16_t &key, QChar &, TShiftState) { keys.push_back(key); };
    struct Case {
        int qt;
        int vk;
    };
    const Case cases[] = {
        {Qt::Key_F11, 122}, {Qt::Key_Escape, 27}, {Qt::Key_Return, 13}, {Qt::Key_A, 'A'}, {Qt::Key_5, '5'}};
    for (const Case &c : cases) {
        QKeyEvent press(QEvent::KeyPress, c.qt, Qt::NoModifier);
        QCoreApplication::sendEvent(form.View(), &press);
    }
    EXPECT_EQ(keys, (std::vector<int>{122, 27, 13, 'A', '5'}));
}

TEST(ViewTest, EmbeddedViewFollowsItsHostAndFeedsThePointer) {
    QWidget host;
    host.resize(640, 480);
    host.show(); // a hidden widget hears of its resizes only when shown
    TForm form;
    TView *view = form.Embed(&host);
    EXPECT_EQ(view->parentWidget(), &host);
    EXPECT_FLOAT_EQ(form.ClientWidth(), 640);
    host.resize(1024, 768);
    EXPECT_FLOAT_EQ(form.ClientWidth(), 1024);
    EXPECT_FLOAT_EQ(form.ClientHeight(), 768);
    form.SetClientHeight(700); // the form is the host's client area
    EXPECT_EQ(host.height(), 700);

    auto *card = new TControl(&form);
    card->SetParent(&form);
    card->SetBounds(100, 100, 71, 96);
    int clicks = 0;
    card->OnClick = [&](TControl *) { ++clicks; };
    const QPointF at(120, 130);
    QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, view->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(view, &move);
    EXPECT_EQ(form.Hovered(), card);
    EXPECT_EQ(form.ScreenToClient(TScreen::MousePos()), at);
    QCoreApplication::sendEvent(view, &press);
    QCoreApplication::sendEvent(view, &release);
    EXPECT_EQ(clicks, 1);
}

} // namespace
} // namespace trelvo
