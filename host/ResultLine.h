#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace trelvo::host {

// The game's result in a line for the host's window: who was left the fool (or that nobody was), and,
// online, the player's new rating with its change. It hears the game-server messages the plug-in
// relays (the game's start and the own result) and the server's note of the game's outcome, which the
// client never sees; the rating comes from the server's rating table, asked for at the game's start
// and after its end.
class TResultLine {
public:
    explicit TResultLine(QString PlayerName);

    // One message of the game server, relayed to the client or the host's own; others change nothing.
    void ServerMessage(const QString &Message);
    // The player's own standing from a rating table the server sent.
    void OwnRating(int Rating, int Games);

    QString Text() const { return FText; }

    // The line changed.
    std::function<void(const QString &Text)> OnText;
    // Wants the player's rating; left unset where no server keeps ratings.
    std::function<void()> OnAskRating;

private:
    struct TStanding {
        int Rating = 0;
        int Games = 0;
    };

    void GameStarted();
    void OwnResult(int Result);
    void Outcome(const QString &Message);
    void Show(QString Text);
    void AskRating();

    QString FPlayerName;
    QString FOutcomeText;
    QString FText;
    std::optional<TStanding> FBefore;
    bool FAwaitingRating = false;
};

} // namespace trelvo::host
