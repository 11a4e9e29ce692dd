#include "netserver/StatsService.h"

#include "netserver/StatsForm.h"
#include "protocol/StatsCipher.h"
#include "protocol/StatsReport.h"
#include "server/Log.h"

#include <QDateTime>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QPointer>
#include <QSslServer>
#include <QSslSocket>

namespace trelvo::net {

namespace {

const QByteArray kTextType = QByteArrayLiteral("text/html; charset=UTF-8");

QHttpServerResponse Answer(const QString &Text) {
    return QHttpServerResponse(kTextType, Text.toUtf8());
}

bool Digits(const QString &Text, int MaxUnits) {
    if (Text.isEmpty() || Text.size() > MaxUnits)
        return false;
    for (QChar c : Text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

TStatsService::TStatsService(TClock &Clock, TStatsServiceOptions Options) : FClock(Clock), FOptions(Options) {
    FHttp = std::make_unique<QHttpServer>();
    const auto post = QHttpServerRequest::Method::Post;
    FHttp->route(kPathGetIP, post, [](const QHttpServerRequest &Request) {
        return Answer(AddressText(Request.remoteAddress()));
    });
    FHttp->route(kPathReportStart, post, [this](const QHttpServerRequest &Request) {
        return Report(Request, QStringLiteral("start"), kStartFields);
    });
    FHttp->route(kPathReportServer, post, [this](const QHttpServerRequest &Request) {
        return Report(Request, QStringLiteral("server"), kServerFields);
    });
    FHttp->route(kPathCheck, post, [this](const QHttpServerRequest &Request) { return Check(Request); });
}

TStatsService::~TStatsService() {
    for (auto &[socket, connection] : FConnections) {
        if (connection.Timer)
            FClock.Cancel(connection.Timer);
        QObject::disconnect(socket, nullptr, this, nullptr);
    }
}

bool TStatsService::Listen(const QHostAddress &Address, quint16 Port, const QSslConfiguration &Tls,
                           QString &Error) {
    delete FTcp;
    FTcp = new QSslServer(FHttp.get());
    FTcp->setSslConfiguration(Tls);
    FTcp->setHandshakeTimeout(FOptions.ConnectionTimeoutMs);
    // Sockets are guarded from their first byte: the HTTP layer itself bounds neither sizes nor times.
    QObject::connect(FTcp, &QSslServer::startedEncryptionHandshake, this,
                     [this](QSslSocket *Socket) { Guard(Socket); });
    if (!FTcp->listen(Address, Port)) {
        Error = QStringLiteral("cannot listen on %1:%2 for statistics: %3")
                    .arg(Address.toString())
                    .arg(Port)
                    .arg(FTcp->errorString());
        return false;
    }
    FHttp->bind(FTcp);
    qCInfo(server::lcServer).noquote()
        << QStringLiteral("statistics service on https://%1:%2").arg(Address.toString()).arg(this->Port());
    return true;
}

quint16 TStatsService::Port() const {
    return FTcp ? FTcp->serverPort() : 0;
}

QString TStatsService::AddressText(const QHostAddress &Address) {
    bool v4 = false;
    const quint32 ip = Address.toIPv4Address(&v4);
    return v4 ? QHostAddress(ip).toString() : Address.toString();
}

void TStatsService::Guard(QSslSocket *Socket) {
    if (static_cast<int>(FConnections.size()) >= FOptions.MaxConnections) {
        qCWarning(server::lcServer) << "statistics: too many connections; one from" << Socket->peerAddress()
                                    << "refused";
        Socket->abort();
        return;
    }
    TConnection &connection = FConnections[Socket];
    QPointer<QSslSocket> socket(Socket);
    connection.Timer = FClock.Schedule(FOptions.ConnectionTimeoutMs, [this, socket] {
        if (!socket)
            return;
        FConnections[socket.data()].Timer = 0;
        qCWarning(server::lcServer) << "statistics: a connection from" << socket->peerAddress() << "outlived"
                                    << FOptions.ConnectionTimeoutMs << "ms";
        socket->abort();
    });
    // Connected before the HTTP layer's own reader, so a peer over the limit is cut before its bytes are
    // taken.
    QObject::connect(Socket, &QSslSocket::readyRead, this, [this, Socket] {
        auto it = FConnections.find(Socket);
        if (it == FConnections.end())
            return;
        it->second.Bytes += Socket->bytesAvailable();
        if (it->second.Bytes > FOptions.MaxConnectionBytes) {
            qCWarning(server::lcServer) << "statistics: a connection from" << Socket->peerAddress()
                                        << "sent over" << FOptions.MaxConnectionBytes << "bytes; closed";
            ++FRefused;
            Forget(Socket);
            Socket->abort();
        }
    });
    QObject::connect(Socket, &QObject::destroyed, this, [this, Socket] { Forget(Socket); });
    QObject::connect(Socket, &QSslSocket::disconnected, this, [this, Socket] { Forget(Socket); });
}

void TStatsService::Forget(QSslSocket *Socket) {
    auto it = FConnections.find(Socket);
    if (it == FConnections.end())
        return;
    if (it->second.Timer)
        FClock.Cancel(it->second.Timer);
    FConnections.erase(it);
}

QHttpServerResponse TStatsService::Report(const QHttpServerRequest &Request, const QString &Kind,
                                          int Fields) {
    const QString address = AddressText(Request.remoteAddress());
    const QByteArray body = Request.body();
    auto refuse = [&](const char *Why) {
        ++FRefused;
        qCWarning(server::lcServer).noquote() << QStringLiteral("statistics: a %1 report of %2 bytes from %3 "
                                                                "refused: %4")
                                                     .arg(Kind)
                                                     .arg(body.size())
                                                     .arg(address, QLatin1String(Why));
        return Answer(QStringLiteral("0"));
    };
    const auto form = ReadForm(body, FOptions.MaxFields, FOptions.MaxFieldUnits);
    if (!form)
        return refuse("not a bounded form");
    if (static_cast<int>(form->size()) != Fields)
        return refuse("not the report's fields");
    const QString key = DeriveKey(address);
    TStoredReport report;
    report.AtMs = QDateTime::currentMSecsSinceEpoch();
    report.Kind = Kind;
    report.Address = address;
    for (int i = 0; i < Fields; ++i) {
        const TFormPair &pair = (*form)[static_cast<std::size_t>(i)];
        if (pair.Name != ReportFieldName(i))
            return refuse("not the report's fields");
        const QString value = UnscrambleField(pair.Value, key);
        if (!PlainText(value, FOptions.MaxFieldUnits))
            return refuse("a field unscrambles to junk");
        report.Fields << value;
    }
    if (Kind == QLatin1String("start"))
        // A wrong key turns the number fields' digits into anything else.
        for (int i : kStartNumberFields)
            if (!Digits(report.Fields[i], 10))
                return refuse("a number field unscrambles to junk");
    if (!OnReport || !OnReport(report))
        return refuse("the store is not taking reports");
    ++FKept;
    return Answer(QStringLiteral("1"));
}

QHttpServerResponse TStatsService::Check(const QHttpServerRequest &Request) {
    const auto form = ReadForm(Request.body(), 1, 16);
    if (!form || form->size() != 1 || form->front().Name != QLatin1String("P") ||
        !Digits(form->front().Value, 16))
        return Answer(QStringLiteral("0"));
    return Answer(form->front().Value);
}

} // namespace trelvo::net
