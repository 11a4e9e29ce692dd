#include "server/BotLevels.h"

#include "server/BotBrain.h"
#include "server/HardBrain.h"

#include <QStringList>

namespace trelvo::server {

namespace {

template <class TBrain> std::unique_ptr<IBotBrain> Make() {
    return std::make_unique<TBrain>();
}

const TBotLevelRow kBotLevels[] = {
    {"easy", "слабые", Make<TEasyBrain>},
    {"normal", "обычные", Make<TNormalBrain>},
    {"hard", "сильные", Make<THardBrain>},
};

} // namespace

std::span<const TBotLevelRow> BotLevels() {
    return kBotLevels;
}

const TBotLevelRow &BotLevelRow(TBotLevel Level) {
    const int row = static_cast<int>(Level);
    return row >= 0 && row < static_cast<int>(std::size(kBotLevels)) ? kBotLevels[row]
                                                                     : kBotLevels[int(TBotLevel::Normal)];
}

TBotLevel BotLevelAt(int Row) {
    return static_cast<TBotLevel>(Row);
}

std::unique_ptr<IBotBrain> MakeBrain(TBotLevel Level) {
    return BotLevelRow(Level).Make();
}

std::optional<TBotLevel> BotLevelFromName(const QString &Name) {
    for (int row = 0; row < static_cast<int>(std::size(kBotLevels)); ++row)
        if (Name.compare(QLatin1String(kBotLevels[row].Name), Qt::CaseInsensitive) == 0)
            return BotLevelAt(row);
    return std::nullopt;
}

QString BotLevelName(TBotLevel Level) {
    return QLatin1String(BotLevelRow(Level).Name);
}

QString BotLevelTitle(TBotLevel Level) {
    return QString::fromUtf8(BotLevelRow(Level).Title);
}

QString BotLevelNames() {
    QStringList names;
    for (const TBotLevelRow &row : kBotLevels)
        names << QLatin1String(row.Name);
    const QString last = names.takeLast();
    return names.isEmpty() ? last : names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

} // namespace trelvo::server
