#include "app/MainForm.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <xcb/xcb.h>

using trelvo::TMain_Form;

namespace {

// What the X server itself says about a window, read with xwininfo.
struct TXWindowInfo {
    WId parent = 0;
    QRect geometry; // relative to the parent
};

TXWindowInfo QueryX(WId id) {
    QProcess tree;
    tree.start(QStringLiteral("xwininfo"),
               {QStringLiteral("-tree"), QStringLiteral("-id"), QString::number(id)});
    tree.waitForFinished(5000);
    const QString treeText = QString::fromLocal8Bit(tree.readAllStandardOutput());
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(id)});
    info.waitForFinished(5000);
    const QString infoText = QString::fromLocal8Bit(info.readAllStandardOutput());

    TXWindowInfo out;
    const auto parent = QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)")).match(treeText);
    if (parent.hasMatch())
        out.parent = parent.captured(1).toULongLong(nullptr, 16);
    auto number = [&](const char *label) {
        const auto m =
            QRegularExpression(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)")).match(infoText);
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    };
    out.geometry = QRect(number("Relative upper-left X"), number("Relative upper-left Y"), number("Width"),
                         number("Height"));
    return out;
}

// Polls the X server until the condition holds (window managers act asynchronously).
// The chat client's window: a plain X window made on our own connection to the X server, which Qt
// knows nothing about.
class TForeignWindow {
public:
    TForeignWindow(int x, int y, int width, int height)
    {
        FConnection = xcb_connect(nullptr, nullptr);
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data;
        FWindow = xcb_generate_id(FConnection);
        const uint32_t background = screen->white_pixel;
        xcb_create_window(FConnection, XCB_COPY_FROM_PARENT, FWindow, screen->root, int16_t(x), int16_t(y),
                          uint16_t(width), uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                          XCB_CW_BACK_PIXEL, &background);
        xcb_map_window(FConnection, FWindow);
        xcb_flush(FConnection);
    }
    ~TForeignWindow()
    {
        xcb_destroy_window(FConnection, FWindow);
        xcb_disconnect(FConnection);
    }
    WId winId() const { return FWindow; }

private:
    xcb_connection_t *FConnection;
    xcb_window_t FWindow;
};

template <typename F> bool WaitFor(F condition, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (condition())
            return true;
        QTest::qWait(50);
    }
    return condition();
}

class MainFormX11 : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("xcb")) << "needs a real X server";
        FForm.SetOnChangeFullScreen([this] { ++FNotifications; });
        FForm.show();
        FForm.SetParentWindow(FHost.winId());
        ASSERT_TRUE(WaitFor([&] { return QueryX(FForm.winId()).parent == FHost.winId(); }));
    }

    testing::AssertionResult EmbeddedAtDesignPlace() {
        TXWindowInfo x;
        const bool ok = WaitFor([&] {
            x = QueryX(FForm.winId());
            return x.parent == FHost.winId() && x.geometry == QRect(0, 0, 640, 480) && !FForm.isFullScreen();
        });
        if (ok)
            return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << "X parent " << x.parent << " (host " << FHost.winId() << "), geometry " << x.geometry.x()
               << "," << x.geometry.y() << " " << x.geometry.width() << "x" << x.geometry.height()
               << ", full screen " << FForm.isFullScreen();
    }

    bool FullScreenOnTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        return WaitFor([&] {
            const TXWindowInfo x = QueryX(FForm.winId());
            return FForm.isFullScreen() && x.parent != FHost.winId() && x.geometry.size() == screen.size();
        });
    }

    TForeignWindow FHost{100, 100, 900, 700};
    TMain_Form FForm;
    int FNotifications = 0;
};

} // namespace

TEST_F(MainFormX11, EmbedsIntoTheHostWindowAtTheDesignPlace) {
    EXPECT_TRUE(EmbeddedAtDesignPlace());
    EXPECT_EQ(FForm.ChatWindow(), FHost.winId());
}

TEST_F(MainFormX11, F11GoesFullScreenAndComesBackEmbeddedWithF11OrEsc) {
    for (int leaveKey : {Qt::Key_F11, Qt::Key_Escape}) {
        FForm.FormKeyDown(Qt::Key_F11);
        EXPECT_TRUE(FullScreenOnTheScreen());
        FForm.FormKeyDown(leaveKey);
        EXPECT_TRUE(EmbeddedAtDesignPlace()) << "leaving with key " << leaveKey;
        EXPECT_EQ(FForm.ChatWindow(), FHost.winId());
    }
    EXPECT_EQ(FNotifications, 4);
}

TEST_F(MainFormX11, EscAndOtherKeysOutsideFullScreenChangeNothingButStillNotify) {
    for (int key : {Qt::Key_Escape, Qt::Key_A, Qt::Key_F10}) {
        const int before = FNotifications;
        FForm.FormKeyDown(key);
        EXPECT_EQ(FNotifications, before + 1);
        EXPECT_TRUE(EmbeddedAtDesignPlace());
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
