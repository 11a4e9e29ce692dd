#pragma once

#include "server/GameServer.h"

#include <QString>

#include <memory>
#include <optional>
#include <span>

// Every bot level, one row each. A new level is a new brain and one row in BotLevels.cpp: the command
// lines of trelvo-host and trelvo-server, the host's settings window and its saved settings all read
// this table. Level i is row i; TBotLevel names the first three for code that picks one.
namespace trelvo::server {

class IBotBrain;

struct TBotLevelRow {
    const char *Name;  // as --level and the saved settings spell it
    const char *Title; // as the host's settings window shows it (UTF-8)
    std::unique_ptr<IBotBrain> (*Make)();
};

std::span<const TBotLevelRow> BotLevels();
// The row of a level; an unknown level is the normal one.
const TBotLevelRow &BotLevelRow(TBotLevel Level);
TBotLevel BotLevelAt(int Row);

std::unique_ptr<IBotBrain> MakeBrain(TBotLevel Level);
// A level's name in any case; nothing for another name.
std::optional<TBotLevel> BotLevelFromName(const QString &Name);
QString BotLevelName(TBotLevel Level);
QString BotLevelTitle(TBotLevel Level);
// "easy, normal or hard": the names for help texts and refusals.
QString BotLevelNames();

} // namespace trelvo::server
