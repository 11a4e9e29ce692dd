#pragma once

#include "common/Exceptions.h"
#include "protocol/StatsReport.h"

#include <QByteArray>
#include <QEventLoop>
#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

// The HTTPS requests of the report threads: where they go, the form encoding, and a client that runs
// one request at a time synchronously on the calling thread.
namespace trelvo {

// Where reports go. The program uses DefaultStatEndpoint(); tests point the threads at a local
// stand-in of the web service, which they trust through ExtraCaCertificates.
struct TStatEndpoint {
    QUrl ServiceBase; // scheme and host (and port); the request paths are appended; empty: reporting off
    QUrl Probe;       // the site whose answer shows that the internet is reachable; empty: not asked
    QList<QSslCertificate> ExtraCaCertificates;
    int TimeoutMs = 15000; // per request, so that a dead network never keeps a thread alive

    // Nobody configured a web service: every report fails at once and nothing leaves the process.
    bool Off() const { return ServiceBase.isEmpty(); }
};

// The environment variables that name the web service and the probe. Set (even empty), each replaces
// the value the build was configured with (CMake cache TRELVO_STATS_SERVICE, TRELVO_STATS_PROBE),
// which is empty unless whoever built the program chose a service.
inline constexpr char kStatServiceVariable[] = "TRELVO_STATS_SERVICE";
inline constexpr char kStatProbeVariable[] = "TRELVO_STATS_PROBE";

TStatEndpoint DefaultStatEndpoint();

inline const QByteArray kUserAgent =
    QByteArrayLiteral("Mozilla/5.0 (Windows NT 6.1; Win64; x64; rv:44.0) Gecko/20100101 Firefox/44.0");
inline const QByteArray kFormContentType =
    QByteArrayLiteral("application/x-www-form-urlencoded; charset=UTF-8");

// One line of a form: the name (without "=") and its value.
struct TFormField {
    QString Name;
    QString Value;
    bool operator==(const TFormField &) const = default;
};
using TPostData = std::vector<TFormField>;

// "name=value&name=value", each value as UTF-8, URL-encoded ("+" for a blank). A code unit of the
// surrogate range that is not half of a pair is written as its own three-byte sequence, so that every
// scrambled value reaches the web service whole.
QByteArray EncodeForm(const TPostData &Form);
// UTF-8 bytes of the text with lone surrogates kept as described above.
QByteArray EncodeUtf8Units(const QString &Text);

// A network-level failure: no answer arrived (refused, reset, time-out, certificate rejected).
TRELVO_EXCEPTION(ENetworkError, Exception);
// An answer that cannot be read as text.
TRELVO_EXCEPTION(EHttpContentError, Exception);

struct THttpResponse {
    int StatusCode = 0;
    QByteArray ContentType;
    QByteArray Body;
    // The body in the charset the answer declares (UTF-8 when it declares none); raises
    // EHttpContentError for a charset nobody knows.
    QString Text() const;
};

// Requests run synchronously on the thread that made the client, inside a local event loop; a request
// that gets no answer within the endpoint's time-out fails. Certificates are verified against the
// system's trusted authorities (and the endpoint's extra ones).
class THttpsClient {
public:
    explicit THttpsClient(const TStatEndpoint &Endpoint);
    ~THttpsClient();
    THttpsClient(const THttpsClient &) = delete;
    THttpsClient &operator=(const THttpsClient &) = delete;

    // Any answer, whatever its status, counts; a failure without an answer raises ENetworkError.
    THttpResponse Head(const QUrl &Url);
    THttpResponse Post(const QUrl &Url, const TPostData &Form);

    // From any thread: the request in flight is aborted and every later one fails at once
    // (ENetworkError), so that the thread running this client ends without waiting for the network.
    void Cancel();

private:
    QNetworkRequest Request(const QUrl &Url) const;
    THttpResponse Wait(QNetworkReply *Reply);

    // Made first: the thread needs an event dispatcher before the manager starts its work.
    QEventLoop FLoop;
    std::unique_ptr<QNetworkAccessManager> FManager;
    QSslConfiguration FSsl;
    int FTimeoutMs;
    std::atomic<bool> FCancelled{false};
};

} // namespace trelvo
