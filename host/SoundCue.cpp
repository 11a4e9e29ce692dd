#include "host/SoundCue.h"

#include "protocol/Fields.h"
#include "protocol/Protocol.h"
#include "protocol/ServerMessages.h"

#include <type_traits>

namespace trelvo::host {

TSoundCue::TSoundCue(QString PlayerName) : FPlayerName(std::move(PlayerName)) {}

void TSoundCue::ServerMessage(const QString &Message) {
    // Only a game's own messages, from its start to a player's leaving, make a sound: the lobby's (a
    // table list of thousands of rows among them) are not read whole for nothing.
    int subcode = 0;
    QStringView payload;
    if (!msg::SplitSubcode(Message, subcode, payload) || subcode < ServerIn::kStartGame ||
        subcode > ServerIn::kPlayerExitGame)
        return;
    const std::optional<msg::TServerMessage> parsed = msg::ParseServerMessage(Message);
    if (!parsed)
        return;
    std::visit(
        [this](const auto &M) {
            using T = std::decay_t<decltype(M)>;
            if constexpr (std::is_same_v<T, msg::TGameStart>) {
                FMyID = -1;
                for (const msg::TGamePlayer &player : M.Players)
                    if (player.Name == FPlayerName)
                        FMyID = player.ID;
                Play(TSound::Deal);
                TurnPassed(M.FirstID);
            } else if constexpr (std::is_same_v<T, msg::TCardPlayed>) {
                Play(TSound::CardPlayed);
                TurnPassed(M.DefenderID);
            } else if constexpr (std::is_same_v<T, msg::TCovered>) {
                Play(TSound::Cover);
                // Kind 1: nothing follows from this cover, so nobody is called on.
                if (M.CoverKind != 1)
                    TurnPassed(M.NextID);
            } else if constexpr (std::is_same_v<T, msg::TTaken>) {
                Play(TSound::Take);
                TurnPassed(M.NextID);
            } else if constexpr (std::is_same_v<T, msg::TPassed>) {
                TurnPassed(M.NextID);
            } else if constexpr (std::is_same_v<T, msg::TBoutEnd>) {
                // A taken bout was heard when the defender took.
                if (M.Bito)
                    Play(TSound::Discard);
                TurnPassed(M.NextID);
            } else if constexpr (std::is_same_v<T, msg::TGameResult>) {
                if (M.Result == 1)
                    Play(TSound::Win);
                else if (M.Result == 0)
                    Play(TSound::Loss);
                FMyID = -1;
            } else if constexpr (std::is_same_v<T, msg::TPlayerLeft>) {
                if (!M.ToLeaver)
                    TurnPassed(M.NextID);
            }
        },
        *parsed);
}

void TSoundCue::TurnPassed(int NextID) {
    // Ids compare by their low byte, as everywhere in the game; 255 is nobody.
    if (FMyID >= 0 && (NextID & 0xFF) != msg::kNobody && (NextID & 0xFF) == (FMyID & 0xFF))
        Play(TSound::YourMove);
}

void TSoundCue::Play(TSound Sound) {
    if (auto handler = OnSound)
        handler(Sound);
}

} // namespace trelvo::host
