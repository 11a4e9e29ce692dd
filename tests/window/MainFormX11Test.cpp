#include "window/MainForm.h"

#include <gtest/gtest.h>

#include "SpinUntil.h"
#include "X11Probe.h"
#include "common/VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTest>
#include <QWindow>

using trelvo::TMain_Form;
using trelvo::test::SpinUntil;
using trelvo::test::TX11Probe;

namespace {

// A widget inside the window that takes every key for itself, as the scene's view does.
class TKeyEater : public QWidget {
public:
    using QWidget::QWidget;
    int Keys = 0;

protected:
    void keyPressEvent(QKeyEvent *Event) override {
        ++Keys;
        Event->accept();
    }
};

class MainFormX11 : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FX.Connected());
        FHost = FX.CreateWindow(100, 100, 900, 700);
        ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("xcb")) << "needs a real X server";
        FForm.SetOnChangeFullScreen([this] { ++FNotifications; });
        FForm.show();
        FForm.SetParentWindow(FHost);
        ASSERT_TRUE(SpinUntil([&] { return FX.Parent(Form()) == FHost; }));
    }

    testing::AssertionResult EmbeddedAtDesignPlace() {
        uint32_t parent = 0;
        TX11Probe::TGeometry g;
        const bool ok = SpinUntil([&] {
            parent = FX.Parent(Form());
            g = FX.Geometry(Form());
            return parent == FHost && g == TX11Probe::TGeometry{0, 0, 640, 480} && !FForm.isFullScreen();
        });
        if (ok)
            return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << "X parent " << parent << " (host " << FHost << "), geometry " << g.X << "," << g.Y << " "
               << g.Width << "x" << g.Height << ", full screen " << FForm.isFullScreen();
    }

    bool FullScreenOnTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        return SpinUntil([&] {
            const TX11Probe::TGeometry g = FX.Geometry(Form());
            return FForm.isFullScreen() && FX.Parent(Form()) != FHost && g.Width == screen.width() &&
                   g.Height == screen.height();
        });
    }

    uint32_t Form() { return static_cast<uint32_t>(FForm.winId()); }

    TX11Probe FX;
    uint32_t FHost = 0; // stands for the chat client's window, a window Qt knows nothing of
    TMain_Form FForm;
    TKeyEater *FKeyEater = new TKeyEater(&FForm);
    int FNotifications = 0;
};

TEST_F(MainFormX11, EmbedsIntoTheHostWindowAtTheDesignPlace) {
    EXPECT_TRUE(EmbeddedAtDesignPlace());
    EXPECT_EQ(FForm.ChatWindow(), WId(FHost));
}

TEST_F(MainFormX11, F11GoesFullScreenAndComesBackEmbeddedWithF11OrEsc) {
    for (uint16_t leaveKey : {trelvo::VK_F11, trelvo::VK_ESCAPE}) {
        // The first time as a key press arrives while a widget inside, which handles every key itself,
        // has the focus.
        if (leaveKey == trelvo::VK_F11) {
            FKeyEater->setFocus();
            QTest::keyClick(FForm.windowHandle(), Qt::Key_F11);
        } else
            FForm.FormKeyDown(trelvo::VK_F11);
        EXPECT_TRUE(FullScreenOnTheScreen());
        FForm.FormKeyDown(leaveKey);
        EXPECT_TRUE(EmbeddedAtDesignPlace()) << "leaving with key " << leaveKey;
        EXPECT_EQ(FForm.ChatWindow(), WId(FHost));
    }
    EXPECT_EQ(FNotifications, 4);
}

TEST_F(MainFormX11, EscAndOtherKeysOutsideFullScreenChangeNothingButStillNotify) {
    for (uint16_t key : {trelvo::VK_ESCAPE, uint16_t('A'), uint16_t(trelvo::VK_F1 + 9)}) {
        const int before = FNotifications;
        FForm.FormKeyDown(key);
        EXPECT_EQ(FNotifications, before + 1);
        EXPECT_TRUE(EmbeddedAtDesignPlace());
    }
}

// A key reaches the main form once, whether the widget that has the focus handles it or passes it to its
// parents.
TEST(MainFormKeys, EveryKeyInsideTheWindowNotifiesOnce) {
    TMain_Form form;
    int notifications = 0;
    form.SetOnChangeFullScreen([&] { ++notifications; });
    auto *eater = new TKeyEater(&form);
    auto *passer = new QWidget(eater); // ignores keys: they travel on to the eater
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (QWidget *focus : {static_cast<QWidget *>(eater), passer, static_cast<QWidget *>(&form)}) {
        focus->setFocus();
        const int before = notifications;
        QTest::keyClick(form.windowHandle(), Qt::Key_A);
        EXPECT_EQ(notifications, before + 1);
    }
    EXPECT_EQ(eater->Keys, 2) << "the widget inside still gets its keys";
    QWidget outside;
    outside.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&outside));
    QTest::keyClick(outside.windowHandle(), Qt::Key_A);
    EXPECT_EQ(notifications, 3) << "keys of other windows are not ours";
}

// The release of a key may go to another window: the window that had the press has left for full screen,
// or come back, meanwhile. Each new press is a press of its own all the same.
TEST(MainFormKeys, EveryPressCountsAlsoWhenTheReleaseBeforeItWentElsewhere) {
    TMain_Form form;
    int notifications = 0;
    form.SetOnChangeFullScreen([&] { ++notifications; });
    new TKeyEater(&form);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int press = 1; press <= 3; ++press) {
        QTest::keyPress(form.windowHandle(), Qt::Key_A);
        EXPECT_EQ(notifications, press);
    }
}

TEST(MainFormSettings, HiddenFramelessOnTopAtTheDesignPlace) {
    TMain_Form form;
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 640, 480));
    EXPECT_EQ(form.ChatWindow(), WId(0));
    // A zero parent makes the window top-level and is not remembered.
    form.SetParentWindow(0);
    EXPECT_EQ(form.ChatWindow(), WId(0));
}

} // namespace
