// trelvo-server's statistics web service against the client's real report threads (TStatistics) over
// real HTTPS, with a certificate made for each run, and against hostile posts.
#include "SpawnedProcess.h"
#include "SpinUntil.h"

#include "netserver/ServerOptions.h"
#include "netserver/StatsForm.h"
#include "netserver/StatsService.h"
#include "netserver/Store.h"
#include "stats/Encryption.h"
#include "stats/StatSend.h"
#include "stats/Statistics.h"
#include "sync/ThreadQueue.h"

#include <QRegularExpression>
#include <QSocketNotifier>
#include <QSslSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace trelvo;
using namespace trelvo::net;
using trelvo::test::SpinUntil;
using trelvo::test::TSpawnedProcess;

namespace {

constexpr int kDeadlineMs = 60000;

// A self-signed certificate for 127.0.0.1, made by openssl for this run only.
struct TTestCertificate {
    QTemporaryDir Dir;
    QString Cert = Dir.filePath(QStringLiteral("cert.pem")), Key = Dir.filePath(QStringLiteral("key.pem"));
    bool Make() {
        TSpawnedProcess openssl(QStringLiteral("openssl"),
                                {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                                 "-nodes", "-keyout", Key, "-out", Cert, "-days", "2", "-subj",
                                 "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
        return openssl.WaitForFinished(30000) && openssl.ExitedNormally() && openssl.ExitCode() == 0;
    }
};

// A plain HTTPS post, as a hostile peer would send it; the answer's body, or nullopt when the connection
// closed without one.
std::optional<QByteArray> Post(quint16 Port, const QString &Path, const QByteArray &Body) {
    QSslSocket socket;
    socket.setPeerVerifyMode(QSslSocket::VerifyNone);
    QByteArray got;
    bool closed = false;
    QObject::connect(&socket, &QSslSocket::readyRead, [&] { got += socket.readAll(); });
    QObject::connect(&socket, &QSslSocket::disconnected, [&] { closed = true; });
    QObject::connect(&socket, &QSslSocket::errorOccurred, [&] { closed = true; });
    socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), Port);
    if (!SpinUntil([&] { return socket.isEncrypted() || closed; }, kDeadlineMs) || closed)
        return std::nullopt;
    socket.write("POST " + Path.toLatin1() +
                 " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                 "Content-Length: " +
                 QByteArray::number(Body.size()) + "\r\nConnection: close\r\n\r\n");
    // Written in pieces, as a large body arrives.
    for (qsizetype at = 0; at < Body.size() && !closed; at += 16384) {
        socket.write(Body.mid(at, 16384));
        SpinUntil([&] { return socket.bytesToWrite() == 0 || closed; }, kDeadlineMs);
    }
    // The whole answer: its head, then as many bytes as the head says.
    const auto whole = [&] {
        const qsizetype head = got.indexOf("\r\n\r\n");
        const qsizetype length = got.toLower().indexOf("content-length:");
        if (head < 0 || length < 0)
            return false;
        const qsizetype end = got.indexOf("\r\n", length);
        return got.size() >= head + 4 + got.mid(length + 15, end - length - 15).trimmed().toLongLong();
    };
    SpinUntil([&] { return closed || whole(); }, kDeadlineMs);
    const qsizetype head = got.indexOf("\r\n\r\n");
    if (head < 0)
        return std::nullopt;
    return got.mid(head + 4);
}

QByteArray FormOf(const TPostData &Form) {
    QByteArray body;
    for (const TFormField &field : Form) {
        if (!body.isEmpty())
            body += '&';
        body += field.Name.toUtf8() + '=' + field.Value.toUtf8().toPercentEncoding();
    }
    return body;
}

class StatsServiceTest : public ::testing::Test {
protected:
    StatsServiceTest() : FScope(Clock), FPump(TThreadQueue::Current().EventFd(), QSocketNotifier::Read) {
        QObject::connect(&FPump, &QSocketNotifier::activated, [] { ProcessMessages(); });
    }
    void SetUp() override {
        ASSERT_TRUE(Certificate.Make()) << "openssl could not make a certificate";
        QString error;
        const auto tls = ReadTls(Certificate.Cert, Certificate.Key, error);
        ASSERT_TRUE(tls) << error.toStdString();
        Tls = *tls;
        ASSERT_TRUE(Db.Open(error)) << error.toStdString();
        Service = std::make_unique<TStatsService>(Clock);
        Service->OnReport = [this](const TStoredReport &Report) {
            TStoreWrite write;
            write.Report = Report;
            bool retry = false;
            QString why;
            return Db.Write(write, why, retry);
        };
        ASSERT_TRUE(Service->Listen(QHostAddress::LocalHost, 0, Tls, error)) << error.toStdString();
    }
    void TearDown() override {
        EXPECT_TRUE(SpinUntil([] { return TReportThread::LiveCount() == 0; }, kDeadlineMs));
    }
    TStatEndpoint Endpoint(quint16 Port) const {
        TStatEndpoint endpoint;
        endpoint.ServiceBase = QUrl(QStringLiteral("https://127.0.0.1:%1").arg(Port));
        endpoint.ExtraCaCertificates = QSslCertificate::fromPath(Certificate.Cert);
        return endpoint;
    }
    std::unique_ptr<TStatistics> Client(quint16 Port) {
        auto client = std::make_unique<TStatistics>(Endpoint(Port));
        client->OnRedirect = [this](const QString &Text) { Redirects << Text; };
        client->OnEndSendRedirect = [this](bool Sent) { RedirectsSent.push_back(Sent); };
        client->OnSendSrvInfo = [this](bool Sent) { ServerInfoSent.push_back(Sent); };
        client->OnStateConnected = [this](bool &Connected, const QString &) { Checks.push_back(Connected); };
        return client;
    }
    bool ThreadsEnded() {
        return SpinUntil([] { return TReportThread::LiveCount() == 0; }, kDeadlineMs);
    }

    TManualClock Clock;
    TTestCertificate Certificate;
    QSslConfiguration Tls;
    QTemporaryDir Dir;
    TStoreDb Db{Dir.filePath(QStringLiteral("store.sqlite"))};
    std::unique_ptr<TStatsService> Service;
    QStringList Redirects;
    std::vector<bool> RedirectsSent, ServerInfoSent, Checks;

private:
    TClockScope FScope;
    QSocketNotifier FPump;
};

// The client's own report is accepted (end code 1: no redirect) and kept unscrambled; the check's
// challenge is echoed; the server report is acknowledged.
TEST_F(StatsServiceTest, TheRealClientsReportsArriveAndAreKept) {
    auto client = Client(Service->Port());
    const QString id = QStringLiteral("ид-42😀");
    client->SetPlayerID(id);
    client->Send();
    Clock.Advance(kSendDelayMs);
    client->CheckInternetConnected(QStringLiteral("start"));
    client->SendServerInfo(QStringLiteral("1.30"), QStringLiteral("aa"), QStringLiteral("bb"),
                           QStringLiteral("1.2"));
    ASSERT_TRUE(
        SpinUntil([&] { return Service->Kept() == 2 && Checks.size() == 1 && ServerInfoSent.size() == 1; },
                  kDeadlineMs));
    ASSERT_TRUE(ThreadsEnded());
    EXPECT_TRUE(Redirects.isEmpty()) << Redirects.value(0).left(2).toStdString();
    EXPECT_EQ(Checks, std::vector<bool>{true});
    EXPECT_EQ(ServerInfoSent, std::vector<bool>{true});
    const std::vector<TStoredReport> reports = Db.Reports();
    ASSERT_EQ(reports.size(), 2u);
    const TStoredReport &own = reports[0].Kind == QLatin1String("start") ? reports[0] : reports[1];
    const TStoredReport &server = reports[0].Kind == QLatin1String("start") ? reports[1] : reports[0];
    ASSERT_EQ(own.Fields.size(), 17);
    EXPECT_EQ(own.Fields[1], id);
    EXPECT_EQ(own.Fields[13], QStringLiteral("1"));
    EXPECT_EQ(own.Address, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(server.Fields, (QStringList{"1.30", "", "aa", "bb", "1.2"}));
    const TStatsSummary summary = Db.Summary();
    EXPECT_EQ(summary.Reports, 1);
    EXPECT_EQ(summary.Redirected, 0);
    EXPECT_EQ(summary.ServerReports, 1);
}

// The end codes the client reaches here: 4 when the service refuses its report (a field over the bound),
// 3 when the service is down; the failed record then comes through another client and is counted as
// redirected.
TEST_F(StatsServiceTest, RefusedAndUndeliveredReportsComeBackThroughAnotherClient) {
    struct Case {
        const char *Name;
        bool Down;
        QString ID;
        QString EndCode;
    };
    const Case cases[] = {{"refused", false, QString(600, u'9'), "4"}, {"service down", true, "77", "3"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        Redirects.clear();
        quint16 port = Service->Port();
        std::unique_ptr<TStatsService> dead;
        if (c.Down) {
            dead = std::make_unique<TStatsService>(Clock);
            QString error;
            ASSERT_TRUE(dead->Listen(QHostAddress::LocalHost, 0, Tls, error));
            port = dead->Port();
            dead.reset();
        }
        auto failing = Client(port);
        failing->SetPlayerID(c.ID);
        failing->Send();
        Clock.Advance(kSendDelayMs);
        ASSERT_TRUE(SpinUntil([&] { return Redirects.size() == 1; }, kDeadlineMs));
        ASSERT_TRUE(ThreadsEnded());
        EXPECT_TRUE(Redirects[0].startsWith(c.EndCode + u';'));
    }
    // Another client posts the last failed record for it: KindPost carries the end code.
    auto helper = Client(Service->Port());
    TStatInfo info;
    info.KindPost = 3;
    info.ID = QStringLiteral("77");
    info.ScreenSizeX = 1366;
    info.ScreenSizeY = 768;
    info.OS = QStringLiteral("Linux");
    info.PluginVersion = QStringLiteral("1.30");
    helper->SendRedirect(info);
    ASSERT_TRUE(SpinUntil([&] { return RedirectsSent.size() == 1; }, kDeadlineMs));
    EXPECT_EQ(RedirectsSent, std::vector<bool>{true});
    const TStatsSummary summary = Db.Summary();
    EXPECT_EQ(summary.Reports, 1);
    EXPECT_EQ(summary.Redirected, 1);
    ASSERT_FALSE(summary.ByScreen.empty());
    EXPECT_EQ(summary.ByScreen[0].first, QStringLiteral("1366x768"));
    EXPECT_EQ(summary.ByVersion[0].first, QStringLiteral("1.30"));
}

// Hostile posts: each is refused without an answer that claims success, nothing is kept, and the
// service answers the next honest request.
TEST_F(StatsServiceTest, HostileBodiesAreRefusedAndNothingIsKept) {
    TStatInfo info;
    info.ID = QStringLiteral("1");
    info.ScreenSizeX = 800;
    info.ScreenSizeY = 600;
    info.KindPost = 1;
    const QByteArray honest = FormOf(ReportForm(info, DeriveKey(QStringLiteral("127.0.0.1"))));
    struct Case {
        const char *Name;
        QByteArray Body;
    };
    static const char kJunk[] = "\xff\xfe\x00\x01&&&==%%%zz";
    const Case cases[] = {
        {"oversized", QByteArray(300 * 1024, 'A')},
        {"junk bytes", QByteArray(kJunk, sizeof kJunk - 1)},
        {"wrong key", FormOf(ReportForm(info, DeriveKey(QStringLiteral("10.9.8.7"))))},
        {"too few fields", honest.left(honest.indexOf("&P17="))},
        {"renamed field", QByteArray(honest).replace("P3=", "X3=")},
        {"too many fields", honest + QByteArray("&P18=1").repeated(40)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        const auto answer = Post(Service->Port(), kPathReportStart, c.Body);
        EXPECT_TRUE(!answer || *answer == "0") << answer->left(40).toStdString();
    }
    EXPECT_TRUE(Db.Reports().empty());
    EXPECT_EQ(Post(Service->Port(), kPathGetIP, {}), QByteArray("127.0.0.1"));
    EXPECT_EQ(Post(Service->Port(), kPathReportStart, honest), QByteArray("1"));
    EXPECT_EQ(Post(Service->Port(), kPathCheck, "P=123456"), QByteArray("123456"));
    EXPECT_EQ(Post(Service->Port(), kPathCheck, "P=12;rm"), QByteArray("0"));
    EXPECT_EQ(Db.Reports().size(), 1u);
}

// The program as deployed: a client's report reaches trelvo-server's service, SIGTERM ends the server with
// the report written, and --stats-summary lists it.
TEST_F(StatsServiceTest, AReportToTheProgramIsListedByItsSummary) {
    const QString db = Dir.filePath(QStringLiteral("server.sqlite"));
    TSpawnedProcess server(QStringLiteral(TRELVO_SERVER_BINARY),
                           {"--db", db, "--listen", "127.0.0.1:0", "--stats-listen", "127.0.0.1:0",
                            "--stats-cert", Certificate.Cert, "--stats-key", Certificate.Key});
    ASSERT_TRUE(server.Started());
    QString log;
    const QRegularExpression listening(
        QStringLiteral("statistics service on https://127\\.0\\.0\\.1:([0-9]+)"));
    quint16 port = 0;
    ASSERT_TRUE(SpinUntil(
        [&] {
            log += QString::fromLocal8Bit(server.ReadStandardError());
            const auto match = listening.match(log);
            port = match.hasMatch() ? static_cast<quint16>(match.captured(1).toInt()) : 0;
            return port != 0 || !server.Running();
        },
        kDeadlineMs));
    ASSERT_NE(port, 0) << log.toStdString();
    auto client = Client(port);
    client->SetPlayerID(QStringLiteral("501"));
    client->Send();
    Clock.Advance(kSendDelayMs);
    ASSERT_TRUE(ThreadsEnded());
    EXPECT_TRUE(Redirects.isEmpty());
    server.Terminate();
    ASSERT_TRUE(server.WaitForFinished(kDeadlineMs));
    EXPECT_TRUE(server.ExitedNormally());
    EXPECT_EQ(server.ExitCode(), 0);
    TSpawnedProcess summary(QStringLiteral(TRELVO_SERVER_BINARY), {"--db", db, "--stats-summary"});
    ASSERT_TRUE(summary.WaitForFinished(kDeadlineMs));
    EXPECT_EQ(summary.ExitCode(), 0);
    EXPECT_TRUE(summary.ReadStandardOutput().contains("usage reports: 1 (0 redirected"));
}

// The server's reading undoes the client's scrambling for every key and text, lone surrogates included.
TEST(StatsForm, UnscramblingUndoesTheClientsScrambling) {
    const QString texts[] = {QStringLiteral("Linux 6.1"), QStringLiteral("Петя😀"), QString(1, QChar(0xD800)),
                             QString(300, u'z')};
    const QString addresses[] = {QStringLiteral("127.0.0.1"), QStringLiteral("203.0.113.250"),
                                 QStringLiteral("::1")};
    for (const QString &address : addresses) {
        for (const QString &text : texts)
            EXPECT_EQ(UnscrambleField(ScrambleField(text, DeriveKey(address)), DeriveKey(address)), text);
    }
}

} // namespace
