#include "host/HostSettings.h"

#include <QSettings>

#include <vector>

namespace trelvo::host {

namespace {

const QString kName = QStringLiteral("player/name");
const QString kBots = QStringLiteral("bots/count");
const QString kLevel = QStringLiteral("bots/level");
const QString kServer = QStringLiteral("server/last");
const QString kMuted = QStringLiteral("sound/muted");
const QString kLogShown = QStringLiteral("window/log");
const QString kGeometry = QStringLiteral("window/geometry");

// The kept values go through the command line's own checks, as if typed after their option; a refused
// one leaves Options as they were.
bool ReadThroughOption(const QString &Option, const QString &Value, THostOptions &Options, QString &Error) {
    bool help = false;
    THostOptions read = Options;
    if (!ParseHostOptions({QStringLiteral("--") + Option, Value}, read, Error, help))
        return false;
    Options = read;
    return true;
}

struct TChoice {
    const char *Option;
    QString Value;
};

std::vector<TChoice> Choices(const THostSettings &Settings) {
    std::vector<TChoice> choices;
    if (!Settings.PlayerName.isEmpty())
        choices.push_back({"name", Settings.PlayerName});
    choices.push_back({"bots", QString::number(Settings.Bots)});
    choices.push_back({"level", BotLevelName(Settings.Level)});
    if (!Settings.ServerUrl.isEmpty())
        choices.push_back({"server", Settings.ServerUrl});
    return choices;
}

} // namespace

std::unique_ptr<QSettings> OpenHostSettings() {
    return std::make_unique<QSettings>(QStringLiteral("trelvo"), QStringLiteral("trelvo"));
}

THostSettings ReadHostSettings(QSettings &Store, QStringList *Refused) {
    THostSettings settings;
    THostOptions options;
    ApplyHostSettings(settings, options);
    const std::pair<const QString &, const char *> keys[] = {
        {kName, "name"}, {kBots, "bots"}, {kLevel, "level"}, {kServer, "server"}};
    for (const auto &[key, option] : keys) {
        const QString value = Store.value(key).toString();
        if (value.isEmpty())
            continue;
        QString error;
        if (!ReadThroughOption(QString::fromLatin1(option), value, options, error) && Refused)
            *Refused << QStringLiteral("%1: %2").arg(key, error);
    }
    settings.PlayerName = options.PlayerName;
    settings.Bots = options.Bots;
    settings.Level = options.Level;
    settings.ServerUrl = options.ServerUrl;
    settings.Muted = Store.value(kMuted, false).toBool();
    settings.LogShown = Store.value(kLogShown, false).toBool();
    settings.WindowGeometry = Store.value(kGeometry).toByteArray();
    return settings;
}

void WriteHostSettings(QSettings &Store, const THostSettings &Settings) {
    Store.setValue(kName, Settings.PlayerName);
    Store.setValue(kBots, Settings.Bots);
    Store.setValue(kLevel, BotLevelName(Settings.Level));
    Store.setValue(kServer, Settings.ServerUrl);
    Store.setValue(kMuted, Settings.Muted);
    Store.setValue(kLogShown, Settings.LogShown);
    if (Settings.WindowGeometry.isEmpty())
        Store.remove(kGeometry);
    else
        Store.setValue(kGeometry, Settings.WindowGeometry);
    Store.sync();
}

bool CheckHostSettings(const THostSettings &Settings, QString &Error) {
    THostOptions options;
    for (const TChoice &choice : Choices(Settings))
        if (!ReadThroughOption(QString::fromLatin1(choice.Option), choice.Value, options, Error))
            return false;
    return true;
}

void ApplyHostSettings(const THostSettings &Settings, THostOptions &Options) {
    Options.PlayerName = Settings.PlayerName;
    Options.Bots = Settings.Bots;
    Options.Level = Settings.Level;
    Options.ServerUrl = Settings.ServerUrl;
}

THostSettings SettingsInUse(const THostSettings &Kept, const THostOptions &Options,
                            const QString &PlayedName) {
    THostSettings settings = Kept;
    settings.PlayerName = PlayedName;
    settings.Bots = Options.Bots;
    settings.Level = Options.Level;
    settings.ServerUrl = Options.ServerUrl;
    return settings;
}

} // namespace trelvo::host
