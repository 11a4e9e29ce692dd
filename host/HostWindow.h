#pragma once

#include <QList>
#include <QMainWindow>

#include <functional>

class QAction;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QWidget;

namespace trelvo::host {

class TGameArea;

// The chat window: the game area the client embeds into, a menu with the plug-in's commands (each with
// a keyboard shortcut shown beside it), a notice
// when the client has ended, and a narrow log of what the plug-in relays that folds away.
class THostWindow : public QMainWindow {
public:
    static constexpr int kLogLines = 2000;
    static constexpr int kLogMinimumWidth = 120;

    THostWindow();
    ~THostWindow() override;

    TGameArea &GameArea() { return *FGameArea; }
    void AppendLog(const QString &Line);
    QString LogText() const;
    // The log is folded away at first; setting it raises no OnLogShown.
    void SetLogVisible(bool Visible);
    bool LogVisible() const;

    // Shows why the client is gone and offers to start it again; an empty text hides the notice.
    void SetClientNotice(const QString &Text);
    QString ClientNotice() const;

    // The link to a game server on the network: a line at the window's foot, green when connected.
    // Without a call (the server in this process) there is no such line.
    void SetServerStatus(bool Connected, const QString &Text);
    QString ServerStatus() const;
    // The last game's result in a line at the window's foot; an empty text hides it.
    void SetResultLine(const QString &Text);
    QString ResultLine() const;

    QAction *ShowGameAction() const { return FShowGame; }
    QAction *HideGameAction() const { return FHideGame; }
    QAction *AboutAction() const { return FAbout; }
    QAction *RestartAction() const { return FRestart; }
    // "Рейтинг": off unless connected to a game server on the network.
    QAction *RatingAction() const { return FRating; }
    QAction *SettingsAction() const { return FSettings; }
    QAction *SoundAction() const { return FSound; }
    QAction *LogAction() const { return FLogToggle; }
    // Every item of the menu, each with its shortcut.
    QList<QAction *> MenuActions() const;

    // The sound switch as kept in the settings; setting it raises no OnSoundSwitched.
    void SetSoundOn(bool On);
    bool SoundOn() const;

    std::function<void()> OnShowGame;
    std::function<void()> OnHideGame;
    std::function<void()> OnAbout;
    std::function<void()> OnRestartClient;
    std::function<void()> OnRating;
    std::function<void()> OnSettings;
    std::function<void(bool On)> OnSoundSwitched;
    // The player showed or folded the log.
    std::function<void(bool Shown)> OnLogShown;
    std::function<void()> OnClosed;

protected:
    void closeEvent(QCloseEvent *Event) override;

private:
    void BuildMenu();

    TGameArea *FGameArea;
    QSplitter *FSplitter;
    QPlainTextEdit *FLog;
    QWidget *FNotice;
    QLabel *FNoticeText;
    QLabel *FServerStatus = nullptr;
    QLabel *FResultLine = nullptr;
    QAction *FShowGame = nullptr;
    QAction *FHideGame = nullptr;
    QAction *FAbout = nullptr;
    QAction *FRestart = nullptr;
    QAction *FRating = nullptr;
    QAction *FLogToggle = nullptr;
    QAction *FSettings = nullptr;
    QAction *FSound = nullptr;
};

} // namespace trelvo::host
