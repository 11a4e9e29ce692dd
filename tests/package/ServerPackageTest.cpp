// What the trelvo-server package installs. Its manual page names every option the program takes. Its systemd
// unit is accepted by systemd, and its ExecStart, run as a system user with what systemd gives the service
// (its state folder, a home that does not exist, an environment of its own), starts, lets people play and
// keeps their game in the state folder.
#include "ServerProcess.h"

#include "netserver/Store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

using namespace trelvo;
using namespace trelvo::net;
using namespace trelvo::net::test;
using trelvo::test::SpinUntil;

namespace {

// What the test needs of the unit's [Service] section.
struct TUnit {
    QStringList ExecStart; // the program and its arguments
    QString User;
    QString StateDirectory;
    QStringList Environment; // NAME=VALUE
};

std::optional<TUnit> ReadUnit(const QString &Path) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    TUnit unit;
    QString section;
    QString line;
    for (const QString &raw : QString::fromUtf8(file.readAll()).split(u'\n')) {
        line += raw.trimmed();
        if (line.endsWith(u'\\')) {
            line.chop(1);
            line += u' ';
            continue;
        }
        const QString whole = std::exchange(line, {});
        if (whole.isEmpty() || whole.startsWith(u'#') || whole.startsWith(u';'))
            continue;
        if (whole.startsWith(u'[')) {
            section = whole;
            continue;
        }
        const qsizetype eq = whole.indexOf(u'=');
        if (section != QStringLiteral("[Service]") || eq < 0)
            continue;
        const QString key = whole.left(eq).trimmed(), value = whole.mid(eq + 1).trimmed();
        if (key == QStringLiteral("ExecStart"))
            unit.ExecStart = value.split(u' ', Qt::SkipEmptyParts);
        else if (key == QStringLiteral("User"))
            unit.User = value;
        else if (key == QStringLiteral("StateDirectory"))
            unit.StateDirectory = value;
        else if (key == QStringLiteral("Environment"))
            unit.Environment += value.split(u' ', Qt::SkipEmptyParts);
    }
    return unit;
}

class ServerUnitTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto unit = ReadUnit(QStringLiteral(TRELVO_SERVER_UNIT));
        ASSERT_TRUE(unit) << "cannot read " << TRELVO_SERVER_UNIT;
        Unit = *unit;
        ASSERT_FALSE(Unit.ExecStart.isEmpty());
        ASSERT_TRUE(Unit.ExecStart.first().endsWith(QStringLiteral("/trelvo-server")));
    }

    // The unit as installed, its ExecStart pointing at the program of this build tree instead of the
    // installed path, and the manual page beside it, for systemd-analyze.
    QString UnitBesideThisBuild() {
        QFile in(QStringLiteral(TRELVO_SERVER_UNIT));
        EXPECT_TRUE(in.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(in.readAll());
        text.replace(Unit.ExecStart.first(), QStringLiteral(TRELVO_SERVER_BINARY));
        const QString path = Dir.filePath(QStringLiteral("trelvo-server.service"));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.toUtf8());
        return path;
    }

    TUnit Unit;
    QTemporaryDir Dir;
};

// The options are read from the program's own --help, so that an option added to the program and left out
// of the page fails here.
TEST(ServerManPage, NamesEveryOptionOfTheProgram) {
    QProcess help;
    help.start(QStringLiteral(TRELVO_SERVER_BINARY), {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(kProcessDeadlineMs));
    const QString usage = QString::fromUtf8(help.readAllStandardOutput());
    QStringList options;
    const QRegularExpression option(QStringLiteral("(?:^|[ ,])(--[a-z][a-z-]*)"));
    for (auto it = option.globalMatch(usage); it.hasNext();)
        options << it.next().captured(1);
    options.removeDuplicates();
    ASSERT_GE(options.size(), 10) << usage.toStdString();

    QFile page(QStringLiteral(TRELVO_SERVER_MAN_TEXT));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    const qsizetype section = text.indexOf(QStringLiteral(".SH OPTIONS"));
    ASSERT_GE(section, 0);
    const QString listed = text.mid(section, text.indexOf(QStringLiteral(".SH "), section + 1) - section);
    for (const QString &name : options) {
        // roff writes a hyphen as \-; --stats is no mention of --stats-listen.
        QString roff = name;
        roff.replace(u'-', QStringLiteral("\\-"));
        const QRegularExpression mention(QRegularExpression::escape(roff) + QStringLiteral("(?![a-z]|\\\\-)"));
        EXPECT_TRUE(listed.contains(mention))
            << name.toStdString() << " is not in the page's option list";
    }
}

TEST_F(ServerUnitTest, SystemdAcceptsTheUnit) {
    const QString analyze = QStandardPaths::findExecutable(QStringLiteral("systemd-analyze"));
    if (analyze.isEmpty())
        GTEST_SKIP() << "systemd-analyze is not installed (Debian package systemd, in tools/setup.sh)";
    EXPECT_FALSE(Unit.User.isEmpty()) << "the server runs as a system user of its own";
    EXPECT_FALSE(Unit.StateDirectory.isEmpty()) << "the store needs a folder systemd makes for it";
    // Documentation=man:trelvo-server(6) is looked up with man(1): the page of this build tree.
    ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("man/man6")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TRELVO_SERVER_MAN_PAGE),
                            Dir.filePath(QStringLiteral("man/man6/trelvo-server.6.gz"))));
    QProcess verify;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MANPATH"), Dir.filePath(QStringLiteral("man")));
    verify.setProcessEnvironment(env);
    verify.setProcessChannelMode(QProcess::MergedChannels);
    verify.start(analyze, {QStringLiteral("verify"), UnitBesideThisBuild()});
    ASSERT_TRUE(verify.waitForFinished(kProcessDeadlineMs));
    EXPECT_EQ(verify.exitCode(), 0) << verify.readAll().toStdString();
}

// Run as systemd runs it: as a user that owns nothing but the state folder, with HOME=/nonexistent and
// STATE_DIRECTORY naming the folder. The only addition is --listen 127.0.0.1:0: a test never takes the
// server's fixed port, which another program on this machine may hold.
TEST_F(ServerUnitTest, ItsExecStartRunAsTheServiceUserStartsAndKeepsAGameInTheStateFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can run the server as another user";
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    ASSERT_FALSE(setpriv.isEmpty()) << "setpriv (util-linux) is missing";
    // The package's own user exists only where the package is installed: nobody owns as little.
    const uid_t nobody = 65534;
    const QString state = Dir.filePath(QStringLiteral("var/lib/") + Unit.StateDirectory);
    ASSERT_TRUE(QDir().mkpath(state));
    ASSERT_EQ(::chmod(qPrintable(Dir.path()), 0755), 0);
    ASSERT_EQ(::chown(qPrintable(state), nobody, nobody), 0);
    ASSERT_EQ(::chmod(qPrintable(state), 0700), 0);

    QStringList command{QStringLiteral("--reuid=%1").arg(nobody), QStringLiteral("--regid=%1").arg(nobody),
                        QStringLiteral("--clear-groups"),
                        QStringLiteral("env"),
                        QStringLiteral("-i"),
                        QStringLiteral("HOME=/nonexistent"),
                        QStringLiteral("USER=nobody"),
                        QStringLiteral("LOGNAME=nobody"),
                        QStringLiteral("PATH=/usr/local/bin:/usr/bin:/bin"),
                        QStringLiteral("STATE_DIRECTORY=") + state};
    command += Unit.Environment;
    command += QStringLiteral(TRELVO_SERVER_BINARY);
    command += Unit.ExecStart.mid(1);
    command += {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")};
    TServerProcess server(setpriv, command);
    ASSERT_TRUE(server.WaitListening()) << server.Log().toStdString();

    TWsPeer ann(server.Port()), bob(server.Port());
    ASSERT_TRUE(SitDownAndPlay(ann, bob)) << server.Log().toStdString();
    // Bob goes: the game is over, Ann won, and that is a game the store keeps.
    bob.Socket.close();
    ASSERT_TRUE(SpinUntil([&] { return !FrameStarting(ann, QStringLiteral("15;")).isEmpty(); },
                          kProcessDeadlineMs))
        << server.Log().toStdString();
    server.Process.Terminate();
    ASSERT_TRUE(server.Process.WaitForFinished(kProcessDeadlineMs));
    EXPECT_EQ(server.Process.ExitCode(), 0) << server.Log().toStdString();

    const QString file = state + QStringLiteral("/trelvo-server.sqlite");
    struct stat info {};
    ASSERT_EQ(::stat(qPrintable(file), &info), 0) << "no store in the state folder: " << server.Log().toStdString();
    EXPECT_EQ(info.st_uid, nobody);
    TStoreDb db(file);
    QString error;
    ASSERT_TRUE(db.Open(error)) << error.toStdString();
    const std::vector<TStoredGame> games = db.Games();
    ASSERT_EQ(games.size(), 1u);
    ASSERT_EQ(games[0].Seats.size(), 2u);
    for (const TStoredSeat &seat : games[0].Seats)
        EXPECT_EQ(seat.Result, seat.Name == QStringLiteral("Bob") ? 0 : 1) << seat.Name.toStdString();
}

} // namespace
