#pragma once

#include "server/BotLevels.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace trelvo::host {

// What the command line of trelvo-host chooses.
struct THostOptions {
    QString PlayerName; // --name; the login name by default
    QString ClientPath; // --client; found beside the host or in its build tree by default
    int Bots = 2;       // --bots: bots that join a table the player creates (1 to 3)
    server::TBotLevel Level = server::TBotLevel::Normal; // --level: a name of server/BotLevels.cpp
    int BotThinkMinMs = server::kBotThinkMinMs; // --bot-think-ms MIN[-MAX]
    int BotThinkMaxMs = server::kBotThinkMaxMs;
    int CountdownTickMs = server::kCountdownTickMs; // --countdown-tick-ms: one second of the countdown
    int RoundEndPauseMs = server::kRoundEndPauseMs; // --round-end-pause-ms: bots wait so long after a bout
    int LobbyTables = 3;            // --lobby-tables: tables with waiting bots listed at start
    std::uint64_t Seed = 0;         // --seed; 0 picks one
    bool Autoplay = false;          // --autoplay: the player's seat is played by clicks on the client window
    QString ScreenshotDir;          // --screenshots DIR: the host window is saved there every few seconds
    int ScreenshotEverySeconds = 5; // --screenshot-every
    int QuitAfterSeconds = 0;       // --quit-after: 0 runs until the window is closed
    QString ServerUrl; // --server ws[s]://HOST:PORT: a game server on the network; --local clears
                       // a remembered one
    // The statistics service the client reports to: that server's (https://HOST:47018) with --server,
    // otherwise none. The host's own TRELVO_STATS_SERVICE, even empty, is the player's word and wins.
    QString StatsService;
};

// Reads the arguments (without the program name) over what Options holds already (the defaults, or the
// remembered settings): only the options given change it. False with Error set on a bad or unknown option;
// --help sets Help and returns true with the usage text in Error.
bool ParseHostOptions(const QStringList &Arguments, THostOptions &Options, QString &Error, bool &Help);

} // namespace trelvo::host
