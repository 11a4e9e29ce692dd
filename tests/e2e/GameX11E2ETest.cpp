// The real client plays a whole game under a real X server against a scripted host on the real pipe:
// from the lobby through three players' bouts (a cover, a transfer, a throw-in, takes, discards and a
// player leaving) to the result in the waiting room. The player's own moves are real pointer clicks
// on the lit cards; the host waits for the client's answers, never for a fixed time.
#include "ClientProcess.h"

#include "HostPeer.h"
#include "SpinUntil.h"
#include "X11Probe.h"

#include "host/Autoplayer.h"
#include "host/X11Input.h"
#include "protocol/GameValues.h"
#include "protocol/Protocol.h"
#include "protocol/ServerMessages.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QScreen>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::test;

namespace {

// Table 3: Bob (server id 0, seat 3), Cid (id 1, seat 4) and Ann, the user (id 2, seat 1).
constexpr int kTable = 3, kBob = 0, kCid = 1, kAnn = 2;
constexpr int kWidth = 1000, kHeight = 700;
// Long enough for a round's end (a three-second countdown and the flights) on a slow sanitizer build.
constexpr int kAnswerMs = 30000;

std::string HostBytes(const QString &Text) {
    return EncodeAnsi(Text).toStdString();
}

std::string FromServer(const msg::TServerMessage &M) {
    return HostBytes(BuildHostMessage(HostIn::kServerMessage, msg::BuildMessage(M)));
}

std::string FromClient(const msg::TClientMessage &M) {
    return HostBytes(BuildHostMessage(HostOut::kServerMessage, msg::BuildMessage(M)));
}

// The centre of the pixels near a colour (each channel within Tolerance) in the given part of a
// picture, or nothing when fewer than MinPixels match.
std::optional<QPoint> CentreOf(const QImage &Shot, QRgb Colour, int Tolerance, int MinPixels,
                               const QRect &Area) {
    const QImage image = Shot.convertToFormat(QImage::Format_RGB32);
    const QRect area = Area.intersected(image.rect());
    long sumX = 0, sumY = 0, count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = row[x];
            if (std::abs(qRed(p) - qRed(Colour)) <= Tolerance &&
                std::abs(qGreen(p) - qGreen(Colour)) <= Tolerance &&
                std::abs(qBlue(p) - qBlue(Colour)) <= Tolerance) {
                sumX += x;
                sumY += y;
                ++count;
            }
        }
    }
    if (count < MinPixels)
        return std::nullopt;
    return QPoint(static_cast<int>(sumX / count), static_cast<int>(sumY / count));
}

// The face of a lobby row.
constexpr QRgb kLobbyRow = qRgb(0xe0, 0xeb, 0xa0);

class GameX11E2E : public testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(QStringLiteral(TRELVO_SCREENS_DIR));
        ASSERT_TRUE(FProbe.Connected());
        ASSERT_TRUE(FInput.Available()) << "the X server has no test extension";
        FChat = FProbe.CreateWindow(0, 0, kWidth, kHeight);
        ASSERT_TRUE(FHost.Listening());
        FClient = std::make_unique<TClientProcess>(QStringList{QStringLiteral("-start")}, StderrPath());
        ASSERT_TRUE(FHost.WaitConnected()) << "the client did not connect";
    }

    static QString StderrPath() { return QStringLiteral(TRELVO_SCREENS_DIR "/game-client-stderr.txt"); }

    void Send(const std::string &Bytes) { ASSERT_TRUE(FHost.Send(Bytes)) << Bytes; }
    void Send(const std::vector<msg::TServerMessage> &Messages) {
        for (const msg::TServerMessage &m : Messages)
            Send(FromServer(m));
    }

    // The client's messages not yet taken by the script; the lobby's table-list polls do not count.
    std::vector<std::string> Unread() const {
        const std::string poll = FromClient(msg::TTableListRequest{});
        const std::vector<std::string> &all = FHost.Messages();
        std::vector<std::string> out;
        for (size_t i = FRead; i < all.size(); ++i)
            if (all[i] != poll)
                out.push_back(all[i]);
        return out;
    }

    // Waits until the client has sent Count more messages (or the time is up), then takes them.
    std::vector<std::string> Take(size_t Count, int TimeoutMs = kAnswerMs) {
        QElapsedTimer waited;
        waited.start();
        while (Unread().size() < Count && waited.elapsed() < TimeoutMs)
            FHost.Collect(20);
        std::vector<std::string> out = Unread();
        out.resize(std::min(out.size(), Count));
        const std::string poll = FromClient(msg::TTableListRequest{});
        const std::vector<std::string> &all = FHost.Messages();
        for (size_t taken = 0; FRead < all.size() && taken < out.size(); ++FRead)
            if (all[FRead] != poll)
                ++taken;
        return out;
    }

    std::vector<std::string> Expected(const std::vector<msg::TClientMessage> &Messages) const {
        std::vector<std::string> out;
        for (const msg::TClientMessage &m : Messages)
            out.push_back(FromClient(m));
        return out;
    }

    // The client's window: the one child of the chat window, once it has the host's size.
    bool FindWindow() {
        return SpinUntil(
            [&] {
                for (uint32_t child : FProbe.Children(FChat))
                    if (FProbe.Geometry(child) == TX11Probe::TGeometry{0, 0, kWidth, kHeight} &&
                        FProbe.Viewable(child)) {
                        FWindow = child;
                        return true;
                    }
                return false;
            },
            10000);
    }

    QImage Grab() const {
        QScreen *screen = QGuiApplication::primaryScreen();
        return screen ? screen->grabWindow(FWindow).toImage() : QImage();
    }

    void Save(const char *Name) {
        const QString path = QStringLiteral(TRELVO_SCREENS_DIR "/") + QLatin1String(Name);
        EXPECT_TRUE(Grab().save(path)) << qPrintable(path);
    }

    void Click(QPoint Point) {
        int rootX = 0, rootY = 0;
        ASSERT_TRUE(FInput.RootPosition(FWindow, rootX, rootY));
        FInput.Click(rootX + Point.x(), rootY + Point.y());
    }

    // Looks at the window until Find sees what it looks for, while the pipe keeps being served.
    std::optional<QPoint> Look(const std::function<std::optional<QPoint>(const QImage &)> &Find,
                               int TimeoutMs = kAnswerMs) {
        QElapsedTimer waited;
        waited.start();
        do {
            if (std::optional<QPoint> found = Find(Grab()))
                return found;
            FHost.Collect(50);
        } while (waited.elapsed() < TimeoutMs);
        return std::nullopt;
    }

    // Clicks the one lit card of the own hand once it glows (the cards that may be played light up
    // when the card played to the user has landed).
    void ClickTheLitCard() {
        const std::optional<QPoint> card = Look([](const QImage &shot) -> std::optional<QPoint> {
            const std::vector<QPoint> lit = host::FindLitCards(shot);
            if (lit.size() == 1)
                return lit.front();
            return std::nullopt;
        });
        if (!card) {
            Save("game-failure.png");
            for (QPoint p : host::FindLitCards(Grab()))
                ADD_FAILURE() << "lit at " << p.x() << "," << p.y();
        }
        ASSERT_TRUE(card) << "no single lit card in the own hand";
        Click(*card);
    }

    // Looks until Find sees the same place on two pictures in a row, with the same pixels around it: a
    // control still fading in or moving does not take a click yet.
    std::optional<QPoint> LookSettled(const std::function<std::optional<QPoint>(const QImage &)> &Find) {
        QElapsedTimer waited;
        waited.start();
        QImage before;
        std::optional<QPoint> last;
        do {
            const QImage shot = Grab();
            const std::optional<QPoint> at = Find(shot);
            const QRect around = at ? QRect(at->x() - 24, at->y() - 12, 48, 24) : QRect();
            if (at && last && *at == *last && shot.copy(around) == before.copy(around))
                return at;
            last = at;
            before = shot;
            FHost.Collect(150);
        } while (waited.elapsed() < kAnswerMs);
        return std::nullopt;
    }

    // Clicks at what Find shows once it has settled and waits for the client's one answer. A click is
    // repeated only after a whole answer time without an answer: a slow client that took the first one
    // would otherwise send its request twice.
    std::string ClickUntilAnswered(const std::function<std::optional<QPoint>(const QImage &)> &Find) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            const std::optional<QPoint> at = LookSettled(Find);
            if (!at)
                return {};
            Click(*at);
            const std::vector<std::string> answer = Take(1, kAnswerMs);
            if (!answer.empty())
                return answer.front();
        }
        return {};
    }

    TX11Probe FProbe;
    host::TX11Input FInput;
    uint32_t FChat = 0;
    uint32_t FWindow = 0;
    THostPeer FHost{kClientPipeName};
    std::unique_ptr<TClientProcess> FClient;
    size_t FRead = 0;
};

// One step of the game: what the host does and what the client answers, in order.
struct Step {
    const char *what;
    std::function<void()> act;
    std::vector<msg::TClientMessage> out;
};

TEST_F(GameX11E2E, AWholeGameIsDrawnFromTheLobbyToTheResultWithoutError) {
    Send(
        HostBytes(BuildHostMessage(HostIn::kSetPlayerInfo, QStringLiteral("Ann;10.0.0.2;1;srv;7.1;cc;pl;"))));
    Send(HostBytes(BuildHostMessage(HostIn::kParentWindow, QString::number(FChat) + QLatin1Char(';'))));
    Send(HostBytes(BuildHostMessage(HostIn::kChatResize, QStringLiteral("%1;%2;").arg(kHeight).arg(kWidth))));
    ASSERT_TRUE(FindWindow()) << "the client's window is not in the chat window at its size";

    Send({msg::TVersionCheck{1, 5, QStringLiteral("p42")}});
    ASSERT_EQ(Take(1), std::vector<std::string>{"11;5"});
    msg::TTableList tables;
    tables.CountNotTrTable = 1;
    tables.CountNotTrPlayer = 2;
    tables.Tables = {{kTable, 2, false, false, false}};
    Send({tables});
    // Ann enters the listed table with a click on its row.
    const auto row = [](const QImage &shot) { return CentreOf(shot, kLobbyRow, 12, 2000, shot.rect()); };
    ASSERT_TRUE(Look(row)) << "no table in the lobby";
    Save("game-lobby.png");
    const std::string entered = ClickUntilAnswered(row);
    ASSERT_EQ(entered, FromClient(msg::TEnterTableRequest{kTable})) << "the row did not take the click";

    using msg::TCard;
    const msg::TRoundStartRequest clock{kTable};
    auto srv = [this](std::vector<msg::TServerMessage> messages) {
        return [this, messages] { Send(messages); };
    };
    const msg::TWaitingRoom allReady{kTable,
                                     {{0, QStringLiteral("Bob"), true},
                                      {1, QStringLiteral("Cid"), true},
                                      {2, QStringLiteral("Ann"), true}}};
    // Trump spades; Ann holds no spade, so exactly one of her cards covers each attack made on her.
    msg::TGameStart start;
    start.TimeGo = 30;
    start.Players = {
        {kBob, QStringLiteral("Bob")}, {kCid, QStringLiteral("Cid")}, {kAnn, QStringLiteral("Ann")}};
    start.FirstID = kBob;
    start.TrumpSuit = 4;
    start.TrumpDignity = 13;
    start.DeckCount = 18;
    start.Cards = {{10, 1, 5}, {11, 3, 5}, {12, 3, 11}, {13, 2, 12}, {14, 1, 13}, {15, 2, 9}};
    const auto coveredByAnn = msg::TCovered{CoverKind::kAllCovered, kAnn, kBob, 0, false, 0, 0};

    const Step steps[] = {
        {"seats and countdown",
         srv({msg::TWaitingRoom{kTable, {{0, QStringLiteral("Bob"), true}, {1, QStringLiteral("Cid"), false}, {2, QStringLiteral("Ann"), false}}},
              msg::TCountdown{10}, allReady}),
         {}},
        {"the game starts, Bob first", srv({start}), {clock}},
        {"Bob attacks Ann with the jack of hearts", srv({msg::TCardPlayed{kBob, kAnn, 3, 10, false}}), {clock}},
        {"Ann covers with the queen, the only card that can", [this] { ClickTheLitCard(); },
         {msg::TCoverRequest{kTable, 12, 0}}},
        {"the server confirms, Bob may throw in", srv({coveredByAnn}), {clock}},
        {"Bob is done, Cid may throw in", srv({msg::TPassed{kCid}}), {clock}},
        {"discard; Ann draws the nine of hearts and leads",
         srv({msg::TBoutEnd{true, msg::kNobody, kAnn, 16, {{kBob, 6}, {kCid, 6}, {kAnn, 6}}, {{16, 3, 7}}}}),
         {clock}},
        {"Ann's clock runs out and the server plays her six of clubs",
         srv({msg::TCardPlayed{kAnn, kBob, 1, 5, true}}), {clock}},
        {"Bob transfers to Cid with the six of diamonds", srv({msg::TCardPlayed{kBob, kCid, 2, 5, true}}),
         {clock}},
        {"Cid takes, Ann may throw in", srv({msg::TTaken{kCid, kAnn}}), {clock}},
        {"Ann throws in the six of hearts, her only six", [this] { ClickTheLitCard(); },
         {msg::TGoRequest{kTable, 11}}},
        {"the server shows it", srv({msg::TCardPlayed{kAnn, kCid, 3, 5, false}}), {clock, clock}},
        {"Cid took, Bob moves; Ann draws two",
         srv({msg::TBoutEnd{false, kCid, kBob, 13, {{kBob, 6}, {kCid, 9}, {kAnn, 6}}, {{18, 3, 2}, {19, 1, 3}}}}),
         {clock}},
        {"Bob attacks Ann with the ten of clubs", srv({msg::TCardPlayed{kBob, kAnn, 1, 9, false}}), {clock}},
        {"Ann's defence is offered: the picture mid-game",
         [this] {
             ASSERT_TRUE(Look([](const QImage &shot) -> std::optional<QPoint> {
                 if (host::FindLitCards(shot).size() == 1)
                     return QPoint();
                 return std::nullopt;
             })) << "the ace of clubs does not light up";
             Save("game-mid.png");
         },
         {}},
        {"Ann's clock runs out: she takes", srv({msg::TTaken{kAnn, kBob}}), {clock}},
        {"Bob throws in the ten of hearts", srv({msg::TCardPlayed{kBob, kAnn, 3, 9, false}}), {clock}},
        {"Ann took, Bob moves",
         srv({msg::TBoutEnd{false, kAnn, kBob, 11, {{kBob, 6}, {kCid, 9}, {kAnn, 8}}, {{20, 1, 9}, {21, 3, 9}}}}),
         {clock}},
        {"Cid leaves, Bob moves", srv({msg::TPlayerLeft{kCid, false, kBob}}), {clock}},
        {"Bob attacks Ann with the jack of diamonds", srv({msg::TCardPlayed{kBob, kAnn, 2, 10, false}}),
         {clock}},
        {"Ann covers with the king, the only card that can", [this] { ClickTheLitCard(); },
         {msg::TCoverRequest{kTable, 13, 0}}},
        {"the server confirms", srv({coveredByAnn}), {clock}},
        {"Bob's last cards are gone: the game is over, Ann lost",
         srv({msg::TBoutEnd{true, msg::kNobody, kBob, 0, {{kBob, 0}, {kAnn, 7}}, {}}, msg::TGameResult{0, 0},
              msg::TWaitingRoom{kTable, {{0, QStringLiteral("Bob"), false}, {2, QStringLiteral("Ann"), false}}}}),
         {clock}},
    };
    for (const Step &step : steps) {
        step.act();
        if (HasFatalFailure())
            FAIL() << step.what;
        EXPECT_EQ(Take(step.out.size()), Expected(step.out)) << step.what;
        ASSERT_TRUE(FClient->Running()) << step.what;
    }

    // The result waits a moment after the last bout's animation, then the waiting room shows it; Ann
    // declares herself ready for the next game there.
    const host::TScreenReader reader;
    const auto readyButton = [&reader](const QImage &shot) { return reader.Read(shot).Ready; };
    if (!Look(readyButton))
        Save("game-failure.png");
    ASSERT_TRUE(Look(readyButton, 0)) << "no waiting room after the game";
    Save("game-result.png");
    EXPECT_EQ(ClickUntilAnswered(readyButton), FromClient(msg::TReadyRequest{kTable, true}));

    // Still answering: a version check is echoed.
    Send({msg::TVersionCheck{1, 9, QStringLiteral("p42")}});
    EXPECT_EQ(Take(1), std::vector<std::string>{"11;9"});
    EXPECT_EQ(Unread(), std::vector<std::string>{}) << "the client said more than the script expects";

    FHost.Close();
    QProcess &process = FClient->Process();
    ASSERT_TRUE(process.waitForFinished(kAnswerMs)) << "the client outlived its host";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    QFile errors(StderrPath());
    ASSERT_TRUE(errors.open(QIODevice::ReadOnly));
    const QString said = QString::fromUtf8(errors.readAll());
    for (const QString &line : said.split(QLatin1Char('\n'))) {
        EXPECT_FALSE(line.startsWith(QLatin1String("trelvo."))) << qPrintable(line);
        for (const char *sanitizer : {"AddressSanitizer", "LeakSanitizer", "runtime error:"})
            EXPECT_FALSE(line.contains(QLatin1String(sanitizer))) << qPrintable(line);
    }
}

} // namespace
