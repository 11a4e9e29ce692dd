#include "game/ServerRouting.h"

#include "game/Game.h"
#include "protocol/Protocol.h"

namespace trelvo {

void RouteServerMessage(TGame &Game, int Subcode, const QString &Payload,
                        const std::function<void(int Result)> &AnswerCheckVersion) {
    switch (Subcode) {
    case ServerIn::kCheckVersion: {
        const int result = Game.OnCheckVersion(Payload);
        if (AnswerCheckVersion)
            AnswerCheckVersion(result);
        break;
    }
    case ServerIn::kResponseTableList:
        Game.OnResponseTableList(Payload);
        break;
    case ServerIn::kCreateNewTable:
        Game.CreateNewTable(Payload);
        break;
    case ServerIn::kPlayerExitInvite:
        Game.PlayerExitInvite();
        break;
    case ServerIn::kErrorEnterTable:
        Game.ErrorEnterTable(Payload);
        break;
    case ServerIn::kChangeTable:
        Game.ChangeTable(Payload);
        break;
    case ServerIn::kUpdTimerNewTable:
        Game.UpdTimerNewTable(Payload);
        break;
    case ServerIn::kStartGame:
        Game.StartGame(Payload);
        break;
    case ServerIn::kPlayerGo:
        Game.PlayerGo(Payload);
        break;
    case ServerIn::kPlayerTake:
        Game.PlayerTake(Payload);
        break;
    case ServerIn::kPlayerBito:
        Game.PlayerBito(Payload);
        break;
    case ServerIn::kAllPlayerBito:
        Game.AllPlayerBito(Payload);
        break;
    case ServerIn::kPlayerCover:
        Game.PlayerCover(Payload);
        break;
    case ServerIn::kEndGame:
        Game.EndGame(Payload);
        break;
    case ServerIn::kPlayerExitGame:
        Game.PlayerExitGame(Payload);
        break;
    case ServerIn::kCheckInternet:
        Game.CheckInternet(Payload);
        break;
    case ServerIn::kSendServerInfo:
        Game.SendServerInfo(Payload);
        break;
    case ServerIn::kRedirectPlayerInfo:
        Game.RedirectPlayerInfo(Payload);
        break;
    default:
        break;
    }
}

} // namespace trelvo
