#pragma once

#include "stats/Https.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QSslServer>
#include <QString>

#include <vector>

class QSslSocket;

// A local stand-in of the statistics web service and of the public probe, over HTTPS on 127.0.0.1 with
// a certificate made for the tests. Each path answers as the test scripts it, and every request is
// recorded. It runs on the test's thread: the test keeps the Qt event loop turning while it waits.
namespace trelvo::test {

inline const QString kProbePath = QStringLiteral("/probe");

struct TStubAnswer {
    enum class TMode {
        Reply, // answer Body at once
        Echo,  // answer the posted "P" value followed by Body
        Drop,  // close the connection without an answer
        Hold,  // keep the request until ReleaseHeld(), then answer Body
    };
    TMode Mode = TMode::Reply;
    QByteArray Body;
    QByteArray ContentType = "text/html; charset=UTF-8";
    int Status = 200;

    static TStubAnswer Text(const QByteArray &Body, int Status = 200) {
        TStubAnswer answer;
        answer.Body = Body;
        answer.Status = Status;
        return answer;
    }
    static TStubAnswer Echo(const QByteArray &Suffix = {}) { return With(TMode::Echo, Suffix); }
    static TStubAnswer Drop() { return With(TMode::Drop, {}); }
    static TStubAnswer Hold(const QByteArray &Body) { return With(TMode::Hold, Body); }

private:
    static TStubAnswer With(TMode Mode, const QByteArray &Body) {
        TStubAnswer answer;
        answer.Mode = Mode;
        answer.Body = Body;
        return answer;
    }
};

struct TStubRequest {
    QByteArray Method;
    QString Path;
    QByteArray UserAgent;
    QByteArray ContentType;
    QByteArray Body;
    // The form as posted: names and values decoded (a null value: no such field).
    std::vector<TFormField> Form;
    QString Field(const QString &Name) const;
};

class TStatServiceStub : public QObject {
public:
    TStatServiceStub();
    ~TStatServiceStub() override;

    // Points the report threads here and trusts the stub's certificate.
    TStatEndpoint Endpoint(int TimeoutMs = 15000) const;
    // Like Endpoint() but without trusting the certificate.
    TStatEndpoint UntrustedEndpoint() const;

    // Defaults: the probe answers, get_ip gives "127.0.0.1", the reports give "1", check echoes.
    void Script(const QString &Path, const TStubAnswer &Answer) { FAnswers[Path] = Answer; }
    std::vector<TStubRequest> Requests(const QString &Path) const;
    int Count(const QString &Path) const { return int(Requests(Path).size()); }
    int HeldCount() const { return int(FHeld.size()); }
    // Answers every held request.
    void ReleaseHeld();

private:
    struct THeld {
        QSslSocket *Socket;
        TStubAnswer Answer;
        QByteArray Method;
    };
    void Accept();
    void Read(QSslSocket *Socket);
    void Handle(QSslSocket *Socket, TStubRequest Request);
    static void Respond(QSslSocket *Socket, const QByteArray &Method, const TStubAnswer &Answer,
                        const QByteArray &Body);

    QSslServer FServer;
    QSslCertificate FCertificate;
    QMap<QString, TStubAnswer> FAnswers;
    QMap<QSslSocket *, QByteArray> FBuffers;
    std::vector<TStubRequest> FRequests;
    std::vector<THeld> FHeld;
};

// A URL-encoded form value back to text, reading three-byte surrogate sequences as single code units.
QString DecodeFormValue(const QByteArray &Encoded);

} // namespace trelvo::test
