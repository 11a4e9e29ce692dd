#pragma once

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// How a game ended, told by the game server at its end to every person who sat in it and is still at
// the table (those who went out first too): "outcome;N;" then N × "Name;Result;" in seat order, Result
// 0 lost, 1 won, 2 draw, names with ";" as the protocol's token. It is the host's alone: the game's own
// messages begin with their number, this one with a word, and the host never relays it to the client.
namespace trelvo::msg {

inline constexpr int kOutcomeSeats = 4;

struct TOutcomeSeat {
    QString Name;
    int Result = 0;
    bool operator==(const TOutcomeSeat &) const = default;
};

struct TGameOutcome {
    std::vector<TOutcomeSeat> Seats;
    bool operator==(const TGameOutcome &) const = default;
};

QString BuildGameOutcome(const TGameOutcome &Outcome);
// Nullopt unless the whole text is an outcome of one to four seats with results 0 to 2.
std::optional<TGameOutcome> ParseGameOutcome(const QString &Text);

// A note for the host alone (the outcome): it begins with its word where every game message begins with its
// number. Any other word is no message of ours and goes to the relay's refusal like any unreadable one.
bool IsHostOnlyMessage(QStringView Message);

} // namespace trelvo::msg
