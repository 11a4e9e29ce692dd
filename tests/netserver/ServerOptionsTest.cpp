// The command line of trelvo-server.
#include "netserver/ServerOptions.h"
#include "netserver/Store.h"
#include "server/BotLevels.h"

#include <gtest/gtest.h>

using namespace trelvo;
using namespace trelvo::net;

TEST(ServerOptions, DefaultsListenOnThisMachineOnlyWithoutBots) {
    TServerCommandLine options;
    QString error;
    bool help = false;
    ASSERT_TRUE(ParseServerOptions({}, options, error, help)) << error.toStdString();
    EXPECT_EQ(options.Net.Address, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(options.Net.Port, kDefaultPort);
    EXPECT_EQ(options.Game.LobbyBotTables, 0);
    EXPECT_EQ(options.Game.BotFillMs, 0);
    EXPECT_FALSE(options.Net.Tls);
}

TEST(ServerOptions, ReadsEveryOptionAndRefusesBadValues) {
    TServerCommandLine options;
    QString error;
    bool help = false;
    ASSERT_TRUE(ParseServerOptions({"--listen",
                                    "[::]:8443",
                                    "--lobby-tables",
                                    "4",
                                    "--level",
                                    "hard",
                                    "--bot-fill",
                                    "20",
                                    "--max-connections",
                                    "5000",
                                    "--seed",
                                    "9",
                                    "--db",
                                    "/srv/t.sqlite",
                                    "--top",
                                    "20",
                                    "--stats-listen",
                                    ":47018",
                                    "--stats-cert",
                                    "c.pem",
                                    "--stats-key",
                                    "k.pem"},
                                   options, error, help))
        << error.toStdString();
    EXPECT_EQ(options.Net.Address, QHostAddress(QHostAddress::AnyIPv6));
    EXPECT_EQ(options.Net.Port, 8443);
    EXPECT_EQ(options.Game.LobbyBotTables, 4);
    EXPECT_EQ(options.Game.Level, server::TBotLevel::Hard);
    EXPECT_EQ(options.Game.BotFillMs, 20000);
    EXPECT_EQ(options.Net.MaxConnections, 5000);
    EXPECT_EQ(options.Seed, 9u);
    EXPECT_EQ(options.DbFile, QStringLiteral("/srv/t.sqlite"));
    EXPECT_EQ(options.Top, 20);
    ASSERT_TRUE(options.StatsAddress);
    EXPECT_EQ(*options.StatsAddress, QHostAddress(QHostAddress::Any));
    EXPECT_EQ(options.StatsPort, 47018);
    EXPECT_EQ(options.StatsCertFile, QStringLiteral("c.pem"));

    // The game's certificate serves the statistics too unless told otherwise.
    TServerCommandLine shared;
    ASSERT_TRUE(ParseServerOptions({"--cert", "c.pem", "--key", "k.pem", "--stats-listen", ":47018"}, shared,
                                   error, help));
    EXPECT_EQ(shared.StatsKeyFile, QStringLiteral("k.pem"));
    EXPECT_FALSE(shared.DbFile.isEmpty());

    TServerCommandLine all;
    ASSERT_TRUE(ParseServerOptions({"--listen", ":9000"}, all, error, help));
    EXPECT_EQ(all.Net.Address, QHostAddress(QHostAddress::Any));

    const QStringList bad[] = {{"--listen", "127.0.0.1"},
                               {"--listen", "nowhere:80"},
                               {"--listen", "127.0.0.1:70000"},
                               {"--cert", "a.pem"},
                               {"--bot-fill", "-1"},
                               {"--max-connections", "0"},
                               {"--level", "expert"},
                               {"--top", "0"},
                               {"--stats-listen", ":47018"}, // HTTPS only: no certificate
                               {"--stats-listen", "47018"},
                               {"--stats-cert", "c.pem", "--stats-listen", ":1"},
                               {"stray"}};
    for (const QStringList &arguments : bad) {
        TServerCommandLine unchanged;
        EXPECT_FALSE(ParseServerOptions(arguments, unchanged, error, help))
            << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(ServerOptions, AMissingCertificateIsAnErrorNotAPlainListener) {
    TServerCommandLine options;
    QString error;
    bool help = false;
    ASSERT_TRUE(ParseServerOptions({"--cert", "/nonexistent/c.pem", "--key", "/nonexistent/k.pem"}, options,
                                   error, help));
    EXPECT_FALSE(LoadTls(options, error));
    EXPECT_FALSE(options.Net.Tls);
}

TEST(ServerOptions, TheOpenFileLimitIsRaisedToFitTheConnections) {
    std::uint64_t got = 0;
    EXPECT_TRUE(RaiseOpenFileLimit(100, got));
    EXPECT_GE(got, 100u);
}

// systemd hands the service its state folder in STATE_DIRECTORY (several, colon-separated, when the unit
// names several): without --db the store goes there, and the home folder is never needed.
TEST(ServerOptions, TheStoreGoesToTheServicesStateFolderUnlessDbIsGiven) {
    struct Case {
        const char *State; // unset when null
        QStringList Arguments;
        QString DbFile;
    };
    const Case cases[] = {
        {"/var/lib/trelvo-server", {}, QStringLiteral("/var/lib/trelvo-server/trelvo-server.sqlite")},
        {"/var/lib/trelvo-server:/var/lib/other", {}, QStringLiteral("/var/lib/trelvo-server/trelvo-server.sqlite")},
        {"/var/lib/trelvo-server", {"--db", "/srv/games.sqlite"}, QStringLiteral("/srv/games.sqlite")},
        {"", {}, DefaultStorePath()},
        {nullptr, {}, DefaultStorePath()},
    };
    const QByteArray saved = qgetenv("STATE_DIRECTORY");
    const bool wasSet = qEnvironmentVariableIsSet("STATE_DIRECTORY");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.State ? c.State : "(unset)");
        if (c.State)
            qputenv("STATE_DIRECTORY", c.State);
        else
            qunsetenv("STATE_DIRECTORY");
        TServerCommandLine options;
        QString error;
        bool help = false;
        ASSERT_TRUE(ParseServerOptions(c.Arguments, options, error, help)) << error.toStdString();
        EXPECT_EQ(options.DbFile, c.DbFile);
    }
    if (wasSet)
        qputenv("STATE_DIRECTORY", saved);
    else
        qunsetenv("STATE_DIRECTORY");
}

// Every row of the bot levels' table is a --level of its own: a new level needs nothing here.
TEST(ServerOptions, EveryBotLevelOfTheTableIsALevelOption) {
    for (int row = 0; row < static_cast<int>(server::BotLevels().size()); ++row) {
        TServerCommandLine options;
        QString error;
        bool help = false;
        ASSERT_TRUE(ParseServerOptions({QStringLiteral("--level"), QLatin1String(server::BotLevels()[row].Name)},
                                       options, error, help))
            << error.toStdString();
        EXPECT_EQ(options.Game.Level, server::BotLevelAt(row));
    }
}
