#include "host/NetGameServer.h"

#include "host/HostLog.h"
#include "host/WsClient.h"
#include "protocol/Session.h"
#include "protocol/Fields.h"
#include "protocol/ServerMessages.h"

#include <QSslError>

#include <algorithm>

namespace trelvo::host {

TNetGameServer::TNetGameServer(TClock &Clock, QUrl Url) : FClock(Clock), FUrl(std::move(Url)) {}

TNetGameServer::~TNetGameServer() {
    FWanted = false;
    if (FRetry)
        FClock.Cancel(FRetry);
    CancelDeadline();
}

IGameServer::TConnId TNetGameServer::Connect(const QString &PlayerName) {
    FName = PlayerName;
    ++FConn;
    FWanted = true;
    FRejoining = false;
    FStoppedText.clear();
    FRetryMs = kFirstRetryMs;
    if (FRetry)
        FClock.Cancel(FRetry);
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
    FSocket->SendText(Message);
}

bool TNetGameServer::RequestTop() {
    if (!FOnline)
        return false;
    FSocket->SendText(net::kTopRequest);
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
    CancelDeadline();
    if (FSocket)
        FSocket->Close();
    Drop();
    Status(false, QStringLiteral("Игра закрыта: с сервером %1 не соединено.").arg(FUrl.toString()));
}

void TNetGameServer::Open() {
    FRetry = 0;
    Drop();
    FSocket = std::make_unique<TWsClient>(kMaxMessageBytes);
    FSocket->OnOpened = [this] { Opened(); };
    FSocket->OnText = [this](const QString &Text) { FOnline ? Frame(Text) : Answer(Text); };
    FSocket->OnClosed = [this](const QString &Why) {
        qCInfo(lcHost).noquote() << "the link to the game server ends:" << Why;
        Lost({}, FSocket && FSocket->CloseCode() == ws::kCloseGoingAway);
    };
    // A certificate that cannot be trusted does not become trustworthy by asking again.
    FSocket->OnSslErrors = [this](const QList<QSslError> &Errors) {
        FWanted = false;
        CancelDeadline();
        qCWarning(lcHost) << "the game server's certificate is not trusted:" << Errors;
        Status(false,
               QStringLiteral("Сервер %1 предъявил сертификат, которому нельзя доверять (%2). Сообщите "
                              "владельцу сервера.")
                   .arg(FUrl.toString(), Errors.isEmpty() ? QString() : Errors.first().errorString()));
    };
    Status(false, QStringLiteral("Подключение к серверу %1…").arg(FUrl.toString()));
    Deadline("the connection and its upgrade");
    FSocket->Open(FUrl);
}

void TNetGameServer::Opened() {
    Deadline("the welcome");
    FSocket->SendText(net::BuildHello({net::kProtocolVersion, FName}));
}

void TNetGameServer::Deadline(const char *Stage) {
    CancelDeadline();
    FDeadline = FClock.Schedule(kStageDeadlineMs, [this, Stage] {
        FDeadline = 0;
        qCWarning(lcHost).noquote() << "the game server missed the deadline of" << Stage;
        Drop();
        Lost(QStringLiteral("Сервер %1 не ответил за %2 с.").arg(FUrl.toString()).arg(kStageDeadlineMs / 1000));
    });
}

void TNetGameServer::CancelDeadline() {
    if (FDeadline)
        FClock.Cancel(FDeadline);
    FDeadline = 0;
}

void TNetGameServer::Drop() {
    if (!FSocket)
        return;
    FSocket->OnOpened = nullptr;
    FSocket->OnText = nullptr;
    FSocket->OnClosed = nullptr;
    FSocket->OnSslErrors = nullptr;
    // It may be inside one of its handlers now.
    FSocket.release()->deleteLater();
}

void TNetGameServer::Answer(const QString &Text) {
    CancelDeadline();
    const auto answer = net::ParseAnswer(Text);
    if (!answer) {
        qCWarning(lcHost).noquote() << "the game server's answer to the hello is no session answer:"
                                    << LogExcerpt(Text);
        FSocket->Close();
        Drop();
        Lost(QStringLiteral("Сервер %1 ответил не так, как отвечает сервер Trelvo.").arg(FUrl.toString()));
        return;
    }
    if (!answer->Accepted) {
        const net::TRefusal reason = answer->Reason;
        // Back after a lost link the server may not yet have let the old session go.
        const bool retry = FRejoining && reason == net::TRefusal::NameTaken;
        qCWarning(lcHost).noquote() << "the game server refuses the login:" << net::RefusalWord(reason);
        if (!retry)
            FWanted = false;
        FSocket->Close();
        Drop();
        if (retry)
            Lost();
        else
            Status(false, net::RefusalText(reason));
        return;
    }
    FOnline = true;
    FStoppedText.clear();
    FWelcomedAt = FClock.Now();
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

void TNetGameServer::Lost(const QString &Why, bool ServerStopped) {
    const bool wasOnline = FOnline;
    FOnline = false;
    CancelDeadline();
    if (!FWanted || FRetry)
        return;
    // A server that welcomes and closes at once is not a session that worked.
    if (wasOnline && FClock.Now() - FWelcomedAt >= kLastingSessionMs)
        FRetryMs = kFirstRetryMs;
    // The server's own stop ended the games without a result: the player was not removed, and the client
    // waits for the server's return, when the renewed login takes it to the lobby.
    if (wasOnline && ServerStopped) {
        qCWarning(lcHost) << "the game server stopped";
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
    if (!FStoppedText.isEmpty())
        Status(false, QStringLiteral("%1 Новая попытка через %2 с.").arg(FStoppedText).arg(FRetryMs / 1000));
    else
        Status(false, QStringLiteral("%1 Новая попытка через %2 с; проверьте сеть и адрес сервера (--server).")
                          .arg(Why.isEmpty() ? QStringLiteral("Нет связи с сервером %1.").arg(FUrl.toString()) : Why)
                          .arg(FRetryMs / 1000));
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
