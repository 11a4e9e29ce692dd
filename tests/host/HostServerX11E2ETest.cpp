// trelvo-host with the real client and the real game server under a real X server.
#include "SpinUntil.h"
#include "common/QtClock.h"
#include "host/Host.h"
#include "host/LocalGameServer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trelvo;
using namespace trelvo::host;
using trelvo::test::SpinUntil;

namespace {

constexpr int kDeadlineMs = 15000;

int Count(const QString &Text, const QString &What) {
    return static_cast<int>(Text.count(What));
}

// Whether a process runs the given program (the client leaves no other trace once its pipe is gone).
bool ProgramRuns(const QString &Program) {
    const QString wanted = QFileInfo(Program).canonicalFilePath();
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        if (!exe.isEmpty() && exe == wanted)
            return true;
    }
    return false;
}

TEST(HostServerX11E2E, TheServersLobbyReachesTheClientWhichKeepsPolling) {
    TQtClock clock;
    TClockScope scope(clock);
    THostOptions options;
    options.ClientPath = QStringLiteral(TRELVO_BINARY);
    options.LobbyTables = 2;
    options.BotThinkMinMs = options.BotThinkMaxMs = 0;
    THost host(options, std::make_unique<TLocalGameServer>(clock, 7, options), kClientPipeName);
    QString error;
    ASSERT_TRUE(host.Start(error)) << error.toStdString();

    ASSERT_TRUE(SpinUntil([&] { return host.Relay().Echo() == THostRelay::TEcho::Confirmed; }, kDeadlineMs))
        << host.Window().LogText().toStdString();
    // The lobby lists both variants of each bot table; the client reads the list and asks again.
    const QRegularExpression list(QStringLiteral("server → client: 2;([1-9][0-9]*);"));
    ASSERT_TRUE(SpinUntil([&] { return list.match(host.Window().LogText()).hasMatch(); }, kDeadlineMs))
        << host.Window().LogText().toStdString();
    ASSERT_TRUE(SpinUntil(
        [&] { return Count(host.Window().LogText(), QStringLiteral("client → server: 2;1;")) >= 2; },
        kDeadlineMs));
    EXPECT_EQ(Count(host.Window().LogText(), QStringLiteral("(23;")), 0)
        << host.Window().LogText().toStdString();
    EXPECT_TRUE(host.Shutdown());
}

TEST(HostServerX11E2E, TheProgramRefusesASecondStartAndEndsWithItsClient) {
    QTemporaryDir shots;
    ASSERT_TRUE(shots.isValid());
    QProcess first;
    first.setProgram(QStringLiteral(TRELVO_HOST_BINARY));
    first.setArguments({QStringLiteral("--client"), QStringLiteral(TRELVO_BINARY),
                        QStringLiteral("--quit-after"), QStringLiteral("5"), QStringLiteral("--screenshots"),
                        shots.path(), QStringLiteral("--screenshot-every"), QStringLiteral("1")});
    first.start();
    ASSERT_TRUE(first.waitForStarted(kDeadlineMs));
    // A saved screenshot says the host is up and its pipe is taken.
    ASSERT_TRUE(SpinUntil([&] { return QFileInfo::exists(shots.filePath(QStringLiteral("host-0001.png"))); },
                          kDeadlineMs));

    QProcess second;
    second.start(QStringLiteral(TRELVO_HOST_BINARY),
                 {QStringLiteral("--client"), QStringLiteral(TRELVO_BINARY)});
    ASSERT_TRUE(second.waitForFinished(kDeadlineMs));
    EXPECT_EQ(second.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(second.readAllStandardError());
    EXPECT_TRUE(said.contains(QStringLiteral("another host"))) << said.toStdString();
    EXPECT_EQ(said.count(u'\n'), 1) << "one clear line: " << said.toStdString();

    ASSERT_TRUE(first.waitForFinished(kDeadlineMs));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(SpinUntil([] { return !ProgramRuns(QStringLiteral(TRELVO_BINARY)); }, kDeadlineMs))
        << "the client outlived its host";
}

} // namespace
