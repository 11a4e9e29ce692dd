#include "stats/CheckInternet.h"
#include "stats/Encryption.h"
#include "stats/SendServerInfo.h"
#include "stats/StatSend.h"

#include "StubFixture.h"

#include <memory>

namespace trelvo {
namespace {

using test::kDeadlineMs;
using test::kProbePath;
using test::SpinUntil;
using test::TStubAnswer;

class ReportThreads : public test::TStubFixture {
protected:
    // Runs a thread to its end; its result fields are read afterwards, as the service does.
    template <typename T> void RunToEnd(T &Thread) {
        Thread.Run();
        ASSERT_TRUE(SpinUntil([&] { return Thread.Finished(); }, kDeadlineMs));
    }

    std::uint8_t SendReport(const TStatEndpoint &Endpoint, const TStatInfo &Info = {}) {
        auto thread = TThreadEx::Create<TStatSend>(Endpoint);
        thread->SetStatInfo(Info);
        RunToEnd(*thread);
        return thread->EndCode();
    }

    bool SendServer(const TServerInfo &Info) {
        auto thread = TThreadEx::Create<TSendServerInfo>(Stub.Endpoint());
        thread->SetServerInfo(Info);
        RunToEnd(*thread);
        return thread->Sent();
    }

    bool Check() {
        auto thread = TThreadEx::Create<TCheckInternet>(Stub.Endpoint());
        RunToEnd(*thread);
        return thread->Conected();
    }
};

TStatInfo SampleRecord() {
    TStatInfo info;
    info.Name = QStringLiteral("Вася;Пупкин");
    info.ID = QStringLiteral("4711");
    info.Gender = 2;
    info.ServerIP = QStringLiteral("10.0.0.7");
    info.LocalUserIP = QStringLiteral("192.168.1.20");
    info.ScreenSizeX = 1920;
    info.ScreenSizeY = 1080;
    info.Scale = 1.25f;
    info.OS = QStringLiteral("Debian GNU/Linux 12 (bookworm) (Version 6.1, Build 0, 64-bit Edition)");
    info.Kernel = QStringLiteral("6.1.0");
    info.Architecture = 2;
    info.PluginVersion = QStringLiteral("1.30");
    info.ChatVersion = QStringLiteral("5.2.1");
    info.KindPost = 1;
    info.MD5_CC = QStringLiteral("0123456789abcdef0123456789abcdef");
    info.MD5_Plugin = QString();
    info.MD5_GUI = QStringLiteral("fedcba9876543210fedcba9876543210");
    return info;
}

TEST_F(ReportThreads, EndCodeTellsWhereTheReportStopped) {
    const QByteArray address18 = "2001:db8:0:0:0:0:1";
    const QByteArray address19 = "2001:db8:0:0:0:0:12";
    struct Case {
        const char *why;
        QString path;
        TStubAnswer answer;
        std::uint8_t endCode;
        bool reported;
    };
    TStubAnswer badCharset = TStubAnswer::Text("1");
    badCharset.ContentType = "text/html; charset=x-no-such-charset";
    const Case cases[] = {
        {"accepted", kPathReportStart, TStubAnswer::Text("1"), kEndAccepted, true},
        {"the status is not read, only the body", kPathReportStart, TStubAnswer::Text("1", 500), kEndAccepted,
         true},
        {"any other answer is a rejection", kPathReportStart, TStubAnswer::Text("0"), kEndRejected, true},
        {"a trailing line break is not \"1\"", kPathReportStart, TStubAnswer::Text("1\r\n"), kEndRejected,
         true},
        {"an error page is a rejection", kPathReportStart, TStubAnswer::Text("<h1>Not Found</h1>", 404),
         kEndRejected, true},
        {"an answer in an unknown charset", kPathReportStart, badCharset, kEndClientError, true},
        {"the report request gets no answer", kPathReportStart, TStubAnswer::Drop(), kEndNoAnswer, true},
        {"the probe fails", kProbePath, TStubAnswer::Drop(), kEndNoInternet, false},
        {"any answer of the probe counts", kProbePath, TStubAnswer::Text("gone", 410), kEndAccepted, true},
        {"the address request fails", kPathGetIP, TStubAnswer::Drop(), kEndNoAddress, false},
        {"an empty address", kPathGetIP, TStubAnswer::Text(""), kEndNoAddress, false},
        {"an 18-character address is used", kPathGetIP, TStubAnswer::Text(address18), kEndAccepted, true},
        {"a 19-character address is not", kPathGetIP, TStubAnswer::Text(address19), kEndNoAddress, false},
    };
    for (const Case &c : cases) {
        test::TStatServiceStub stub;
        stub.Script(c.path, c.answer);
        EXPECT_EQ(SendReport(stub.Endpoint(), SampleRecord()), c.endCode) << c.why;
        EXPECT_EQ(stub.Count(kPathReportStart) > 0, c.reported) << c.why;
    }
}

TEST_F(ReportThreads, ReportThatTimesOutEndsWithoutAnswer) {
    Stub.Script(kPathReportStart, TStubAnswer::Hold("1"));
    EXPECT_EQ(SendReport(Stub.Endpoint(3000)), kEndNoAnswer);
    Stub.ReleaseHeld();
}

TEST_F(ReportThreads, UntrustedCertificateIsNoConnection) {
    EXPECT_EQ(SendReport(Stub.UntrustedEndpoint()), kEndNoInternet);
    EXPECT_EQ(Stub.Count(kProbePath), 0);
    EXPECT_EQ(Stub.Count(kPathGetIP), 0);
}

TEST_F(ReportThreads, ReportPostsSeventeenScrambledFieldsInOrder) {
    const QByteArray address = "198.51.100.23";
    Stub.Script(kPathGetIP, TStubAnswer::Text(address));
    const TStatInfo info = SampleRecord();
    ASSERT_EQ(SendReport(Stub.Endpoint(), info), kEndAccepted);

    const auto probes = Stub.Requests(kProbePath);
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_EQ(probes[0].Method, "HEAD");
    const auto ips = Stub.Requests(kPathGetIP);
    ASSERT_EQ(ips.size(), 1u);
    EXPECT_EQ(ips[0].Method, "POST");
    EXPECT_TRUE(ips[0].Body.isEmpty());
    const auto reports = Stub.Requests(kPathReportStart);
    ASSERT_EQ(reports.size(), 1u);
    const test::TStubRequest &report = reports[0];
    for (const test::TStubRequest &request : {probes[0], ips[0], report})
        EXPECT_EQ(request.UserAgent, kUserAgent);
    EXPECT_EQ(report.ContentType, kFormContentType);

    const QString key = DeriveKey(QString::fromLatin1(address));
    const QString expected[] = {info.Name,   info.ID, info.ServerIP,      info.LocalUserIP,
                                "1920",      "1080",  ScaleText(1.25f),   info.OS,
                                info.Kernel, "2",     info.PluginVersion, info.ChatVersion,
                                "3",         "1",     info.MD5_CC,        info.MD5_Plugin,
                                info.MD5_GUI};
    ASSERT_EQ(report.Form.size(), 17u);
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(report.Form[i].Name, QStringLiteral("P%1").arg(i + 1));
        EXPECT_EQ(UnscrambleField(report.Form[i].Value, key), expected[i]) << "P" << i + 1;
    }
    EXPECT_EQ(report.Field("P16"), QString("")); // an empty value is sent empty
}

TEST_F(ReportThreads, ServerInfoOutcomes) {
    struct Case {
        const char *why;
        QString path;
        TStubAnswer answer;
        bool sent;
        bool reported;
    };
    const Case cases[] = {
        {"accepted", kPathReportServer, TStubAnswer::Text("1"), true, true},
        {"rejected", kPathReportServer, TStubAnswer::Text("ok"), false, true},
        {"no answer to the report", kPathReportServer, TStubAnswer::Drop(), false, true},
        {"no answer to the address request", kPathGetIP, TStubAnswer::Drop(), false, false},
        // Unlike the usage report, an address of any length is used.
        {"a long address", kPathGetIP, TStubAnswer::Text("2001:db8:0:0:0:0:0:1"), true, true},
    };
    for (const Case &c : cases) {
        test::TStatServiceStub stub;
        stub.Script(c.path, c.answer);
        auto thread = TThreadEx::Create<TSendServerInfo>(stub.Endpoint());
        thread->SetServerInfo({"10.0.0.7", "2.4", "aa", "bb", "1.30"});
        RunToEnd(*thread);
        EXPECT_EQ(thread->Sent(), c.sent) << c.why;
        EXPECT_EQ(stub.Count(kPathReportServer) > 0, c.reported) << c.why;
    }
}

TEST_F(ReportThreads, ServerInfoFieldsAreScrambledWithTheAddressKey) {
    Stub.Script(kPathGetIP, TStubAnswer::Text("203.0.113.9"));
    const TServerInfo info{"10.0.0.7", "2.4.1", "md5server", "md5plugin", "1.30"};
    ASSERT_TRUE(SendServer(info));
    const auto reports = Stub.Requests(kPathReportServer);
    ASSERT_EQ(reports.size(), 1u);
    const QString key = DeriveKey(QStringLiteral("203.0.113.9"));
    const std::vector<TFormField> expected = {{"P1", info.Version},
                                              {"P2", info.IP},
                                              {"P3", info.MD5_Server},
                                              {"P4", info.MD5_Plugin},
                                              {"P5", info.Ver_Plug}};
    ASSERT_EQ(reports[0].Form.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(reports[0].Form[i].Name, expected[i].Name);
        EXPECT_EQ(UnscrambleField(reports[0].Form[i].Value, key), expected[i].Value);
    }
}

TEST_F(ReportThreads, EmptyAddressGivesEmptyKeyAndEveryValueEmpty) {
    Stub.Script(kPathGetIP, TStubAnswer::Text(""));
    ASSERT_TRUE(SendServer({"10.0.0.7", "2.4.1", "md5server", "md5plugin", "1.30"}));
    const auto reports = Stub.Requests(kPathReportServer);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].Body, "P1=&P2=&P3=&P4=&P5=");
}

TEST_F(ReportThreads, CheckNeedsTheExactEchoOfItsChallenge) {
    struct Case {
        const char *why;
        TStubAnswer answer;
        bool connected;
    };
    const Case cases[] = {
        {"echoed", TStubAnswer::Echo(), true},
        {"echoed with a line break", TStubAnswer::Echo("\n"), false},
        {"\"1\" is no echo", TStubAnswer::Text("1"), false},
        {"no answer", TStubAnswer::Drop(), false},
    };
    for (const Case &c : cases) {
        Stub.Script(kPathCheck, c.answer);
        EXPECT_EQ(Check(), c.connected) << c.why;
    }
    const auto checks = Stub.Requests(kPathCheck);
    ASSERT_GE(checks.size(), std::size(cases));
    for (const test::TStubRequest &check : checks) {
        ASSERT_EQ(check.Form.size(), 1u);
        EXPECT_EQ(check.Form[0].Name, "P");
        bool number = false;
        const int challenge = check.Form[0].Value.toInt(&number);
        EXPECT_TRUE(number && challenge >= kChallengeMin && challenge <= kChallengeMax)
            << check.Form[0].Value.toStdString();
    }
}

} // namespace
} // namespace trelvo
