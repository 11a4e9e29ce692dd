// The settings the host keeps between starts, and the command line that wins over them for one run.
#include "host/HostSettings.h"
#include "host/HostWindow.h"
#include "host/SettingsDialog.h"
#include "protocol/PlayerName.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trelvo::host;

namespace {

class HostSettingsTest : public testing::Test {
protected:
    QString Path() const { return dir.filePath(QStringLiteral("trelvo.conf")); }
    THostSettings Read(QStringList *Refused = nullptr) const {
        QSettings store(Path(), QSettings::IniFormat);
        return ReadHostSettings(store, Refused);
    }
    void Write(const THostSettings &Settings) const {
        QSettings store(Path(), QSettings::IniFormat);
        WriteHostSettings(store, Settings);
    }

    QTemporaryDir dir;
};

THostSettings Chosen() {
    THostSettings settings;
    settings.PlayerName = QStringLiteral("Аня");
    settings.Bots = 3;
    settings.Level = trelvo::server::TBotLevel::Hard;
    settings.ServerUrl = QStringLiteral("wss://cards.example.org:47017");
    settings.Muted = true;
    settings.LogShown = true;
    settings.WindowGeometry = QByteArray("\x01\xd9\xd0\xcb\x00geometry", 13);
    return settings;
}

TEST_F(HostSettingsTest, WhatIsWrittenIsReadBackByTheNextStart) {
    EXPECT_EQ(Read(), THostSettings()) << "nothing kept yet: the defaults";
    Write(Chosen());
    QStringList refused;
    EXPECT_EQ(Read(&refused), Chosen());
    EXPECT_TRUE(refused.isEmpty());

    // Back to the defaults: an empty name and server are kept as empty.
    Write(THostSettings());
    EXPECT_EQ(Read(), THostSettings());
}

TEST_F(HostSettingsTest, AnOptionWinsForTheRunAndTheKeptSettingStays) {
    Write(Chosen());
    THostOptions options;
    ApplyHostSettings(Read(), options);
    QString error;
    bool help = false;
    ASSERT_TRUE(ParseHostOptions({"--name", "Боб", "--bots", "1"}, options, error, help))
        << error.toStdString();
    EXPECT_EQ(options.PlayerName, QStringLiteral("Боб"));
    EXPECT_EQ(options.Bots, 1);
    EXPECT_EQ(options.Level, trelvo::server::TBotLevel::Hard) << "not given: the kept level";
    EXPECT_EQ(options.ServerUrl, Chosen().ServerUrl);

    THostOptions local;
    ApplyHostSettings(Read(), local);
    ASSERT_TRUE(ParseHostOptions({"--local"}, local, error, help));
    EXPECT_TRUE(local.ServerUrl.isEmpty()) << "--local plays here though a server is kept";
    EXPECT_FALSE(ParseHostOptions({"--local", "--server", "ws://a:1"}, local, error, help));

    EXPECT_EQ(Read(), Chosen()) << "the run's options are not kept";
}

TEST_F(HostSettingsTest, AValueTheCommandLineWouldRefuseIsPassedOverAndNamed) {
    const struct {
        const char *Key;
        const char *Value;
    } bad[] = {{"player/name", "a;b"},
               {"bots/count", "7"},
               {"bots/level", "expert"},
               {"server/last", "http://cards.example.org"}};
    for (const auto &b : bad) {
        Write(Chosen());
        {
            QSettings store(Path(), QSettings::IniFormat);
            store.setValue(QString::fromLatin1(b.Key), QString::fromUtf8(b.Value));
        }
        QStringList refused;
        const THostSettings read = Read(&refused);
        ASSERT_EQ(refused.size(), 1) << b.Key;
        EXPECT_TRUE(refused.first().startsWith(QString::fromLatin1(b.Key))) << refused.first().toStdString();
        // The bad value gives way to the default; the others are read as kept.
        THostSettings expected = Chosen();
        const THostSettings defaults;
        const QString key = QString::fromLatin1(b.Key);
        if (key == QStringLiteral("player/name"))
            expected.PlayerName = defaults.PlayerName;
        else if (key == QStringLiteral("bots/count"))
            expected.Bots = defaults.Bots;
        else if (key == QStringLiteral("bots/level"))
            expected.Level = defaults.Level;
        else
            expected.ServerUrl = defaults.ServerUrl;
        EXPECT_EQ(read, expected) << b.Key;
    }
}

TEST(HostSettingsPlace, TheFileIsAtTheStandardPlaceOfTheUsersConfiguration) {
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(config.isEmpty()) << "the test runs with a scratch XDG_CONFIG_HOME";
    EXPECT_EQ(OpenHostSettings()->fileName(), QDir(config).filePath(QStringLiteral("trelvo/trelvo.conf")));
}

TEST(SettingsDialog, ShowsTheKeptChoicesAndRefusesAServerItCannotReach) {
    TSettingsDialog dialog(Chosen());
    EXPECT_EQ(dialog.Settings(), Chosen());
    QLineEdit *server = nullptr;
    for (QLineEdit *edit : dialog.findChildren<QLineEdit *>())
        if (edit->text() == Chosen().ServerUrl)
            server = edit;
    ASSERT_NE(server, nullptr);
    // The window takes no longer name than the server accepts.
    for (QLineEdit *edit : dialog.findChildren<QLineEdit *>()) {
        if (edit->text() == Chosen().PlayerName) {
            EXPECT_EQ(edit->maxLength(), trelvo::kMaxNameLength);
        }
    }
    server->setText(QStringLiteral("cards.example.org"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    server->setText(QString());
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.Settings().ServerUrl.isEmpty());
}

// The host reads every bot level from the game server's table: a row added there (a new brain) is a
// choice of --level, of the settings window and of the saved settings with no change here.
TEST_F(HostSettingsTest, EveryBotLevelOfTheServersTableIsAChoiceOfTheHost) {
    namespace srv = trelvo::server;
    ASSERT_GE(srv::BotLevels().size(), 3u);
    for (int row = 0; row < static_cast<int>(srv::BotLevels().size()); ++row) {
        const srv::TBotLevel level = srv::BotLevelAt(row);
        const QString name = QString::fromLatin1(srv::BotLevels()[row].Name);
        SCOPED_TRACE(name.toStdString());
        THostOptions options;
        QString error;
        bool help = false;
        ASSERT_TRUE(ParseHostOptions({QStringLiteral("--level"), name.toUpper()}, options, error, help))
            << error.toStdString();
        EXPECT_EQ(options.Level, level);

        THostSettings settings = Chosen();
        settings.Level = level;
        Write(settings);
        EXPECT_EQ(Read().Level, level) << "kept between starts";

        TSettingsDialog dialog(settings);
        const auto boxes = dialog.findChildren<QComboBox *>();
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_EQ(boxes.front()->count(), static_cast<int>(srv::BotLevels().size()));
        EXPECT_EQ(boxes.front()->currentText(), QString::fromUtf8(srv::BotLevels()[row].Title));
        EXPECT_EQ(dialog.Settings().Level, level);
    }
}

TEST(SettingsDialog, ShowsTheNameAndServerThePlayerPlaysAs) {
    // Nothing kept; this run plays on a server given on the command line, under the login name.
    THostOptions options;
    ApplyHostSettings(THostSettings(), options);
    QString error;
    bool help = false;
    ASSERT_TRUE(ParseHostOptions({QStringLiteral("--server"), QStringLiteral("ws://127.0.0.1:47017"),
                                  QStringLiteral("--bots"), QStringLiteral("3")},
                                 options, error, help));
    THostSettings kept;
    kept.Muted = true;
    TSettingsDialog dialog(SettingsInUse(kept, options, QStringLiteral("alice")));
    QStringList shown;
    for (QLineEdit *edit : dialog.findChildren<QLineEdit *>())
        shown << edit->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("alice"))) << shown.join(u'|').toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("ws://127.0.0.1:47017"))) << shown.join(u'|').toStdString();
    const THostSettings confirmed = dialog.Settings();
    EXPECT_EQ(confirmed.Bots, 3);
    EXPECT_TRUE(confirmed.Muted) << "what the window does not show stays as kept";
}

TEST(HostWindowLog, FoldedAtFirstAndOnlyThePlayersFlipIsTold) {
    THostWindow window;
    QList<bool> told;
    window.OnLogShown = [&told](bool Shown) { told << Shown; };
    EXPECT_FALSE(window.LogVisible());
    EXPECT_FALSE(window.LogAction()->isChecked());
    window.SetLogVisible(true);
    EXPECT_TRUE(window.LogVisible());
    EXPECT_TRUE(window.LogAction()->isChecked());
    EXPECT_TRUE(told.isEmpty()) << "restoring the kept choice is not the player's flip";
    window.LogAction()->trigger();
    EXPECT_FALSE(window.LogVisible());
    EXPECT_EQ(told, QList<bool>{false});
}

TEST(HostWindowMenu, EveryItemHasItsOwnShortcutShownInTheMenu) {
    THostWindow window;
    QSet<QString> seen;
    int items = 0;
    for (QAction *top : window.menuBar()->actions()) {
        ASSERT_NE(top->menu(), nullptr);
        for (QAction *item : top->menu()->actions()) {
            if (item->isSeparator())
                continue;
            ++items;
            const QString keys = item->shortcut().toString();
            EXPECT_FALSE(keys.isEmpty()) << item->text().toStdString();
            EXPECT_FALSE(seen.contains(keys)) << keys.toStdString() << " twice";
            seen << keys;
        }
    }
    EXPECT_GT(items, 0);
}

TEST(HostWindowMenu, TheSoundSwitchTellsOnlyWhenThePlayerFlipsIt) {
    THostWindow window;
    QList<bool> told;
    window.OnSoundSwitched = [&told](bool On) { told << On; };
    window.SetSoundOn(false);
    EXPECT_FALSE(window.SoundOn());
    EXPECT_TRUE(told.isEmpty()) << "restoring the kept switch is not the player's flip";
    window.SoundAction()->trigger();
    EXPECT_TRUE(window.SoundOn());
    EXPECT_EQ(told, QList<bool>{true});
}

} // namespace
