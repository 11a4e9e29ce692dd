// A hostile game server against the real host and its real client: plays trelvo-server on loopback,
// lets trelvo-host --server log in, and then breaks every rule it can: garbage for subcodes, floods of
// checks and table lists, seeded mutations of the game's messages, and one broken session after
// another (masked, binary and endless frames, wrong or endless handshakes, silence, a welcome closed at
// once, pings it never reads the answers to). At the end it behaves again and checks that the host
// logs in anew, that the client answers within seconds, and that both stayed within twice their
// memory after the start. Run it with tools/hostile_server_run.sh.
//
//   trelvo-hostile-server HOST CLIENT [PHASE_SECONDS] [SEED]
#include "Mutator.h"
#include "ScriptedWsServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace trelvo;
using namespace trelvo::hostile;
namespace ws = trelvo::host::ws;

namespace {

QElapsedTimer gRun;

// A line of the run's trail, with the seconds since its start.
template <typename... TArgs> void Note(const char *Format, TArgs... Args) {
    std::fprintf(stderr, "%6.1f s  ", double(gRun.elapsed()) / 1000.0);
    std::fprintf(stderr, Format, Args...);
}

// The client the host started: its one child.
qint64 ChildOf(qint64 Pid) {
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(Pid));
    if (!children.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray first = children.readAll().trimmed().split(' ').first();
    return first.isEmpty() ? -1 : first.toLongLong();
}

// Game messages of every kind, as a mutation starts from them.
const std::vector<QString> kMessages = {
    "2;2;1;1;2;1;0;1;0;0;0;1;2;1;0;0;", "3;12", "4;", "5;2;", "6;12;2;0;Ann;1;1;Bob;1;", "7;10;", "7;0;",
    "9;2;30;0;Hostile;1;Bob;0;4;13;24;6;1;1;5;2;3;11;3;2;7;4;4;2;5;1;9;6;3;13;", "10;0;1;1;5;0;",
    "14;0;1;1;0;1;7;", "12;1;", "13;1;255;1;22;1;1;6;1;7;2;8;", "11;0;1;", "15;1;0;", "16;1;0;255;",
    "21;1.0;a;b;c;", "22;0;Bob;1;0;ip;ip;800;600;1;os;k;1;pv;cv;a;b;c;"};
// Subcodes that are not numbers: the host keeps them from the client.
const std::vector<QString> kUnreadable = {"garbage!!", "", "2147483648;", "welcome;7;", "x;1;", " ;3"};

class THostileServerRun {
public:
    THostileServerRun(QString Host, QString Client, int PhaseSeconds, std::uint64_t Seed)
        : FHost(std::move(Host)), FClient(std::move(Client)), FPhaseMs(PhaseSeconds * 1000), FSeed(Seed), FRandom(Seed),
          FMutator(Seed) {}

    int Run() {
        gRun.start();
        FSampled.start();
        if (!FServer.Listen())
            return Fail("cannot listen on loopback");
        FServer.OnText = [this](TScriptedWsServer::TPeer &, const QString &Text) { Heard(Text); };
        FServer.OnReady = [this](TScriptedWsServer::TPeer &Peer) { LogIn(Peer); };
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.setStandardOutputFile(QProcess::nullDevice());
        FProcess.start(FHost, {QStringLiteral("--server"), FServer.Url(), QStringLiteral("--client"), FClient,
                               QStringLiteral("--name"), QStringLiteral("Hostile")});
        if (!FProcess.waitForStarted(30000))
            return Fail("the host does not start");
        if (!WaitFor([this] { return FPolls > 0; }, 60000)) {
            Note("%d connections, the last one %s, heard: %s\n", FServer.Connections(),
                         FServer.Last() && FServer.Last()->Welcomed ? "welcomed" : "not welcomed",
                         FServer.Last() ? qPrintable(FServer.Last()->Got.join(u' ').left(300)) : "");
            return Fail("the client never asked for the table list");
        }
        FClientPid = ChildOf(FProcess.processId());
        Pump(2000);
        FHostStart = RssKb(FProcess.processId());
        FClientStart = RssKb(FClientPid);
        Note("logged in; rss host %ld kB, client %ld kB\n", FHostStart, FClientStart);

        Phase("subcodes that are no numbers", [this] { return kUnreadable[Pick(kUnreadable.size())]; });
        Phase("a flood of reachability checks", [] { return QStringLiteral("20;1;"); });
        Phase("a flood of table lists", [this] { return TableList(Pick(kMaxRows)); });
        Phase("mutated game messages", [this] { return Mutate(kMessages[Pick(kMessages.size())]); });
        Probe("after the floods");

        // Broken sessions, one a connection, in a seeded order.
        std::vector<int> breakers = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
        // Their own generator: the floods draw from FRandom as fast as the host reads.
        std::mt19937_64 order(FSeed);
        std::shuffle(breakers.begin(), breakers.end(), order);
        breakers.resize(std::min<std::size_t>(breakers.size(), FBreakers));
        for (int breaker : breakers)
            Break(breaker);

        // Behaving again: the host comes back on its own and the client answers.
        Behave();
        const int before = FServer.Connections();
        if (!WaitFor([&] { return FServer.Connections() > before && FServer.Last()->Welcomed; }, 90000))
            Trouble("the host did not log in again");
        Probe("after the broken sessions");
        Sample();

        const bool alive = FProcess.state() == QProcess::Running && RssKb(FClientPid) > 0;
        FProcess.terminate();
        FProcess.waitForFinished(30000);
        std::printf("phases               %d s each, %zu broken sessions, %d connections\n", FPhaseMs / 1000,
                    breakers.size(), FServer.Connections());
        std::printf("host and client      %s\n", alive ? "alive" : "DEAD");
        std::printf("slowest answer       %lld ms (goal < 10000)\n", static_cast<long long>(FSlowestMs));
        std::printf("rss host start/peak  %ld / %ld kB, %.2f x (goal <= 2)\n", FHostStart, FHostPeak,
                    Ratio(FHostPeak, FHostStart));
        std::printf("rss client start/peak %ld / %ld kB, %.2f x (goal <= 2)\n", FClientStart, FClientPeak,
                    Ratio(FClientPeak, FClientStart));
        for (const QString &line : FTrouble)
            std::printf("TROUBLE              %s\n", qPrintable(line));
        const bool within = Ratio(FHostPeak, FHostStart) <= 2 && Ratio(FClientPeak, FClientStart) <= 2;
        return alive && within && FTrouble.isEmpty() ? 0 : 1;
    }

    // Broken sessions the short form runs.
    std::size_t FBreakers = 10;

private:
    static constexpr int kMaxRows = 200;

    int Fail(const char *Why) {
        std::fprintf(stderr, "trelvo-hostile-server: %s\n", Why);
        return 2;
    }
    void Trouble(const QString &Line) {
        Note("trouble: %s\n", qPrintable(Line));
        FTrouble << Line;
    }
    static double Ratio(long Peak, long Start) { return Start > 0 ? double(Peak) / double(Start) : 0.0; }
    int Pick(std::size_t N) { return N == 0 ? 0 : static_cast<int>(FRandom() % N); }

    void Sample() {
        FHostPeak = std::max(FHostPeak, RssKb(FProcess.processId()));
        FClientPeak = std::max(FClientPeak, RssKb(FClientPid));
    }
    void Pump(int Ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < Ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (FSampled.elapsed() > 250) {
                Sample();
                FSampled.restart();
            }
        }
    }
    bool WaitFor(const std::function<bool()> &Done, int Ms) {
        QElapsedTimer t;
        t.start();
        while (!Done() && t.elapsed() < Ms && FProcess.state() == QProcess::Running)
            Pump(10);
        return Done();
    }

    // What the host relays from its client.
    void Heard(const QString &Text) {
        if (Text.startsWith(QStringLiteral("2;")))
            ++FPolls;
        else if (Text.startsWith(QStringLiteral("20;")))
            ++FChecksAnswered;
        // The lobby's poll is answered as the real server would.
        if (Text.startsWith(QStringLiteral("2;")) && FBehaving && FServer.Last())
            FServer.SendText(*FServer.Last(), TableList(3));
    }
    void LogIn(TScriptedWsServer::TPeer &Peer) {
        FServer.SendText(Peer, QStringLiteral("1;1;%1;%1;").arg(Peer.Number));
        FServer.SendText(Peer, QStringLiteral("20;1;"));
    }
    void Behave() {
        FServer.Upgrade = TScriptedWsServer::TUpgrade::Answer;
        FServer.Welcome = true;
        FServer.OnReady = [this](TScriptedWsServer::TPeer &Peer) { LogIn(Peer); };
        FBehaving = true;
    }

    QString TableList(int Rows) {
        QString list = QStringLiteral("2;%1;%2;%3;%4;%5;").arg(Rows).arg(Rows / 2).arg(Rows - Rows / 2).arg(Rows).arg(Rows);
        for (int i = 0; i < Rows; ++i)
            list += QStringLiteral("%1;%2;%3;%4;%5;").arg(Pick(100000)).arg(1 + Pick(4)).arg(Pick(2)).arg(Pick(2)).arg(Pick(2));
        return list;
    }
    // A mutation as the client's hostile run makes it, without the host's envelope.
    QString Mutate(const QString &Message) {
        const QString mutated = FMutator.Mutate(QStringLiteral("7;") + Message);
        return mutated.startsWith(QStringLiteral("7;")) ? mutated.mid(2) : mutated;
    }

    // Sends what Make makes for a phase, as fast as the host takes it.
    void Phase(const char *Name, std::function<QString()> Make) {
        TScriptedWsServer::TPeer *peer = FServer.Last();
        if (!peer || peer->Closed) {
            Trouble(QStringLiteral("%1: no session").arg(QLatin1String(Name)));
            return;
        }
        std::uint64_t frames = 0;
        QElapsedTimer t;
        t.start();
        FServer.StartFlood(*peer, [&, this]() -> QByteArray {
            if (t.elapsed() > FPhaseMs)
                return {};
            ++frames;
            return hostile::ServerText(Make());
        });
        WaitFor([&] { return !peer->Flood || peer->Closed; }, FPhaseMs + 60000);
        peer->Flood = nullptr;
        Note("%s: %llu frames, rss host %ld kB, client %ld kB\n", Name,
                     static_cast<unsigned long long>(frames), RssKb(FProcess.processId()), RssKb(FClientPid));
        if (peer->Closed)
            Trouble(QStringLiteral("%1: the host dropped a session that broke no rule").arg(QLatin1String(Name)));
    }

    // A check the client must answer through the host within seconds. A message of the game goes first:
    // the host keeps a renewed session's own checks from the client.
    void Probe(const char *When) {
        TScriptedWsServer::TPeer *peer = FServer.Last();
        if (peer)
            FServer.SendText(*peer, QStringLiteral("7;0;"));
        const int answered = FChecksAnswered;
        QElapsedTimer t;
        t.start();
        // The host passes a check on only once the client has answered the last one: a few tries.
        bool ok = false;
        for (int tries = 0; tries < 20 && !ok && peer && !peer->Closed; ++tries) {
            FServer.SendText(*peer, QStringLiteral("20;1;"));
            ok = WaitFor([&] { return FChecksAnswered > answered; }, 2000);
        }
        FSlowestMs = std::max<qint64>(FSlowestMs, t.elapsed());
        if (!ok)
            Trouble(QStringLiteral("no answer to a check %1").arg(QLatin1String(When)));
        else
            Note("answered %s in %lld ms\n", When, static_cast<long long>(t.elapsed()));
    }

    // One broken session: the server is set up for the next connection, which the host makes after
    // its back-off.
    void Break(int Kind) {
        static const char *const kNames[] = {"a masked frame", "a binary frame", "a message over the bound",
                                             "a welcome closed at once", "garbage for the welcome",
                                             "a wrong accept", "endless header lines", "an endless status line",
                                             "silence", "pings it never reads the answers to"};
        FBehaving = false;
        FServer.Upgrade = TScriptedWsServer::TUpgrade::Answer;
        FServer.Welcome = true;
        FServer.OnReady = [this, Kind](TScriptedWsServer::TPeer &Peer) {
            LogIn(Peer);
            switch (Kind) {
            case 0:
                FServer.SendRaw(Peer, ws::EncodeFrame(ws::TOpcode::Text, "3;12", 0x01020304u));
                break;
            case 1:
                FServer.SendRaw(Peer, ws::EncodeFrame(ws::TOpcode::Binary, "3;12", std::nullopt));
                break;
            case 2:
                FServer.SendText(Peer, QStringLiteral("2;") + QString(2 << 20, u'7'));
                break;
            case 3:
                FServer.Close(Peer);
                break;
            case 9: {
                FServer.StopReading(Peer);
                std::uint64_t sent = 0;
                FServer.StartFlood(Peer, [sent]() mutable {
                    if ((sent += 131) > (512u << 20))
                        return QByteArray();
                    return ws::EncodeFrame(ws::TOpcode::Ping, QByteArray(125, 'p'), std::nullopt);
                });
                break;
            }
            default:
                break;
            }
        };
        if (Kind == 4) {
            FServer.Welcome = false;
            FServer.OnReady = nullptr;
            FServer.OnText = [this](TScriptedWsServer::TPeer &Peer, const QString &Text) {
                if (Text.startsWith(QStringLiteral("hello;")))
                    FServer.SendText(Peer, QStringLiteral("garbage!!"));
                else
                    Heard(Text);
            };
        } else {
            FServer.OnText = [this](TScriptedWsServer::TPeer &, const QString &Text) { Heard(Text); };
        }
        const TScriptedWsServer::TUpgrade upgrades[] = {
            TScriptedWsServer::TUpgrade::WrongAccept, TScriptedWsServer::TUpgrade::EndlessHeader,
            TScriptedWsServer::TUpgrade::EndlessStatus, TScriptedWsServer::TUpgrade::Silent};
        if (Kind >= 5 && Kind <= 8)
            FServer.Upgrade = upgrades[Kind - 5];
        // The session before is ended so that the host tries again.
        if (TScriptedWsServer::TPeer *last = FServer.Last(); last && !last->Closed)
            FServer.Drop(*last);
        const int before = FServer.Connections();
        const bool came = WaitFor([&] { return FServer.Connections() > before; }, 90000);
        // The host must give the session up by itself (a deadline at most).
        const bool ended = came && WaitFor([&] { return FServer.Last()->Closed; }, 30000);
        Note("%s: %s\n", kNames[Kind], !came ? "the host never came" : ended ? "dropped" : "KEPT");
        if (!came || !ended)
            Trouble(QStringLiteral("%1: %2").arg(QLatin1String(kNames[Kind]),
                                                  came ? QStringLiteral("the host kept the session")
                                                       : QStringLiteral("the host did not try again")));
        Sample();
    }

    QString FHost, FClient;
    int FPhaseMs;
    std::uint64_t FSeed;
    std::mt19937_64 FRandom;
    TMutator FMutator;
    TScriptedWsServer FServer;
    QProcess FProcess;
    qint64 FClientPid = -1;
    QElapsedTimer FSampled;
    int FPolls = 0;
    int FChecksAnswered = 0;
    bool FBehaving = true;
    long FHostStart = 0, FClientStart = 0, FHostPeak = 0, FClientPeak = 0;
    qint64 FSlowestMs = 0;
    QStringList FTrouble;
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: trelvo-hostile-server HOST CLIENT [PHASE_SECONDS] [SEED] [BROKEN_SESSIONS]\n");
        return 2;
    }
    THostileServerRun run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                          argc > 3 ? std::atoi(argv[3]) : 10, argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 1);
    if (argc > 5)
        run.FBreakers = static_cast<std::size_t>(std::atoi(argv[5]));
    return run.Run();
}
