#include "GUIMessage.h"

#include "app/AppLog.h"
#include "game/ServerRouting.h"
#include "protocol/ClientMessages.h"
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
    game.OnTableList = [this] { SendRequest(msg::TTableListRequest{}); };
    // The controller hands the table's options as the request's fields, built by the same builder.
    game.OnCreateNewTable = [this](const QString &CreateParam) {
        SendToServer(ServerOut::kCreateNewTable, CreateParam);
    };
    game.OnExitInvite = [this](int ID) { SendRequest(msg::TExitInviteRequest{ID}); };
    game.OnEnterTable = [this](int ID) { SendRequest(msg::TEnterTableRequest{ID}); };
    game.OnPlayerReady = [this](int ID, char State) { SendRequest(msg::TReadyRequest{ID, State == '1'}); };
    game.OnPlayerGo = [this](int TableID, uint8_t CardID) { SendRequest(msg::TGoRequest{TableID, CardID}); };
    game.OnPlayerTake = [this](int ID) { SendRequest(msg::TTakeRequest{ID}); };
    game.OnPlayerBito = [this](int ID) { SendRequest(msg::TBitoRequest{ID}); };
    game.OnPlayerCover = [this](int TableID, uint8_t CardID, uint8_t SelectID) {
        SendRequest(msg::TCoverRequest{TableID, CardID, SelectID});
    };
    game.OnRoundStart = [this](int TableID) { SendRequest(msg::TRoundStartRequest{TableID}); };
    game.OnStopPlugin = [this] { SendToHost(HostOut::kStopPlugin, QStringLiteral("1;")); };
    game.OnError = [this](int ErrorID) { SendToHost(HostOut::kError, QString::number(ErrorID)); };
    game.OnPlayerTransfer = [this](int TableID, uint8_t CardID) {
        SendRequest(msg::TTransferRequest{TableID, CardID});
    };

    game.SetOnTextError([this](const QString &Error) { SendToHost(HostOut::kTextError, Error); });
    game.SetOnStateConnected([this](bool &Connected, const QString &Kind) {
        SendRequest(msg::TStateConnectedAnswer{Connected, Kind});
    });
    game.SetOnSendSrvInfo([this](bool State) { SendRequest(msg::TServerInfoAnswer{State}); });
    // The statistics service hands its report's fields, built by the same builder.
    game.SetOnRedirectPlayerInfo(
        [this](const QString &Data) { SendToServer(ServerOut::kRedirectPlayerInfo, Data); });
    game.SetOnEndRedirectPlayerInfo([this](bool State) { SendRequest(msg::TRedirectAnswer{State}); });
}

void TGUIMessage::Send(const QString &Message) {
    if (!FLink || !FLink->Connected())
        return;
    const QByteArray bytes = EncodeAnsi(Message);
    FLink->Send(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TGUIMessage::SendToHost(int Code, const QString &Payload) {
    Send(BuildHostMessage(Code, Payload));
}

void TGUIMessage::SendToServer(int Subcode, const QString &Payload) {
    Send(BuildServerMessage(Subcode, Payload));
}

void TGUIMessage::SendRequest(const msg::TClientMessage &Request) {
    Send(BuildHostMessage(HostOut::kServerMessage, msg::BuildMessage(Request)));
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
