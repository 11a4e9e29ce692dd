#pragma once

#include "host/HostOptions.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

namespace trelvo::host {

// What the player chose and how the window last stood, kept between starts. The command line wins over
// these for one run and never changes what is kept.
struct THostSettings {
    QString PlayerName; // empty: the login name
    int Bots = 2;
    server::TBotLevel Level = server::TBotLevel::Normal;
    QString ServerUrl; // empty: the game server in this program
    bool Muted = false;
    // The relayed messages' log beside the game: a tool for the curious, folded away unless asked for.
    bool LogShown = false;
    QByteArray WindowGeometry;
    bool operator==(const THostSettings &) const = default;
};

// The player's settings file at the standard place ($XDG_CONFIG_HOME/trelvo/trelvo.conf).
std::unique_ptr<QSettings> OpenHostSettings();

// Reads what is kept. A value the command line would refuse is passed over (the default stands) and
// named in Refused: the file is the player's to edit.
THostSettings ReadHostSettings(QSettings &Store, QStringList *Refused = nullptr);
void WriteHostSettings(QSettings &Store, const THostSettings &Settings);

// False with Error when a chosen value is one the command line would refuse.
bool CheckHostSettings(const THostSettings &Settings, QString &Error);

// The settings as the starting point the command line is read over.
void ApplyHostSettings(const THostSettings &Settings, THostOptions &Options);

// What this run plays with: the kept settings with the command line's choices and the name the player
// plays as (the login name when none was chosen) in their place.
THostSettings SettingsInUse(const THostSettings &Kept, const THostOptions &Options,
                            const QString &PlayedName);

} // namespace trelvo::host
