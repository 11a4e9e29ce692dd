#include "host/NetGameServer.h"

#include "host/HostLog.h"
#include "netserver/Session.h"
#include "protocol/Fields.h"
#include "protocol/ServerMessages.h"

#include <QSslError>
#include <QWebSocket>
#include <QWebSocketProtocol>

#include <algorithm>

namespace trelvo::host {

TNetGameServer::TNetGameServer(TClock &Clock, QUrl Url) : FClock(Clock), FUrl(std::move(Url)) {}

TNetGameServer::~TNetGameServer() {
    FWanted = false;
    if (FRetry)
        FClock.Cancel(FRetry);
    if (FSocket) {
        QObject::disconnect(FSocket.get(), nullptr, this, nullptr);
        FSocket->abort();
    }
}

IGameServer::TConnId TNetGameServer::Connect(const QString &PlayerName) {
    FName = PlayerName;
    ++FConn;
    FWanted = true;
    FRejoining = false;
    FStoppedText.clear();
    FRetryMs = kFirstRetryMs;
    Open();
    return FConn;
}

void TNetGameServer::Receive(TConnId Conn, const QString &Message) {
    if (Conn != FConn || !FOnline) {
        qCDebug(lcHost) << "not connected to the game server: a message of the client is dropped";
        return;
    }
    int sub = 0;
    QStringView payload;
    // Leaving the waiting room is answered by nothing: the player is in the lobby from now on.
    if (msg::SplitSubcode(Message, sub, payload) && sub == 4)
        FInRoom = false;
    ++FFramesOut;
    FSocket->sendTextMessage(Message);
}

bool TNetGameServer::RequestTop() {
    if (!FOnline)
        return false;
    FSocket->sendTextMessage(net::kTopRequest);
    return true;
}

void TNetGameServer::Disconnect(TConnId Conn) {
    if (Conn != FConn)
        return;
    FWanted = false;
    FOnline = false;
    if (FRetry) {
        FClock.Cancel(FRetry);
        FRetry = 0;
    }
    if (FSocket) {
        QObject::disconnect(FSocket.get(), nullptr, this, nullptr);
        FSocket->close();
        FSocket.release()->deleteLater();
    }
    Status(false, QStringLiteral("Игра закрыта: с сервером %1 не соединено.").arg(FUrl.toString()));
}

void TNetGameServer::Open() {
    FRetry = 0;
    if (FSocket) {
        QObject::disconnect(FSocket.get(), nullptr, this, nullptr);
        FSocket->abort();
        FSocket.release()->deleteLater();
    }
    FSocket = std::make_unique<QWebSocket>();
    FSocket->setMaxAllowedIncomingFrameSize(kMaxFrameBytes);
    FSocket->setMaxAllowedIncomingMessageSize(kMaxFrameBytes);
    QObject::connect(FSocket.get(), &QWebSocket::connected, this, [this] { Opened(); });
    QObject::connect(FSocket.get(), &QWebSocket::textMessageReceived, this,
                     [this](const QString &Text) { FOnline ? Frame(Text) : Answer(Text); });
    QObject::connect(FSocket.get(), &QWebSocket::disconnected, this, [this] { Lost(); });
    // A server that cannot be reached never connects, so it never disconnects either.
    QObject::connect(FSocket.get(), qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
                     [this](QAbstractSocket::SocketError) {
                         if (FSocket->state() == QAbstractSocket::UnconnectedState)
                             Lost();
                     });
    // A certificate that cannot be trusted does not become trustworthy by asking again.
    QObject::connect(FSocket.get(), &QWebSocket::sslErrors, this, [this](const QList<QSslError> &Errors) {
        FWanted = false;
        qCWarning(lcHost) << "the game server's certificate is not trusted:" << Errors;
        Status(false,
               QStringLiteral("Сервер %1 предъявил сертификат, которому нельзя доверять (%2). Сообщите "
                              "владельцу сервера.")
                   .arg(FUrl.toString(), Errors.isEmpty() ? QString() : Errors.first().errorString()));
    });
    Status(false, QStringLiteral("Подключение к серверу %1…").arg(FUrl.toString()));
    FSocket->open(FUrl);
}

void TNetGameServer::Opened() {
    FSocket->sendTextMessage(net::BuildHello({net::kProtocolVersion, FName}));
}

void TNetGameServer::Answer(const QString &Text) {
    const auto answer = net::ParseAnswer(Text);
    if (!answer || !answer->Accepted) {
        const net::TRefusal reason = answer ? answer->Reason : net::TRefusal::Malformed;
        // Back after a lost link the server may not yet have let the old session go.
        const bool retry = FRejoining && reason == net::TRefusal::NameTaken;
        qCWarning(lcHost).noquote() << "the game server refuses the login:" << net::RefusalWord(reason);
        if (!retry)
            FWanted = false;
        QObject::disconnect(FSocket.get(), nullptr, this, nullptr);
        FSocket->close();
        if (retry)
            Lost();
        else
            Status(false, net::RefusalText(reason));
        return;
    }
    FOnline = true;
    FRetryMs = kFirstRetryMs;
    FStoppedText.clear();
    Status(true, QStringLiteral("Подключено к серверу %1").arg(FUrl.toString()));
}

void TNetGameServer::Frame(const QString &Text) {
    // The session's own answer: game messages begin with their number.
    if (Text.startsWith(QStringLiteral("top;"))) {
        const auto answer = net::ParseTopAnswer(Text);
        if (!answer)
            qCWarning(lcHost) << "the game server's rating table is malformed";
        else if (auto handler = OnTop)
            handler(*answer);
        return;
    }
    ++FFramesIn;
    if (FRejoining) {
        int sub = 0;
        QStringView payload;
        // The client logged in long ago: the version check and reachability check of the new
        // session would only confuse it.
        if (msg::SplitSubcode(Text, sub, payload) && (sub == 1 || sub == 20))
            return;
        FRejoining = false;
    }
    Track(Text);
    Deliver(Text);
}

void TNetGameServer::Track(const QString &Message) {
    const auto m = msg::ParseServerMessage(Message);
    if (!m)
        return;
    if (const auto *start = std::get_if<msg::TGameStart>(&*m)) {
        auto own = std::find_if(start->Players.begin(), start->Players.end(),
                                [this](const msg::TGamePlayer &P) { return P.Name == FName; });
        FGameID = own == start->Players.end() ? -1 : own->ID;
    } else if (std::holds_alternative<msg::TGameResult>(*m)) {
        FGameID = -1;
    } else if (const auto *left = std::get_if<msg::TPlayerLeft>(&*m)) {
        if (left->ToLeaver)
            FGameID = -1, FInRoom = false;
    } else if (std::holds_alternative<msg::TWaitingRoom>(*m)) {
        FInRoom = true;
    } else if (std::holds_alternative<msg::TTableClosed>(*m)) {
        FInRoom = false;
    }
}

void TNetGameServer::Lost() {
    const bool wasOnline = FOnline;
    FOnline = false;
    if (!FWanted || FRetry)
        return;
    // The server's own stop ended the games without a result: the player was not removed, and the client
    // waits for the server's return, when the renewed login takes it to the lobby.
    if (wasOnline && FSocket && FSocket->closeCode() == QWebSocketProtocol::CloseCodeGoingAway) {
        qCWarning(lcHost).noquote() << "the game server stopped:" << FSocket->closeReason().left(200);
        FStoppedText = FGameID >= 0
                           ? QStringLiteral("Сервер %1 остановлен; игра прервана без результата.").arg(FUrl.toString())
                           : QStringLiteral("Сервер %1 остановлен.").arg(FUrl.toString());
        FGameID = -1;
        FInRoom = false;
        // Its renewed login is the client's news: nothing of it is held back.
        FRejoining = false;
        if (auto handler = OnServerLeft)
            handler();
    } else if (wasOnline) {
        qCWarning(lcHost) << "the link to the game server is lost";
        // The server has let the player go: a game in progress counts as left.
        if (FGameID >= 0)
            Deliver(msg::Build(msg::TPlayerLeft{FGameID, true, msg::kNobody}));
        else if (FInRoom)
            Deliver(msg::Build(msg::TTableClosed{}));
        FGameID = -1;
        FInRoom = false;
        FRejoining = true;
    }
    if (FStoppedText.isEmpty())
        Status(false, QStringLiteral("Нет связи с сервером %1. Новая попытка через %2 с; проверьте сеть и адрес "
                                     "сервера (--server).")
                          .arg(FUrl.toString())
                          .arg(FRetryMs / 1000));
    else
        Status(false, QStringLiteral("%1 Новая попытка через %2 с.").arg(FStoppedText).arg(FRetryMs / 1000));
    FRetry = FClock.Schedule(FRetryMs, [this] { Open(); });
    FRetryMs = std::min(FRetryMs * 2, kLastRetryMs);
}

void TNetGameServer::Deliver(const QString &Message) {
    if (auto handler = OnSend)
        handler(FConn, Message);
}

void TNetGameServer::Status(bool Connected, const QString &Text) {
    if (auto handler = OnStatus)
        handler(Connected, Text);
}

} // namespace trelvo::host
