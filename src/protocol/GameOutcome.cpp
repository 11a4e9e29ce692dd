#include "protocol/GameOutcome.h"

#include "protocol/Fields.h"
#include "protocol/Protocol.h"

namespace trelvo::msg {

namespace {
const QString kOutcomeWord = QStringLiteral("outcome;");
}

QString BuildGameOutcome(const TGameOutcome &Outcome) {
    QString text = kOutcomeWord + QString::number(Outcome.Seats.size()) + u';';
    for (const TOutcomeSeat &seat : Outcome.Seats)
        text += EscapeSemicolon(seat.Name) + u';' + QString::number(seat.Result) + u';';
    return text;
}

std::optional<TGameOutcome> ParseGameOutcome(const QString &Text) {
    if (!Text.startsWith(kOutcomeWord))
        return std::nullopt;
    TFieldReader r(QStringView(Text).mid(kOutcomeWord.size()));
    const int n = r.Count(2);
    if (!r.Ok() || n < 1 || n > kOutcomeSeats)
        return std::nullopt;
    TGameOutcome outcome;
    for (int i = 0; i < n; ++i) {
        TOutcomeSeat seat;
        seat.Name = r.Name();
        seat.Result = r.Int();
        if (seat.Result < 0 || seat.Result > 2)
            return std::nullopt;
        outcome.Seats.push_back(std::move(seat));
    }
    if (!r.Finish())
        return std::nullopt;
    return outcome;
}

bool IsHostOnlyMessage(QStringView Message) {
    return Message.startsWith(kOutcomeWord);
}

} // namespace trelvo::msg
