// The command line of trelvo-server.
#include "netserver/ServerOptions.h"

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
    ASSERT_TRUE(ParseServerOptions({"--listen", "[::]:8443", "--lobby-tables", "4", "--level", "hard",
                                    "--bot-fill", "20", "--max-connections", "5000", "--seed", "9"},
                                   options, error, help))
        << error.toStdString();
    EXPECT_EQ(options.Net.Address, QHostAddress(QHostAddress::AnyIPv6));
    EXPECT_EQ(options.Net.Port, 8443);
    EXPECT_EQ(options.Game.LobbyBotTables, 4);
    EXPECT_EQ(options.Game.Level, server::TBotLevel::Hard);
    EXPECT_EQ(options.Game.BotFillMs, 20000);
    EXPECT_EQ(options.Net.MaxConnections, 5000);
    EXPECT_EQ(options.Seed, 9u);

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
