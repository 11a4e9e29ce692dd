#include "StatServiceStub.h"

#include <QFile>
#include <QSslKey>
#include <QSslSocket>

namespace trelvo::test {

namespace {

QByteArray ReadFile(const QString &Name) {
    QFile file(Name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(Name));
    return file.readAll();
}

QByteArray ReasonOf(int Status) {
    return Status == 200 ? QByteArrayLiteral("OK") : QByteArrayLiteral("Status");
}

} // namespace

QString TStubRequest::Field(const QString &Name) const {
    for (const TFormField &field : Form)
        if (field.Name == Name)
            return field.Value.isNull() ? QStringLiteral("") : field.Value;
    return {};
}

QString DecodeFormValue(const QByteArray &Encoded) {
    QByteArray plus = Encoded;
    plus.replace('+', ' ');
    const QByteArray bytes = QByteArray::fromPercentEncoding(plus);
    QString out;
    for (qsizetype i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t cp = extra == 3 ? lead & 0x07 : extra == 2 ? lead & 0x0F : extra == 1 ? lead & 0x1F : lead;
        ++i;
        for (; extra > 0 && i < bytes.size(); --extra, ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
        if (cp >= 0x10000) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(static_cast<char16_t>(cp));
        }
    }
    return out;
}

TStatServiceStub::TStatServiceStub() {
    const QString dir = QStringLiteral(TRELVO_STATS_TESTDATA);
    FCertificate = QSslCertificate(ReadFile(dir + QStringLiteral("/stub-cert.pem")), QSsl::Pem);
    const QSslKey key(ReadFile(dir + QStringLiteral("/stub-key.pem")), QSsl::Rsa, QSsl::Pem);
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(FCertificate);
    config.setPrivateKey(key);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    FServer.setSslConfiguration(config);
    connect(&FServer, &QTcpServer::pendingConnectionAvailable, this, &TStatServiceStub::Accept);
    if (!FServer.listen(QHostAddress::LocalHost, 0))
        qFatal("the stub cannot listen: %s", qPrintable(FServer.errorString()));

    FAnswers[kProbePath] = TStubAnswer::Text({});
    FAnswers[kPathGetIP] = TStubAnswer::Text("127.0.0.1");
    FAnswers[kPathReportStart] = TStubAnswer::Text("1");
    FAnswers[kPathReportServer] = TStubAnswer::Text("1");
    FAnswers[kPathCheck] = TStubAnswer::Echo();
}

TStatServiceStub::~TStatServiceStub() {
    FServer.close();
    const QList<QSslSocket *> sockets = FBuffers.keys();
    FBuffers.clear();
    FHeld.clear();
    for (QSslSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
    }
}

TStatEndpoint TStatServiceStub::UntrustedEndpoint() const {
    TStatEndpoint endpoint;
    endpoint.ServiceBase = QUrl(QStringLiteral("https://127.0.0.1:%1").arg(FServer.serverPort()));
    endpoint.Probe = endpoint.ServiceBase;
    endpoint.Probe.setPath(kProbePath);
    return endpoint;
}

TStatEndpoint TStatServiceStub::Endpoint(int TimeoutMs) const {
    TStatEndpoint endpoint = UntrustedEndpoint();
    endpoint.ExtraCaCertificates = {FCertificate};
    endpoint.TimeoutMs = TimeoutMs;
    return endpoint;
}

std::vector<TStubRequest> TStatServiceStub::Requests(const QString &Path) const {
    std::vector<TStubRequest> found;
    for (const TStubRequest &request : FRequests)
        if (request.Path == Path)
            found.push_back(request);
    return found;
}

void TStatServiceStub::Accept() {
    while (QTcpSocket *next = FServer.nextPendingConnection()) {
        auto *socket = static_cast<QSslSocket *>(next);
        socket->setParent(this);
        FBuffers[socket];
        connect(socket, &QSslSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QSslSocket::disconnected, this, [this, socket] {
            FBuffers.remove(socket);
            std::erase_if(FHeld, [socket](const THeld &held) { return held.Socket == socket; });
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            Read(socket);
    }
}

void TStatServiceStub::Read(QSslSocket *Socket) {
    FBuffers[Socket] += Socket->readAll();
    for (;;) {
        // A dropped connection leaves the map while its request is handled.
        auto it = FBuffers.find(Socket);
        if (it == FBuffers.end())
            return;
        QByteArray &buffer = *it;
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        TStubRequest request;
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.Method = first.value(0);
        request.Path = QString::fromLatin1(first.value(1));
        qsizetype length = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            const QByteArray name = lines[i].left(colon).trimmed().toLower();
            const QByteArray value = lines[i].mid(colon + 1).trimmed();
            if (name == "content-length")
                length = value.toLongLong();
            else if (name == "user-agent")
                request.UserAgent = value;
            else if (name == "content-type")
                request.ContentType = value;
        }
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.Body = buffer.mid(headerEnd + 4, length);
        buffer.remove(0, headerEnd + 4 + length);
        if (!request.Body.isEmpty()) {
            for (const QByteArray &pair : request.Body.split('&')) {
                const qsizetype eq = pair.indexOf('=');
                request.Form.push_back({DecodeFormValue(pair.left(eq)), DecodeFormValue(pair.mid(eq + 1))});
            }
        }
        Handle(Socket, std::move(request));
    }
}

void TStatServiceStub::Handle(QSslSocket *Socket, TStubRequest Request) {
    FRequests.push_back(Request);
    const TStubAnswer answer = FAnswers.value(Request.Path, TStubAnswer::Text("not found", 404));
    switch (answer.Mode) {
    case TStubAnswer::TMode::Reply:
        Respond(Socket, Request.Method, answer, answer.Body);
        break;
    case TStubAnswer::TMode::Echo:
        Respond(Socket, Request.Method, answer, Request.Field(QStringLiteral("P")).toUtf8() + answer.Body);
        break;
    case TStubAnswer::TMode::Drop:
        Socket->abort();
        break;
    case TStubAnswer::TMode::Hold:
        FHeld.push_back({Socket, answer, Request.Method});
        break;
    }
}

void TStatServiceStub::ReleaseHeld() {
    std::vector<THeld> held;
    held.swap(FHeld);
    for (const THeld &h : held)
        Respond(h.Socket, h.Method, h.Answer, h.Answer.Body);
}

void TStatServiceStub::Respond(QSslSocket *Socket, const QByteArray &Method, const TStubAnswer &Answer,
                               const QByteArray &Body) {
    QByteArray response =
        "HTTP/1.1 " + QByteArray::number(Answer.Status) + ' ' + ReasonOf(Answer.Status) + "\r\n";
    response += "Content-Type: " + Answer.ContentType + "\r\n";
    response += "Content-Length: " + QByteArray::number(Body.size()) + "\r\n";
    response += "Connection: close\r\n\r\n";
    if (Method != "HEAD")
        response += Body;
    Socket->write(response);
    Socket->disconnectFromHost();
}

} // namespace trelvo::test
