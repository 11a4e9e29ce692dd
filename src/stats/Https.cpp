#include "stats/Https.h"

#include "stats/StatsLog.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>

namespace trelvo {

namespace {

// How often a request in flight looks whether the service has been told to stop.
constexpr int kCancelLookMs = 20;

// What the build was configured with; empty unless whoever built the program chose a service.
#ifndef TRELVO_STATS_SERVICE_BUILT
#define TRELVO_STATS_SERVICE_BUILT ""
#endif
#ifndef TRELVO_STATS_PROBE_BUILT
#define TRELVO_STATS_PROBE_BUILT ""
#endif

QUrl Setting(const char *Variable, const char *Built) {
    const QString value =
        qEnvironmentVariableIsSet(Variable) ? qEnvironmentVariable(Variable) : QString::fromUtf8(Built);
    return QUrl(value.trimmed());
}

void AppendCodePoint(QByteArray &Out, char32_t Cp) {
    if (Cp < 0x80) {
        Out += char(Cp);
    } else if (Cp < 0x800) {
        Out += char(0xC0 | (Cp >> 6));
        Out += char(0x80 | (Cp & 0x3F));
    } else if (Cp < 0x10000) {
        Out += char(0xE0 | (Cp >> 12));
        Out += char(0x80 | ((Cp >> 6) & 0x3F));
        Out += char(0x80 | (Cp & 0x3F));
    } else {
        Out += char(0xF0 | (Cp >> 18));
        Out += char(0x80 | ((Cp >> 12) & 0x3F));
        Out += char(0x80 | ((Cp >> 6) & 0x3F));
        Out += char(0x80 | (Cp & 0x3F));
    }
}

bool Unreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '*';
}

QByteArray UrlEncode(const QByteArray &Bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(Bytes.size() * 3);
    for (char c : Bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (Unreserved(c)) {
            out += c;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

QByteArray CharsetOf(const QByteArray &ContentType) {
    for (QByteArray part : ContentType.split(';')) {
        part = part.trimmed();
        if (!part.toLower().startsWith("charset="))
            continue;
        QByteArray name = part.mid(8).trimmed();
        if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
            name = name.mid(1, name.size() - 2);
        return name;
    }
    return {};
}

} // namespace

TStatEndpoint DefaultStatEndpoint() {
    TStatEndpoint endpoint;
    endpoint.ServiceBase = Setting(kStatServiceVariable, TRELVO_STATS_SERVICE_BUILT);
    endpoint.Probe = Setting(kStatProbeVariable, TRELVO_STATS_PROBE_BUILT);
    if (endpoint.Off())
        qCDebug(lcStats, "no statistics web service is configured: reporting is off");
    return endpoint;
}

QByteArray EncodeUtf8Units(const QString &Text) {
    QByteArray out;
    out.reserve(Text.size() * 3);
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const char16_t unit = Text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < Text.size() && Text[i + 1].isLowSurrogate()) {
            AppendCodePoint(out, QChar::surrogateToUcs4(unit, Text[i + 1].unicode()));
            ++i;
        } else {
            AppendCodePoint(out, unit);
        }
    }
    return out;
}

QByteArray EncodeForm(const TPostData &Form) {
    QByteArray body;
    for (const TFormField &field : Form) {
        if (!body.isEmpty())
            body += '&';
        body += UrlEncode(field.Name.toUtf8());
        body += '=';
        body += UrlEncode(EncodeUtf8Units(field.Value));
    }
    return body;
}

QString THttpResponse::Text() const {
    QByteArray charset = CharsetOf(ContentType);
    if (charset.isEmpty())
        charset = "UTF-8";
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        throw EHttpContentError("the answer's charset \"" + charset.toStdString() + "\" is unknown");
    return decoder.decode(Body);
}

THttpsClient::THttpsClient(const TStatEndpoint &Endpoint)
    : FManager(std::make_unique<QNetworkAccessManager>()), FSsl(QSslConfiguration::defaultConfiguration()),
      FTimeoutMs(Endpoint.TimeoutMs) {
    // The loop ends when the manager reports any reply finished, never through a connection to the reply
    // itself: Qt's HTTP thread may release the reply's last connections, and a slot object of ours
    // among them would be freed on that thread.
    QObject::connect(FManager.get(), &QNetworkAccessManager::finished, &FLoop, &QEventLoop::quit);
    FSsl.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!Endpoint.ExtraCaCertificates.isEmpty())
        FSsl.addCaCertificates(Endpoint.ExtraCaCertificates);
}

THttpsClient::~THttpsClient() = default;

QNetworkRequest THttpsClient::Request(const QUrl &Url) const {
    QNetworkRequest request(Url);
    request.setSslConfiguration(FSsl);
    request.setHeader(QNetworkRequest::UserAgentHeader, kUserAgent);
    return request;
}

void THttpsClient::Cancel() {
    // Only the flag crosses threads: the waiting request looks at it on its own thread, so no Qt object
    // is made on this thread and freed on that one.
    FCancelled.store(true);
}

THttpResponse THttpsClient::Head(const QUrl &Url) {
    if (FCancelled.load())
        throw ENetworkError("cancelled");
    return Wait(FManager->head(Request(Url)));
}

THttpResponse THttpsClient::Post(const QUrl &Url, const TPostData &Form) {
    if (FCancelled.load())
        throw ENetworkError("cancelled");
    QNetworkRequest request = Request(Url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, kFormContentType);
    return Wait(FManager->post(request, EncodeForm(Form)));
}

THttpResponse THttpsClient::Wait(QNetworkReply *Reply) {
    std::unique_ptr<QNetworkReply> reply(Reply);
    bool timedOut = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &FLoop, [&] {
        timedOut = true;
        reply->abort();
    });
    timer.start(FTimeoutMs);
    QTimer cancelLook;
    QObject::connect(&cancelLook, &QTimer::timeout, &FLoop, [this] {
        if (FCancelled.load())
            FLoop.quit();
    });
    cancelLook.start(kCancelLookMs);
    while (!reply->isFinished() && !FCancelled.load())
        FLoop.exec();
    timer.stop();
    if (!reply->isFinished()) {
        reply->abort();
        throw ENetworkError(reply->url().toString().toStdString() + ": cancelled");
    }

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QNetworkReply::NetworkError error = reply->error();
    // Connection and proxy errors (below the content errors) mean no answer; an HTTP error status is
    // an answer like any other.
    if (timedOut || (error != QNetworkReply::NoError &&
                     (error < QNetworkReply::ContentAccessDenied || !status.isValid()))) {
        const QString why = timedOut ? QStringLiteral("no answer in time") : reply->errorString();
        throw ENetworkError(reply->url().toString().toStdString() + ": " + why.toStdString());
    }
    THttpResponse response;
    response.StatusCode = status.toInt();
    response.ContentType = reply->rawHeader("Content-Type");
    response.Body = reply->readAll();
    return response;
}

} // namespace trelvo
