#pragma once

#include "common/Clock.h"
#include "netserver/Store.h"

#include <QHostAddress>
#include <QObject>
#include <QSslConfiguration>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;
class QSslServer;
class QSslSocket;

namespace trelvo::net {

struct TStatsServiceOptions {
    int MaxConnections = 256;
    qint64 MaxConnectionBytes = 64 * 1024; // all a connection may send, headers and bodies
    int ConnectionTimeoutMs = 20000;       // a connection's whole life
    int MaxFields = 32;
    int MaxFieldUnits = 512; // one form name or value, and one unscrambled field
};

// The statistics web service of the clients over HTTPS: the address a client is seen from, its usage
// and server reports (unscrambled with the key it derived from that address, checked and handed to
// OnReport), and the echo of a reachability check. Every request is untrusted: sizes, connections and
// times are bounded, and a refused report is logged by its size, never by its content.
class TStatsService : public QObject {
public:
    TStatsService(TClock &Clock, TStatsServiceOptions Options = {});
    ~TStatsService() override;

    // False with Error when the address cannot be listened on.
    bool Listen(const QHostAddress &Address, quint16 Port, const QSslConfiguration &Tls, QString &Error);
    quint16 Port() const;

    // A report that passed the checks; it is acknowledged to the client when this returns true.
    std::function<bool(const TStoredReport &Report)> OnReport;
    // Reports kept and refused so far.
    int Kept() const { return FKept; }
    int Refused() const { return FRefused; }

    // The address as the client is told it: IPv4 where the connection is IPv4 inside IPv6.
    static QString AddressText(const QHostAddress &Address);

private:
    void Guard(QSslSocket *Socket);
    void Forget(QSslSocket *Socket);
    QHttpServerResponse Report(const QHttpServerRequest &Request, const QString &Kind, int Fields);
    QHttpServerResponse Check(const QHttpServerRequest &Request);

    TClock &FClock;
    TStatsServiceOptions FOptions;
    std::unique_ptr<QHttpServer> FHttp;
    QSslServer *FTcp = nullptr; // the HTTP server's child
    struct TConnection {
        qint64 Bytes = 0;
        TClock::TId Timer = 0;
    };
    std::map<QSslSocket *, TConnection> FConnections;
    int FKept = 0, FRefused = 0;
};

} // namespace trelvo::net
