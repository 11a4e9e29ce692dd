// The command line of trelvo-host.
#include "host/HostOptions.h"

#include <gtest/gtest.h>

using namespace trelvo::host;

TEST(HostOptions, ReadsEveryOptionAndRefusesValuesOutOfRange) {
    THostOptions options;
    QString error;
    bool help = false;
    ASSERT_TRUE(ParseHostOptions({"--name",
                                  "Аня",
                                  "--bots",
                                  "3",
                                  "--level",
                                  "Easy",
                                  "--bot-think-ms",
                                  "0-20",
                                  "--countdown-tick-ms",
                                  "100",
                                  "--round-end-pause-ms",
                                  "0",
                                  "--lobby-tables",
                                  "0",
                                  "--seed",
                                  "42",
                                  "--autoplay",
                                  "--screenshots",
                                  "shots",
                                  "--screenshot-every",
                                  "2",
                                  "--quit-after",
                                  "60",
                                  "--client",
                                  "/x/trelvo",
                                  "--server",
                                  "wss://cards.example.org:47017"},
                                 options, error, help))
        << error.toStdString();
    EXPECT_EQ(options.PlayerName, QStringLiteral("Аня"));
    EXPECT_EQ(options.Bots, 3);
    EXPECT_EQ(options.Level, trelvo::server::TBotLevel::Easy);
    EXPECT_EQ(options.BotThinkMinMs, 0);
    EXPECT_EQ(options.BotThinkMaxMs, 20);
    EXPECT_EQ(options.CountdownTickMs, 100);
    EXPECT_EQ(options.RoundEndPauseMs, 0);
    EXPECT_EQ(options.LobbyTables, 0);
    EXPECT_EQ(options.Seed, 42u);
    EXPECT_TRUE(options.Autoplay);
    EXPECT_EQ(options.ScreenshotDir, QStringLiteral("shots"));
    EXPECT_EQ(options.ScreenshotEverySeconds, 2);
    EXPECT_EQ(options.QuitAfterSeconds, 60);
    EXPECT_EQ(options.ClientPath, QStringLiteral("/x/trelvo"));
    EXPECT_EQ(options.ServerUrl, QStringLiteral("wss://cards.example.org:47017"));
    // The client reports to the chosen server's statistics service; without a server, nowhere.
    EXPECT_EQ(options.StatsService, QStringLiteral("https://cards.example.org:47018"));

    THostOptions hard;
    ASSERT_TRUE(ParseHostOptions({"--level", "Hard"}, hard, error, help));
    EXPECT_EQ(hard.Level, trelvo::server::TBotLevel::Hard);
    EXPECT_TRUE(hard.StatsService.isEmpty());

    // A remembered server counts as a given one; --local leaves both behind for the run.
    struct Remembered {
        QStringList arguments;
        const char *stats;
    };
    for (const Remembered &r :
         {Remembered{{}, "https://cards.example.org:47018"}, Remembered{{"--local"}, ""}}) {
        THostOptions remembered;
        remembered.ServerUrl = QStringLiteral("ws://cards.example.org:47017");
        ASSERT_TRUE(ParseHostOptions(r.arguments, remembered, error, help));
        EXPECT_EQ(remembered.StatsService, QString::fromUtf8(r.stats)) << r.arguments.join(' ').toStdString();
    }

    THostOptions single;
    ASSERT_TRUE(ParseHostOptions({"--bot-think-ms", "300"}, single, error, help));
    EXPECT_EQ(single.BotThinkMinMs, 300);
    EXPECT_EQ(single.BotThinkMaxMs, 300);

    const QStringList bad[] = {{"--bots", "0"},
                               {"--bots", "4"},
                               {"--level", "expert"},
                               {"--bot-think-ms", "9-3"},
                               {"--bot-think-ms", "a"},
                               {"--countdown-tick-ms", "0"},
                               {"--round-end-pause-ms", "-1"},
                               {"--name", "a;b"},
                               {"--name", ""},
                               {"--server", "http://cards.example.org:47017"},
                               {"--server", "ws://"},
                               {"--unknown"},
                               {"stray"}};
    for (const QStringList &arguments : bad) {
        THostOptions unchanged;
        EXPECT_FALSE(ParseHostOptions(arguments, unchanged, error, help))
            << arguments.join(' ').toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}
