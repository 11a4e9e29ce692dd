// A hostile game server against the real client over the real pipe: plays the host, embeds the client
// into a window of its own, brings it to a table by real clicks, then sends whole games whose messages
// are mutated with a seeded generator. Reports the client's deaths, its error boxes, the slowest answer
// to a version check and the client's memory against its start. Run it with tools/hostile_run.sh.
//
//   trelvo-hostile CLIENT [MESSAGES] [SEED] [CLIENT_STDERR_FILE]
#include "host/Autoplayer.h"
#include "host/HostLink.h"
#include "host/X11Input.h"

#include "Mutator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::host;
using namespace trelvo::hostile;

namespace {

// Two players, Ann (this player, id 0) and Bob, at table 12: the games the mutations start from.
const std::vector<std::vector<QString>> kGames = {
    {"7;9;2;30;0;Ann;1;Bob;0;4;13;24;6;1;1;5;2;3;11;3;2;7;4;4;2;5;1;9;6;3;13;", "7;10;0;1;1;5;0;",
     "7;14;0;1;1;0;1;7;", "7;12;1;", "7;13;1;255;1;22;1;1;6;1;7;2;8;", "7;10;1;0;3;12;0;", "7;11;0;1;",
     "7;13;0;0;1;20;1;1;5;0;", "7;10;1;0;2;6;0;", "7;14;2;0;1;0;", "7;13;1;255;0;18;1;1;4;1;8;4;10;",
     "7;15;1;0;"},
    {"7;9;2;15;1;Bob;0;Ann;1;2;9;24;6;10;4;9;11;2;2;12;3;3;13;1;12;14;4;6;15;2;14;", "7;10;1;0;2;5;1;",
     "7;14;2;0;1;0;2;9;", "7;10;1;0;2;7;0;", "7;14;0;0;0;1;2;14;", "7;12;1;", "7;16;1;0;255;", "7;15;3;"},
    {"7;9;2;30;0;Ann;1;Bob;1;3;6;24;6;1;1;5;2;3;11;3;2;7;4;4;2;5;1;9;6;3;13;", "7;10;1;0;3;8;1;", "7;11;0;0;",
     "7;10;1;0;3;9;0;", "7;13;0;0;1;20;1;1;5;2;40;1;1;41;2;2;", "7;15;0;1;"},
};

class THostileRun {
public:
    THostileRun(QString Client, int Messages, std::uint64_t Seed, QString ClientErr)
        : FClientPath(std::move(Client)), FMessages(Messages), FMutator(Seed), FLink(kClientPipeName),
          FClientErr(std::move(ClientErr)) {
        FArea.resize(1000, 700);
        FArea.setWindowTitle(QStringLiteral("hostile host"));
        FLink.OnClientConnected = [this] { FConnected = true; };
        FLink.OnClientDisconnected = [this] { FConnected = false; };
        FLink.OnClientMessage = [this](const QString &Text) { FReceived.push_back(Text); };
    }

    int Run() {
        FArea.show();
        if (!FLink.Open())
            return Fail("the pipe is taken");
        FProcess.setStandardErrorFile(FClientErr);
        FProcess.setStandardOutputFile(QProcess::nullDevice());
        FProcess.start(FClientPath, {QStringLiteral("-start")});
        if (!WaitFor([this] { return FConnected; }, 60000))
            return Fail("the client did not connect");
        Send(QStringLiteral("5;Ann;10.0.0.2;1;127.0.0.1;1.0;cc;pp;"));
        Send(QStringLiteral("6;%1;").arg(FArea.winId()));
        Send(QStringLiteral("1;700;1000;"));
        Send(QStringLiteral("2;"));
        if (!Probe())
            return Fail("no answer to the first version check");
        std::fprintf(stderr, "the client answers; mutating %d messages\n", FMessages);
        FStartRss = RssKb(FProcess.processId());
        int sent = 0;
        int games = 0;
        while (sent < FMessages && Alive()) {
            // Now and then a look: back in the lobby (a message sent it there), it opens a table again.
            if (games % 4 == 0 && InLobby()) {
                if (EnterTable())
                    ++FEntries;
                else
                    ++FFailedEntries;
            }
            for (const QString &message : kGames[games++ % kGames.size()]) {
                Send(FMutator.Mutate(message));
                ++sent;
                Pump(5);
                if (!Alive())
                    break;
            }
            Pump(100);
            // The client's start: in a game, with the table and the cards' pictures loaded.
            if (games == kWarmGames) {
                FWarmRss = RssKb(FProcess.processId());
                FPeakRss = FWarmRss;
            }
            if (games % 50 == 0) {
                Probe();
                std::fprintf(stderr, "%d messages, %d games, slowest answer %lld ms, rss %ld kB\n", sent,
                             games, static_cast<long long>(FSlowestMs), RssKb(FProcess.processId()));
            }
        }
        Pump(3000);
        const bool answered = Alive() && Probe();
        const long endRss = Alive() ? RssKb(FProcess.processId()) : -1;
        FLink.Close();
        FProcess.waitForFinished(60000);
        std::printf("messages sent        %d (games %d, tables entered %d, entries failed %d)\n", sent, games,
                    FEntries, FFailedEntries);
        std::printf("client died          %s (exit %d, %s)\n", Died() ? "YES" : "no", FProcess.exitCode(),
                    FProcess.exitStatus() == QProcess::CrashExit ? "crashed" : "normal exit");
        std::printf("last probe answered  %s\n", answered ? "yes" : "NO");
        std::printf("slowest answer       %lld ms (goal < 10000)\n", static_cast<long long>(FSlowestMs));
        std::printf("rss lobby/in game    %ld / %ld kB (in game: after %d games)\n", FStartRss, FWarmRss,
                    kWarmGames);
        std::printf("rss peak/end         %ld / %ld kB; peak %.2f x in game (goal <= 2)\n", FPeakRss, endRss,
                    FWarmRss > 0 ? double(FPeakRss) / double(FWarmRss) : 0.0);
        return Died() || !answered ? 1 : 0;
    }

private:
    bool Alive() const { return FProcess.state() == QProcess::Running && FConnected; }
    bool Died() const { return FDied || FProcess.exitStatus() == QProcess::CrashExit; }

    int Fail(const char *Why) {
        std::fprintf(stderr, "trelvo-hostile: %s\n", Why);
        return 2;
    }

    void Send(const QString &Text) {
        if (!FLink.Send(Text))
            FDied = FDied || FProcess.state() != QProcess::Running;
    }

    void Pump(int Ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < Ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const long rss = RssKb(FProcess.processId());
        FPeakRss = std::max(FPeakRss, rss);
    }

    bool WaitFor(const std::function<bool()> &Done, int Ms) {
        QElapsedTimer t;
        t.start();
        while (!Done() && t.elapsed() < Ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return Done();
    }

    // A version check and its answer, timed: it puts the client back into the lobby.
    bool Probe() {
        const QString echo = QString::number(++FProbes);
        const QString answer = QStringLiteral("11;") + echo;
        FReceived.clear();
        QElapsedTimer t;
        t.start();
        Send(QStringLiteral("7;1;1;%1;p;").arg(echo));
        const bool ok = WaitFor([&] { return FReceived.contains(answer) || !Alive(); }, 60000) &&
                        FReceived.contains(answer);
        FSlowestMs = std::max(FSlowestMs, t.elapsed());
        return ok;
    }

    TSight Look(int &RootX, int &RootY) {
        QScreen *screen = QGuiApplication::primaryScreen();
        if (!screen || !FInput.RootPosition(static_cast<std::uint32_t>(FArea.winId()), RootX, RootY))
            return {};
        return FReader.Read(screen->grabWindow(FArea.winId()).toImage());
    }

    bool InLobby() {
        int rootX = 0, rootY = 0;
        return Look(rootX, rootY).OpenTable.has_value();
    }

    // From the lobby to the waiting room of table 12, by the client's own buttons.
    bool EnterTable() {
        for (int look = 0; look < 12 && Alive(); ++look) {
            int rootX = 0, rootY = 0;
            const TSight sight = Look(rootX, rootY);
            FReceived.clear();
            if (sight.Ok) {
                // A message box or the new table's settings: either way the button goes on.
                FInput.Click(rootX + sight.Ok->x(), rootY + sight.Ok->y());
            } else if (sight.OpenTable) {
                FInput.Click(rootX + sight.OpenTable->x(), rootY + sight.OpenTable->y());
            } else {
                Pump(300);
                continue;
            }
            Pump(400);
            for (const QString &message : FReceived) {
                if (message.startsWith(QStringLiteral("7;3;"))) {
                    Send(QStringLiteral("7;3;12"));
                    Send(QStringLiteral("7;6;12;2;0;Ann;1;1;Bob;1;"));
                    return true;
                }
            }
        }
        return false;
    }

    QString FClientPath;
    int FMessages;
    TMutator FMutator;
    QWidget FArea;
    THostLink FLink;
    QString FClientErr;
    QProcess FProcess;
    TX11Input FInput;
    TScreenReader FReader;
    QStringList FReceived;
    bool FConnected = false;
    bool FDied = false;
    int FProbes = 0;
    int FFailedEntries = 0;
    int FEntries = 0;
    qint64 FSlowestMs = 0;
    static constexpr int kWarmGames = 10;
    long FStartRss = 0;
    long FWarmRss = 0;
    long FPeakRss = 0;
};

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: trelvo-hostile CLIENT [MESSAGES] [SEED] [CLIENT_STDERR_FILE]\n");
        return 2;
    }
    THostileRun run(QString::fromLocal8Bit(argv[1]), argc > 2 ? std::atoi(argv[2]) : 20000,
                    argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1,
                    argc > 4 ? QString::fromLocal8Bit(argv[4]) : QStringLiteral("/dev/stderr"));
    return run.Run();
}
