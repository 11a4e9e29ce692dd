#include "host/HostRelay.h"

#include "common/Clock.h"
#include "host/HostLog.h"
#include "protocol/Fields.h"
#include "protocol/GameOutcome.h"
#include "protocol/GameValues.h"
#include "protocol/Protocol.h"
#include "protocol/ServerMessages.h"

namespace trelvo::host {

THostRelay::THostRelay(IGameServer &Server, THostIdentity Identity)
    : FServer(Server), FIdentity(std::move(Identity)) {
    FServer.OnSend = [this](IGameServer::TConnId Conn, const QString &Message) { ServerSent(Conn, Message); };
    FServer.OnServerLeft = [this] {
        Log(QStringLiteral("the game server stopped: the client hears that it left (8)"));
        SendToClient(BuildHostMessage(HostIn::kExitServerBot, QString()));
    };
}

THostRelay::~THostRelay() {
    FServer.OnSend = nullptr;
    FServer.OnServerLeft = nullptr;
    if (FConn >= 0)
        FServer.Disconnect(FConn);
}

void THostRelay::ClientConnected(std::uint64_t GameWindow, QSize GameSize) {
    FOnline = true;
    FEcho = TEcho::None;
    FGate.Reset();
    Log(QStringLiteral("client connected"));
    const THostIdentity &id = FIdentity;
    SendToClient(BuildHostMessage(HostIn::kSetPlayerInfo,
                                  QStringLiteral("%1;%2;%3;%4;%5;%6;%7;")
                                      .arg(id.Name, id.IP, QString::number(id.Gender), id.ServerIP,
                                           id.ChatVersion, id.MD5_CC, id.MD5_Plugin)));
    SendToClient(BuildHostMessage(HostIn::kParentWindow, QStringLiteral("%1;").arg(GameWindow)));
    Resize(GameSize);
    // The server answers the login with its version check at once: relay it as it comes.
    FLoggingIn = true;
    FConn = FServer.Connect(FIdentity.Name);
    FLoggingIn = false;
}

void THostRelay::ClientDisconnected() {
    if (!FOnline)
        return;
    FOnline = false;
    Log(QStringLiteral("client disconnected"));
    if (FConn >= 0) {
        const IGameServer::TConnId conn = FConn;
        FConn = -1;
        FServer.Disconnect(conn);
    }
}

void THostRelay::ClientMessage(const QString &Text) {
    int pos = 1;
    QString field;
    GetField(field, Text, pos);
    int code = 0;
    if (!TryStrToInt(field, code)) {
        Log(QStringLiteral("client sent a message without a code: %1").arg(LogExcerpt(Text)));
        return;
    }
    const QString payload = Text.mid(pos - 1);
    switch (code) {
    case HostOut::kServerMessage:
        Log(QStringLiteral("client → server: %1").arg(LogExcerpt(payload)));
        FGate.FromClient(payload);
        if (FConn >= 0)
            FServer.Receive(FConn, payload);
        break;
    case HostOut::kCheckVersionResult:
        CheckEcho(payload);
        break;
    case HostOut::kStopPlugin:
        Log(QStringLiteral("client asks the plug-in to stop (22): closing the pipe"));
        if (OnStopRequested)
            OnStopRequested();
        break;
    case HostOut::kError:
        FGate.ClientError();
        Log(QStringLiteral("client could not read a field from the game server (23;%1)")
                .arg(LogExcerpt(payload)));
        if (Milestone(FClientErrors))
            qCWarning(lcHost).noquote() << "client reports a bad game-server field (" << FClientErrors
                                        << "so far):" << LogExcerpt(Text);
        break;
    case HostOut::kTextError:
        Log(QStringLiteral("client error text (25): %1").arg(LogExcerpt(payload)));
        if (Milestone(FClientErrors))
            qCWarning(lcHost).noquote() << "client error text (" << FClientErrors << "errors so far):"
                                        << LogExcerpt(payload);
        break;
    default:
        Log(QStringLiteral("client sent an unknown message: %1").arg(LogExcerpt(Text)));
        break;
    }
}

void THostRelay::CheckEcho(const QString &Payload) {
    int echo = 0;
    const bool number = TryStrToInt(Payload, echo);
    if (FEcho == TEcho::Awaiting && number && echo == FExpectedEcho) {
        FEcho = TEcho::Confirmed;
        Log(QStringLiteral("client confirmed the version check (11;%1)").arg(LogExcerpt(Payload)));
    } else {
        FEcho = TEcho::Wrong;
        Log(QStringLiteral("client's version-check answer 11;%1 does not match %2")
                .arg(LogExcerpt(Payload))
                .arg(FExpectedEcho));
        qCWarning(lcHost) << "unexpected version-check answer" << LogExcerpt(Payload) << "expected"
                          << FExpectedEcho;
    }
}

void THostRelay::ServerSent(IGameServer::TConnId Conn, const QString &Message) {
    if (!FOnline || (Conn != FConn && !FLoggingIn))
        return;
    if (msg::IsHostOnlyMessage(Message)) {
        Log(QStringLiteral("server → host: %1").arg(LogExcerpt(Message)));
        if (auto handler = OnHostMessage)
            handler(Message);
        return;
    }
    switch (FGate.FromServer(Message, TClock::Current().Now())) {
    case TRelayGate::TVerdict::Unreadable:
        Refuse(FUnreadable, "its subcode is not a number", Message);
        return;
    case TRelayGate::TVerdict::Surplus:
        Refuse(FSurplus, "the client has not yet answered or asked for the last one", Message);
        return;
    case TRelayGate::TVerdict::Pass:
        break;
    }
    int subcode = 0;
    QStringView payload;
    // Only a version check is read whole; everything else is relayed unread.
    if (msg::SplitSubcode(Message, subcode, payload) && subcode == ServerIn::kCheckVersion) {
        // The client returns the echo when it accepts the version, and -1 when it does not (or when the
        // check cannot be read).
        const auto parsed = msg::ParseServerMessage(Message);
        const auto *check = parsed ? std::get_if<msg::TVersionCheck>(&*parsed) : nullptr;
        FExpectedEcho = check && check->Status == VersionStatus::kAccepted ? check->Echo : -1;
        FEcho = TEcho::Awaiting;
    }
    Log(QStringLiteral("server → client: %1").arg(LogExcerpt(Message)));
    SendToClient(BuildHostMessage(HostIn::kServerMessage, Message));
    if (auto handler = OnRelayed)
        handler(Message);
}

bool THostRelay::Milestone(std::uint64_t &Count) {
    ++Count;
    std::uint64_t mark = 1;
    while (mark * 10 <= Count)
        mark *= 10;
    return Count == mark;
}

void THostRelay::Refuse(std::uint64_t &Count, const char *Why, const QString &Message) {
    if (!Milestone(Count))
        return;
    const QString line = QStringLiteral("server → client refused (%1 so far): %2: %3")
                             .arg(Count)
                             .arg(QLatin1String(Why), LogExcerpt(Message));
    Log(line);
    qCWarning(lcHost).noquote() << line;
}

void THostRelay::Resize(QSize GameSize) {
    SendToClient(BuildHostMessage(HostIn::kChatResize,
                                  QStringLiteral("%1;%2;").arg(GameSize.height()).arg(GameSize.width())));
}

void THostRelay::ShowGame() {
    SendToClient(BuildHostMessage(HostIn::kShowGUI, QString()));
}

void THostRelay::HideGame() {
    SendToClient(BuildHostMessage(HostIn::kHideGUI, QString()));
}

void THostRelay::ShowAbout() {
    SendToClient(BuildHostMessage(HostIn::kShowAboutForm, QString()));
}

void THostRelay::SendToClient(const QString &Text) {
    if (FOnline && OnSendToClient)
        OnSendToClient(Text);
}

void THostRelay::Log(const QString &Line) {
    if (OnLog)
        OnLog(Line);
}

} // namespace trelvo::host
