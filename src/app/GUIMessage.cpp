#include "GUIMessage.h"

#include "app/AppLog.h"
#include "game/ServerRouting.h"
#include "protocol/Protocol.h"

#include <QByteArray>

namespace trelvo {

TGUIMessage::TGUIMessage(std::unique_ptr<TGame> AGame, std::unique_ptr<IHostLink> Link,
                         std::unique_ptr<IErrorReporter> Reporter, std::function<void()> TerminateApplication)
    : FPump([this](const Exception &Error) { ShowError(Error); }), FReporter(std::move(Reporter)),
      FTerminateApplication(std::move(TerminateApplication)), FGame(std::move(AGame)) {
    BindGameEvents();

    FLink = std::move(Link);
    FLink->OnMessage = [this](std::string_view Bytes) {
        if (Bytes.size() > kMaxHostMessageBytes) {
            qCWarning(lcApp, "a message of %zu bytes from the host is refused: the limit is %zu bytes",
                      Bytes.size(), kMaxHostMessageBytes);
            return;
        }
        HandleMessage(
            DecodeAnsi(QByteArray::fromRawData(Bytes.data(), static_cast<qsizetype>(Bytes.size()))));
    };
    FLink->OnClosed = [this] {
        if (FTerminateApplication)
            FTerminateApplication();
    };
}

TGUIMessage::~TGUIMessage() {
    // The controller (and with it the screen) goes before the link, and the field is cleared first,
    // so that nothing it raises while going can reach a half-destroyed dispatcher.
    std::unique_ptr<TGame> game = std::move(FGame);
    game.reset();
    FLink.reset();
}

void TGUIMessage::BindGameEvents() {
    TGame &game = *FGame;
    game.OnTableList = [this] { SendToServer(ServerOut::kTableList, QStringLiteral("1;")); };
    game.OnCreateNewTable = [this](const QString &CreateParam) {
        SendToServer(ServerOut::kCreateNewTable, CreateParam);
    };
    game.OnExitInvite = [this](int ID) { SendToServer(ServerOut::kExitInvite, QString::number(ID)); };
    game.OnEnterTable = [this](int ID) { SendToServer(ServerOut::kEnterTable, QString::number(ID)); };
    game.OnPlayerReady = [this](int ID, char State) {
        SendToServer(ServerOut::kPlayerReady, QStringLiteral("%1;%2;").arg(ID).arg(QLatin1Char(State)));
    };
    game.OnPlayerGo = [this](int TableID, uint8_t CardID) {
        SendToServer(ServerOut::kPlayerGo, QStringLiteral("%1;%2;").arg(TableID).arg(CardID));
    };
    game.OnPlayerTake = [this](int ID) {
        SendToServer(ServerOut::kPlayerTake, QStringLiteral("%1;").arg(ID));
    };
    game.OnPlayerBito = [this](int ID) {
        SendToServer(ServerOut::kPlayerBito, QStringLiteral("%1;").arg(ID));
    };
    game.OnPlayerCover = [this](int TableID, uint8_t CardID, uint8_t SelectID) {
        SendToServer(ServerOut::kPlayerCover,
                     QStringLiteral("%1;%2;%3;").arg(TableID).arg(CardID).arg(SelectID));
    };
    game.OnRoundStart = [this](int TableID) {
        SendToServer(ServerOut::kRoundStart, QStringLiteral("%1;").arg(TableID));
    };
    game.OnStopPlugin = [this] { SendToHost(HostOut::kStopPlugin, QStringLiteral("1;")); };
    game.OnError = [this](int ErrorID) { SendToHost(HostOut::kError, QString::number(ErrorID)); };
    game.OnPlayerTransfer = [this](int TableID, uint8_t CardID) {
        SendToServer(ServerOut::kPlayerTransfer, QStringLiteral("%1;%2;").arg(TableID).arg(CardID));
    };

    game.SetOnTextError([this](const QString &Error) { SendToHost(HostOut::kTextError, Error); });
    game.SetOnStateConnected([this](bool &Connected, const QString &Kind) {
        SendToServer(ServerOut::kStateConnected,
                     BoolText(Connected) + QLatin1Char(';') + Kind + QLatin1Char(';'));
    });
    game.SetOnSendSrvInfo(
        [this](bool State) { SendToServer(ServerOut::kSendSrvInfo, BoolText(State) + ';'); });
    game.SetOnRedirectPlayerInfo(
        [this](const QString &Data) { SendToServer(ServerOut::kRedirectPlayerInfo, Data); });
    game.SetOnEndRedirectPlayerInfo(
        [this](bool State) { SendToServer(ServerOut::kEndRedirectPlayerInfo, BoolText(State) + ';'); });
}

void TGUIMessage::SendToHost(int Code, const QString &Payload) {
    if (!FLink || !FLink->Connected())
        return;
    const QByteArray bytes = EncodeAnsi(BuildHostMessage(Code, Payload));
    FLink->Send(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TGUIMessage::SendToServer(int Subcode, const QString &Payload) {
    SendToHost(HostOut::kServerMessage, QString::number(Subcode) + QLatin1Char(';') + Payload);
}

void TGUIMessage::HandleMessage(QString Text) {
    try {
        Dispatch(Text);
    } catch (const Exception &Error) {
        // What was done before the error stays done; nothing goes to the host.
        ShowError(Error);
    }
}

void TGUIMessage::ShowError(const Exception &Error) {
    if (FReporter)
        FReporter->ShowError(ErrorBoxText(Error));
}

void TGUIMessage::Dispatch(QString &Text) {
    if (Text.isEmpty() || !FGame)
        return;
    TGame &game = *FGame;
    int pos = 1;
    QString field;
    GetField(field, Text, pos);
    switch (StrToInt(field)) {
    case HostIn::kChatResize: {
        GetField(field, Text, pos);
        const int height = StrToInt(field);
        GetField(field, Text, pos);
        const int width = StrToInt(field);
        game.OnChatResize(height, width);
        break;
    }
    case HostIn::kShowGUI:
    case HostIn::kShowGUI2:
        game.ShowGUI();
        break;
    case HostIn::kHideGUI:
        game.HideGUI();
        break;
    case HostIn::kSetPlayerInfo: {
        QString name, ip;
        GetField(name, Text, pos);
        GetField(ip, Text, pos);
        GetField(field, Text, pos);
        game.SetPlayerInfo(name, ip, StrToInt(field));
        GetField(field, Text, pos);
        game.SetServerIP(field);
        GetField(field, Text, pos);
        game.SetCCVersion(field);
        GetField(field, Text, pos);
        game.SetMD5_CC(field);
        GetField(field, Text, pos);
        game.SetMD5_Plugin(field);
        break;
    }
    case HostIn::kParentWindow:
        GetField(field, Text, pos);
        // The window is shown before the handle is checked: a bad handle leaves it shown, not embedded.
        game.ShowGUI();
        game.SetParentWindow(static_cast<quintptr>(static_cast<unsigned int>(StrToInt(field))));
        break;
    case HostIn::kServerMessage: {
        GetField(field, Text, pos);
        const int subcode = StrToInt(field);
        // The payload is the rest of the text, cut in place: a big message is not copied again.
        if (pos <= Text.size())
            Text.remove(0, pos - 1);
        else
            Text.clear();
        RouteServerMessage(game, subcode, Text, [this](int Result) {
            SendToHost(HostOut::kCheckVersionResult, QString::number(Result));
        });
        break;
    }
    case HostIn::kExitServerBot:
        game.ExitServerBot();
        break;
    case HostIn::kServerBotNotConnected:
        game.ServerBotNotConnected();
        break;
    case HostIn::kShowAboutForm:
        game.ShowAboutForm();
        break;
    default:
        break;
    }
}

} // namespace trelvo
