// The host with the real client over the real pipe under a real X server, with a scripted game server.
#include "ScriptedServer.h"

#include "SpinUntil.h"
#include "X11Probe.h"
#include "host/GameArea.h"
#include "host/Host.h"
#include "host/ScreenshotTimer.h"
#include "host/X11Input.h"

#include <QAction>
#include <QDir>
#include <QScreen>

#include <gtest/gtest.h>

#include <csignal>

using namespace trelvo;
using namespace trelvo::host;
using trelvo::test::SpinUntil;
using trelvo::test::TScriptedServer;
using trelvo::test::TX11Probe;

namespace {

// Generous: under a loaded machine a window manager and two processes take their time.
constexpr int kDeadlineMs = 30000;

class HostX11E2E : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.Connected());
        THostOptions options;
        options.ClientPath = QStringLiteral(TRELVO_BINARY);
        options.PlayerName = QStringLiteral("Аня");
        auto scripted = std::make_unique<TScriptedServer>();
        server = scripted.get();
        host = std::make_unique<THost>(options, std::move(scripted), kClientPipeName);
        QString error;
        ASSERT_TRUE(host->Start(error)) << error.toStdString();
        ASSERT_TRUE(SpinUntil([&] { return host->Relay().ClientOnline(); }, kDeadlineMs));
        area = static_cast<uint32_t>(host->Window().GameArea().winId());
    }
    void TearDown() override { host.reset(); }

    // The client's window once it sits in the game area at the area's full size.
    uint32_t WaitEmbedded() {
        uint32_t found = 0;
        SpinUntil(
            [&] {
                const QSize size = host->Window().GameArea().size();
                for (uint32_t child : x.Children(area))
                    if (x.Geometry(child) == TX11Probe::TGeometry{0, 0, size.width(), size.height()} &&
                        x.Viewable(child)) {
                        found = child;
                        return true;
                    }
                return false;
            },
            kDeadlineMs);
        return found;
    }
    void Shot(const char *name) {
        const QString dir = QStringLiteral(TRELVO_SHOT_DIR);
        QDir().mkpath(dir);
        SaveWindowShot(host->Window(), dir + u'/' + QString::fromLatin1(name) + QStringLiteral(".png"));
    }
    bool LogHas(const QString &text) { return host->Window().LogText().contains(text); }

    TX11Probe x;
    TScriptedServer *server = nullptr;
    std::unique_ptr<THost> host;
    uint32_t area = 0;
};

TEST_F(HostX11E2E, ClientEmbedsIntoTheGameAreaAndFollowsItsSize) {
    const uint32_t client = WaitEmbedded();
    ASSERT_NE(client, 0u) << "the client's window is not in the game area at its size";
    EXPECT_EQ(host->EmbeddedWindow(), client);
    Shot("embedded");

    host->Window().resize(host->Window().width() - 150, host->Window().height() - 100);
    const uint32_t resized = WaitEmbedded();
    EXPECT_EQ(resized, client) << "the client did not follow the game area's new size";
    // Below the size at which the client's table fits, the log gives way and the window stops
    // shrinking: the game area keeps its minimum.
    EXPECT_GE(host->Window().GameArea().width(), TGameArea::kMinimumWidth);
    EXPECT_GE(host->Window().GameArea().height(), TGameArea::kMinimumHeight);
}

TEST_F(HostX11E2E, VersionCheckLobbyPollAndTableListCrossTheRealPipe) {
    EXPECT_TRUE(SpinUntil([&] { return host->Relay().Echo() == THostRelay::TEcho::Confirmed; }, kDeadlineMs));
    // The lobby asks for the table list on its own.
    ASSERT_TRUE(SpinUntil([&] { return server->Received.contains(QStringLiteral("1:2;1;")); }, kDeadlineMs))
        << server->Received.join(u' ').toStdString();
    // A good list is read without complaint; a broken one comes back as message 23, after it.
    server->Send(QStringLiteral("2;2;1;1;3;0;0;3;1;0;0;4;0;0;1;1;"));
    // The host passes one list for each poll: the broken one answers the next.
    const auto polls = [&] { return server->Received.count(QStringLiteral("1:2;1;")); };
    const qsizetype asked = polls();
    ASSERT_TRUE(SpinUntil([&] { return polls() > asked; }, kDeadlineMs));
    server->Send(QStringLiteral("2;x;0;0;0;0;"));
    ASSERT_TRUE(SpinUntil([&] { return LogHas(QStringLiteral("(23;")); }, kDeadlineMs));
    EXPECT_EQ(host->Window().LogText().count(QStringLiteral("(23;")), 1);
    Shot("lobby");
}

TEST_F(HostX11E2E, ShowAndHideFromTheMenuReachTheClientWindow) {
    const uint32_t client = WaitEmbedded();
    ASSERT_NE(client, 0u);
    host->Window().HideGameAction()->trigger();
    EXPECT_TRUE(SpinUntil([&] { return !x.Viewable(client); }, kDeadlineMs));
    Shot("hidden");
    host->Window().ShowGameAction()->trigger();
    EXPECT_TRUE(SpinUntil([&] { return x.Viewable(client); }, kDeadlineMs));
}

TEST_F(HostX11E2E, F11TakesTheGameToFullScreenAndBackIntoTheResizedGameArea) {
    const uint32_t client = WaitEmbedded();
    ASSERT_NE(client, 0u);
    TX11Input input;
    ASSERT_TRUE(input.Available());
    constexpr uint32_t kF11 = 0xffc8;
    auto pressF11Over = [&](uint32_t window) {
        int rootX = 0, rootY = 0;
        ASSERT_TRUE(input.RootPosition(window, rootX, rootY));
        const TX11Probe::TGeometry g = x.Geometry(window);
        input.Click(rootX + g.Width / 2, rootY + g.Height / 2);
        ASSERT_TRUE(input.Key(kF11));
    };

    pressF11Over(client);
    ASSERT_TRUE(
        SpinUntil([&] { return host->EmbeddedWindow() == 0 && x.Parent(client) != area; }, kDeadlineMs));
    const QSize screen = host->Window().screen()->size();
    EXPECT_TRUE(SpinUntil(
        [&] {
            const TX11Probe::TGeometry g = x.Geometry(client);
            return x.Viewable(client) && g.Width == screen.width() && g.Height == screen.height();
        },
        kDeadlineMs))
        << "the client did not fill the screen";

    // The chat window changes meanwhile; back in it, the game takes the new size.
    const int before = host->Window().GameArea().width();
    host->Window().resize(host->Window().width() + 120, host->Window().height() + 80);
    ASSERT_TRUE(SpinUntil([&] { return host->Window().GameArea().width() > before; }, kDeadlineMs));
    pressF11Over(client);
    const uint32_t back = WaitEmbedded();
    const TX11Probe::TGeometry g = x.Geometry(client);
    EXPECT_EQ(back, client) << "the client did not come back at the game area's size: parent "
                            << x.Parent(client) << " area " << area << " geometry " << g.X << "," << g.Y
                            << " " << g.Width << "x" << g.Height << " area size "
                            << host->Window().GameArea().width() << "x" << host->Window().GameArea().height()
                            << " viewable " << x.Viewable(client);
    EXPECT_EQ(host->EmbeddedWindow(), client);
    Shot("back-from-full-screen");
}

TEST_F(HostX11E2E, F11GoesOutAndComesBackWithOnePressEachWhileThePersonsKeyIsStillDown) {
    const uint32_t client = WaitEmbedded();
    ASSERT_NE(client, 0u);
    TX11Input input;
    ASSERT_TRUE(input.Available());
    int rootX = 0, rootY = 0;
    ASSERT_TRUE(input.RootPosition(client, rootX, rootY));
    // A click in the game, as on a card: from then on only the keyboard.
    input.Click(rootX + 20, rootY + 20);
    constexpr uint32_t kF11 = 0xffc8;
    const QSize screen = host->Window().screen()->size();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        // A person's finger is still on the key when the window has gone to full screen: the release
        // comes to a window that is no longer where the press was.
        ASSERT_TRUE(input.KeyDown(kF11));
        ASSERT_TRUE(SpinUntil([&] { return x.Parent(client) != area; }, kDeadlineMs))
            << "one press did not take the game out of the chat window";
        ASSERT_TRUE(input.KeyUp(kF11));
        ASSERT_TRUE(SpinUntil(
            [&] {
                const TX11Probe::TGeometry g = x.Geometry(client);
                return x.Viewable(client) && g.Width == screen.width() && x.Focus() == client;
            },
            kDeadlineMs))
            << "the game did not fill the screen with the keyboard";
        ASSERT_TRUE(input.KeyDown(kF11));
        const uint32_t back = WaitEmbedded();
        ASSERT_TRUE(input.KeyUp(kF11));
        ASSERT_EQ(back, client) << "one press did not bring the game back";
    }
}

TEST_F(HostX11E2E, MenuShortcutsWorkWhileTheGameHasTheKeyboard) {
    const uint32_t client = WaitEmbedded();
    ASSERT_NE(client, 0u);
    int settings = 0;
    host->Window().OnSettings = [&settings] { ++settings; };
    TX11Input input;
    ASSERT_TRUE(input.Available());
    int rootX = 0, rootY = 0;
    ASSERT_TRUE(input.RootPosition(client, rootX, rootY));
    input.Click(rootX + 20, rootY + 20);
    // The focus is on the chat window (or the game's) and the pointer over the game: its keys go to the game.
    auto takesGamesKeys = [&] {
        for (uint32_t w = client; w != 0; w = x.Parent(w))
            if (w == x.Focus())
                return true;
        return false;
    };
    ASSERT_TRUE(SpinUntil(takesGamesKeys, kDeadlineMs)) << "the game's window did not take the keyboard";

    constexpr uint32_t kControl = 0xffe3;
    ASSERT_TRUE(host->Window().SoundOn());
    ASSERT_TRUE(input.Chord({kControl, 'm'}));
    EXPECT_TRUE(SpinUntil([&] { return !host->Window().SoundOn(); }, kDeadlineMs)) << "Ctrl+M did not mute";
    ASSERT_TRUE(input.Chord({kControl, ','}));
    EXPECT_TRUE(SpinUntil([&] { return settings == 1; }, kDeadlineMs)) << "Ctrl+, did not open the settings";
    // The game's own key stays the game's.
    ASSERT_TRUE(input.Key(0xffc8));
    EXPECT_TRUE(SpinUntil([&] { return x.Parent(client) != area; }, kDeadlineMs))
        << "F11 no longer reaches the game";
}

TEST_F(HostX11E2E, ClosingTheHostEndsTheClient) {
    ASSERT_NE(WaitEmbedded(), 0u);
    EXPECT_TRUE(host->Shutdown()) << "the client still runs after the host closed its pipe";
    EXPECT_EQ(server->Online, -1) << "the game server still has the player";
}

TEST_F(HostX11E2E, KilledClientIsReportedAndRestarts) {
    ASSERT_NE(WaitEmbedded(), 0u);
    ::kill(static_cast<pid_t>(host->Client().ProcessId()), SIGKILL);
    ASSERT_TRUE(SpinUntil([&] { return !host->Window().ClientNotice().isEmpty(); }, kDeadlineMs));
    EXPECT_TRUE(host->Window().ClientNotice().contains(QStringLiteral("аварийно")))
        << host->Window().ClientNotice().toStdString();
    EXPECT_FALSE(host->Relay().ClientOnline());
    EXPECT_EQ(server->Disconnected, QList<int>{1});
    Shot("client-died");

    host->Window().RestartAction()->trigger();
    ASSERT_TRUE(SpinUntil([&] { return host->Relay().ClientOnline(); }, kDeadlineMs));
    EXPECT_NE(WaitEmbedded(), 0u);
    EXPECT_TRUE(host->Window().ClientNotice().isEmpty());
    EXPECT_EQ(server->Players.size(), 2);
}

TEST_F(HostX11E2E, SecondHostOnTheSamePipeIsRefused) {
    THost second(THostOptions{}, std::make_unique<TScriptedServer>(), kClientPipeName);
    QString error;
    EXPECT_FALSE(second.Start(error));
    EXPECT_TRUE(error.contains(QStringLiteral("another host"))) << error.toStdString();
    EXPECT_TRUE(host->Relay().ClientOnline());
}

} // namespace
