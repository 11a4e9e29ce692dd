#include "host/ResultLine.h"

#include "protocol/Fields.h"
#include "protocol/GameOutcome.h"
#include "protocol/ServerMessages.h"

#include <QStringList>

#include <cstdlib>

#include <variant>

namespace trelvo::host {

namespace {

enum : int { kLost = 0, kWon = 1, kDraw = 2 };

} // namespace

TResultLine::TResultLine(QString PlayerName) : FPlayerName(std::move(PlayerName)) {}

void TResultLine::ServerMessage(const QString &Message) {
    if (msg::IsHostOnlyMessage(Message)) {
        Outcome(Message);
        return;
    }
    int sub = 0;
    QStringView payload;
    if (!msg::SplitSubcode(Message, sub, payload) ||
        (sub != ServerIn::kStartGame && sub != ServerIn::kEndGame))
        return;
    const auto parsed = msg::ParseServerMessage(Message);
    if (!parsed)
        return;
    if (const auto *start = std::get_if<msg::TGameStart>(&*parsed)) {
        for (const msg::TGamePlayer &player : start->Players)
            if (player.Name == FPlayerName)
                return GameStarted();
    } else if (const auto *result = std::get_if<msg::TGameResult>(&*parsed)) {
        OwnResult(result->Result);
    }
}

void TResultLine::GameStarted() {
    FOutcomeText.clear();
    FAwaitingRating = false;
    Show(QString());
    // The standing before the game, for the change it brings.
    AskRating();
}

void TResultLine::OwnResult(int Result) {
    // A player who goes out first hears of the rest only at the game's end.
    if (Result == kWon)
        Show(QStringLiteral("Вы вышли из игры без карт: победа. Остальные ещё играют."));
    else if (Result == kLost)
        Show(QStringLiteral("Вы остались в дураках."));
    else if (Result == kDraw)
        Show(QStringLiteral("Ничья."));
}

void TResultLine::Outcome(const QString &Message) {
    const auto outcome = msg::ParseGameOutcome(Message);
    if (!outcome)
        return;
    QStringList fools;
    bool ownLoss = false, ownWin = false;
    for (const msg::TOutcomeSeat &seat : outcome->Seats) {
        const bool own = seat.Name == FPlayerName;
        if (seat.Result == kLost) {
            ownLoss = ownLoss || own;
            fools << (own ? QStringLiteral("вы") : QStringLiteral("«%1»").arg(seat.Name));
        }
        ownWin = ownWin || (own && seat.Result == kWon);
    }
    if (fools.isEmpty())
        FOutcomeText = QStringLiteral("Игра окончена вничью: в дураках никто.");
    else if (ownLoss && fools.size() == 1)
        FOutcomeText = QStringLiteral("Игра окончена: вы остались в дураках.");
    else
        FOutcomeText = QStringLiteral("Игра окончена%1. В дураках: %2.")
                           .arg(ownWin ? QStringLiteral(", вы выиграли") : QString(), fools.join(u", "));
    Show(FOutcomeText);
    FAwaitingRating = static_cast<bool>(OnAskRating);
    AskRating();
}

void TResultLine::OwnRating(int Rating, int Games) {
    if (!FAwaitingRating) {
        FBefore = TStanding{Rating, Games};
        return;
    }
    // A table asked for before the game was counted still shows the old standing: the next one comes.
    if (FBefore && Games == FBefore->Games)
        return;
    FAwaitingRating = false;
    QString change;
    if (FBefore) {
        const int d = Rating - FBefore->Rating;
        const QString sign = d > 0 ? QStringLiteral("+") : d < 0 ? QStringLiteral("−") : QStringLiteral("±");
        change = QStringLiteral(" (%1%2)").arg(sign).arg(std::abs(d));
    }
    FBefore = TStanding{Rating, Games};
    Show(QStringLiteral("%1 Ваш рейтинг: %2%3.").arg(FOutcomeText).arg(Rating).arg(change));
}

void TResultLine::Show(QString Text) {
    if (Text == FText)
        return;
    FText = std::move(Text);
    if (auto handler = OnText)
        handler(FText);
}

void TResultLine::AskRating() {
    if (auto handler = OnAskRating)
        handler();
}

} // namespace trelvo::host
