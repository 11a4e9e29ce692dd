#include "stats/Statistics.h"

#include "stats/Encryption.h"
#include "stats/StatSend.h"
#include "stats/SystemInfo.h"

#include "StubFixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSysInfo>

#include <memory>
#include <utility>
#include <vector>

namespace trelvo {
namespace {

using test::kDeadlineMs;
using test::kProbePath;
using test::SpinUntil;
using test::TStubAnswer;

const QString kAddress = QStringLiteral("127.0.0.1");

struct TEvents {
    std::vector<QString> Redirects;
    std::vector<bool> EndRedirects;
    std::vector<bool> SrvInfos;
    std::vector<std::pair<bool, QString>> Connected;
    size_t Total() const {
        return Redirects.size() + EndRedirects.size() + SrvInfos.size() + Connected.size();
    }
};

class Statistics : public test::TStubFixture {
protected:
    Statistics() { Service = Make(Stub); }

    std::unique_ptr<TStatistics> Make(test::TStatServiceStub &AStub) {
        auto service = std::make_unique<TStatistics>(AStub.Endpoint());
        service->OnRedirect = [this](const QString &Data) { Events.Redirects.push_back(Data); };
        service->OnEndSendRedirect = [this](bool State) { Events.EndRedirects.push_back(State); };
        service->OnSendSrvInfo = [this](bool State) { Events.SrvInfos.push_back(State); };
        service->OnStateConnected = [this](bool &Connected, const QString &Kind) {
            Events.Connected.emplace_back(Connected, Kind);
        };
        return service;
    }

    bool WaitForThreads() {
        return SpinUntil([] { return TReportThread::LiveCount() == 0; }, kDeadlineMs);
    }

    // The field of the one posted usage report, unscrambled.
    QString Posted(const QString &Name, const QString &Address = kAddress) {
        const auto reports = Stub.Requests(kPathReportStart);
        EXPECT_EQ(reports.size(), 1u);
        return reports.empty() ? QString() : UnscrambleField(reports[0].Field(Name), DeriveKey(Address));
    }

    TEvents Events;
    std::unique_ptr<TStatistics> Service;
};

TStatInfo OtherClientsRecord() {
    TStatInfo info;
    info.KindPost = 3;
    info.Name = QStringLiteral("Петя");
    info.ID = QStringLiteral("99");
    info.Gender = 1;
    info.ScreenSizeX = 1366;
    info.ScreenSizeY = 768;
    info.Scale = 1;
    info.PluginVersion = QStringLiteral("1.29");
    return info;
}

TEST_F(Statistics, ReportGoesAMinuteLaterWithTheRecordAsItIsThen) {
    Service->SetPlayerInfo({QStringLiteral("Вася"), QStringLiteral("192.168.1.2"), 1});
    Service->SetServerIP(QStringLiteral("10.0.0.7"));
    Service->SetMD5_CC(QStringLiteral("cc"));
    Service->SetMD5_Plugin(QStringLiteral("plugin"));
    Service->SetChatVersion(QStringLiteral("5.1"));
    Service->Send();
    Clock.Advance(30000);
    Service->SetChatVersion(QStringLiteral("5.2"));
    Service->SetPlayerID(QStringLiteral("77"));
    Clock.Advance(kSendDelayMs - 30000 - 1);
    EXPECT_EQ(TReportThread::LiveCount(), 0);
    Clock.Advance(1);
    EXPECT_EQ(TReportThread::LiveCount(), 1);
    ASSERT_TRUE(WaitForRequests(kPathReportStart));
    ASSERT_TRUE(WaitForThreads());
    EXPECT_EQ(Events.Total(), 0u) << "an accepted report raises nothing";

    const QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const TOSVersion os = CurrentOSVersion();
    const std::pair<const char *, QString> expected[] = {
        {"P1", QStringLiteral("Вася")},
        {"P2", QStringLiteral("77")},
        {"P3", QStringLiteral("10.0.0.7")},
        {"P4", QStringLiteral("192.168.1.2")},
        {"P5", QString::number(screen->size().width())},
        {"P6", QString::number(screen->size().height())},
        {"P7", ScaleText(float(screen->devicePixelRatio()))},
        {"P8", OSDescription(os)},
        {"P9", KernelText(os)},
        {"P10", QString::number(ArchitectureCode(QSysInfo::currentCpuArchitecture()))},
        {"P11", QStringLiteral("1.30")},
        {"P12", QStringLiteral("5.2")},
        {"P13", QStringLiteral("2")},
        {"P14", QStringLiteral("1")},
        {"P15", QStringLiteral("cc")},
        {"P16", QStringLiteral("plugin")},
        {"P17", FileMD5Text(QStringLiteral("/proc/self/exe"))},
    };
    for (const auto &[name, value] : expected)
        EXPECT_EQ(Posted(name), value) << name;
    EXPECT_EQ(Posted("P17").size(), 32);
}

TEST_F(Statistics, FailedReportComesBackAsRedirectTextWithItsEndCode) {
    struct Case {
        QString path;
        TStubAnswer answer;
        std::uint8_t endCode;
    };
    const Case cases[] = {
        {kPathReportStart, TStubAnswer::Text("0"), kEndRejected},
        {kProbePath, TStubAnswer::Drop(), kEndNoInternet},
        {kPathGetIP, TStubAnswer::Text("2001:db8:0:0:0:0:12"), kEndNoAddress},
        {kPathReportStart, TStubAnswer::Drop(), kEndNoAnswer},
    };
    for (const Case &c : cases) {
        test::TStatServiceStub stub;
        stub.Script(c.path, c.answer);
        Events = {};
        auto service = Make(stub);
        service->SetPlayerInfo({QStringLiteral("a;b"), QStringLiteral("192.168.1.2"), 0});
        service->SetPlayerID(QStringLiteral("77"));
        service->Send();
        Clock.Advance(kSendDelayMs);
        ASSERT_TRUE(SpinUntil([&] { return !Events.Redirects.empty(); }, kDeadlineMs));
        ASSERT_TRUE(WaitForThreads());
        ASSERT_EQ(Events.Redirects.size(), 1u);
        const QString text = Events.Redirects[0];
        EXPECT_TRUE(text.startsWith(QStringLiteral("%1;a$r^e%p#l&a-c=e@b;77;0;;192.168.1.2;").arg(c.endCode)))
            << text.toStdString();
        EXPECT_EQ(text.count(QLatin1Char(';')), 17) << text.toStdString();
        // The record's last field: the program's own hash, read only when the report needed it.
        EXPECT_TRUE(text.endsWith(FileMD5Text(QStringLiteral("/proc/self/exe")) + QLatin1Char(';')))
            << text.toStdString();
    }
}

TEST_F(Statistics, RepeatedSendRestartsTheDelayAndReportsOnce) {
    Service->Send();
    Clock.Advance(30000);
    Service->Send();
    Clock.Advance(30000);
    EXPECT_EQ(TReportThread::LiveCount(), 0);
    Clock.Advance(30000);
    ASSERT_TRUE(WaitForRequests(kPathReportStart));
    ASSERT_TRUE(WaitForThreads());
    Clock.Advance(10 * kSendDelayMs);
    EXPECT_EQ(TReportThread::LiveCount(), 0);
    EXPECT_EQ(Stub.Count(kPathReportStart), 1);
}

TEST_F(Statistics, RedirectedRecordIsPostedAsGiven) {
    Service->SendRedirect(OtherClientsRecord());
    ASSERT_TRUE(SpinUntil([&] { return !Events.EndRedirects.empty(); }, kDeadlineMs));
    EXPECT_EQ(Events.EndRedirects, std::vector<bool>{true});
    EXPECT_EQ(Posted("P1"), QStringLiteral("Петя"));
    EXPECT_EQ(Posted("P11"), QStringLiteral("1.29"));
    EXPECT_EQ(Posted("P13"), QStringLiteral("2"));
    EXPECT_EQ(Posted("P14"), QStringLiteral("3"));
    EXPECT_EQ(Posted("P17"), QString(""));
}

TEST_F(Statistics, OneRedirectAtATimeTheSecondIsRefusedAtOnce) {
    Stub.Script(kPathGetIP, TStubAnswer::Hold(kAddress.toLatin1()));
    Service->SendRedirect(OtherClientsRecord());
    ASSERT_TRUE(SpinUntil([&] { return Stub.HeldCount() == 1; }, kDeadlineMs));
    Service->SendRedirect(OtherClientsRecord());
    EXPECT_EQ(Events.EndRedirects, std::vector<bool>{false});
    Stub.ReleaseHeld();
    ASSERT_TRUE(SpinUntil([&] { return Events.EndRedirects.size() == 2; }, kDeadlineMs));
    EXPECT_EQ(Events.EndRedirects, (std::vector<bool>{false, true}));

    // Once it has ended, the next one runs.
    Stub.Script(kPathGetIP, TStubAnswer::Text(kAddress.toLatin1()));
    Stub.Script(kPathReportStart, TStubAnswer::Text("no"));
    Service->SendRedirect(OtherClientsRecord());
    ASSERT_TRUE(SpinUntil([&] { return Events.EndRedirects.size() == 3; }, kDeadlineMs));
    EXPECT_FALSE(Events.EndRedirects.back());
    EXPECT_EQ(Stub.Count(kPathReportStart), 2);
}

TEST_F(Statistics, ServerInfoCarriesTheServerAddressOfTheRecord) {
    Service->SetServerIP(QStringLiteral("10.0.0.7"));
    Service->SendServerInfo(QStringLiteral("2.4"), QStringLiteral("srv"), QStringLiteral("plg"),
                            QStringLiteral("1.3"));
    ASSERT_TRUE(SpinUntil([&] { return !Events.SrvInfos.empty(); }, kDeadlineMs));
    EXPECT_EQ(Events.SrvInfos, std::vector<bool>{true});
    const auto reports = Stub.Requests(kPathReportServer);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(UnscrambleField(reports[0].Field("P2"), DeriveKey(kAddress)), QStringLiteral("10.0.0.7"));
}

// The first request is abandoned by the second: only the second is reported, whichever ends first.
TEST_F(Statistics, AbandonedCheckAndServerInfoAreNeverReported) {
    for (bool firstEndsLast : {false, true}) {
        test::TStatServiceStub stub;
        Events = {};
        auto service = Make(stub);
        if (firstEndsLast) {
            stub.Script(kPathCheck, TStubAnswer::Hold("123"));
            stub.Script(kPathGetIP, TStubAnswer::Hold(kAddress.toLatin1()));
        }
        service->CheckInternetConnected(QStringLiteral("first"));
        service->SendServerInfo("1", "a", "b", "c");
        if (firstEndsLast) {
            ASSERT_TRUE(SpinUntil([&] { return stub.HeldCount() == 2; }, kDeadlineMs));
            stub.Script(kPathCheck, TStubAnswer::Echo());
            stub.Script(kPathGetIP, TStubAnswer::Text(kAddress.toLatin1()));
        }
        service->CheckInternetConnected(QStringLiteral("second"));
        service->SendServerInfo("2", "a", "b", "c");
        if (firstEndsLast) {
            ASSERT_TRUE(SpinUntil([&] { return Events.Total() == 2; }, kDeadlineMs));
            stub.ReleaseHeld();
        }
        ASSERT_TRUE(WaitForThreads());
        ASSERT_EQ(Events.Connected.size(), 1u) << firstEndsLast;
        EXPECT_EQ(Events.Connected[0], std::make_pair(true, QStringLiteral("second")));
        EXPECT_EQ(Events.SrvInfos, std::vector<bool>{true}) << firstEndsLast;
    }
}

TEST_F(Statistics, CheckMayGoUnanswered) {
    Service->OnStateConnected = nullptr;
    Service->CheckInternetConnected(QStringLiteral("x"));
    ASSERT_TRUE(WaitForRequests(kPathCheck));
    ASSERT_TRUE(WaitForThreads());
}

// Destroying the service (the program's exit) ends its threads before it returns, also those waiting
// for the network, and none of their completions reaches it.
TEST_F(Statistics, DestroyedServiceEndsItsThreadsAndIsNeverReachedByThem) {
    Stub.Script(kPathGetIP, TStubAnswer::Hold(kAddress.toLatin1()));
    Stub.Script(kPathCheck, TStubAnswer::Hold("1"));
    Service->Send();
    Clock.Advance(kSendDelayMs);
    Service->SendRedirect(OtherClientsRecord());
    Service->SendServerInfo("1", "a", "b", "c");
    Service->CheckInternetConnected(QStringLiteral("x"));
    ASSERT_TRUE(SpinUntil([&] { return Stub.HeldCount() == 4; }, kDeadlineMs));
    Service.reset();
    EXPECT_EQ(TReportThread::LiveCount(), 0) << "no report thread outlives the service";
    Stub.ReleaseHeld();
    ASSERT_TRUE(WaitForThreads());
    EXPECT_EQ(Events.Total(), 0u);
    EXPECT_EQ(Stub.Count(kPathReportStart), 0);
}

// With no web service configured every report ends as a failure without a request leaving the
// process: the own report comes back for a redirect as "no internet".
TEST_F(Statistics, WithoutAServiceEveryReportFailsAndNothingIsSent) {
    TStatEndpoint off = Stub.Endpoint();
    off.ServiceBase = QUrl();
    Service = std::make_unique<TStatistics>(off);
    Service->OnRedirect = [this](const QString &Data) { Events.Redirects.push_back(Data); };
    Service->OnEndSendRedirect = [this](bool State) { Events.EndRedirects.push_back(State); };
    Service->OnSendSrvInfo = [this](bool State) { Events.SrvInfos.push_back(State); };
    Service->OnStateConnected = [this](bool &Connected, const QString &Kind) {
        Events.Connected.emplace_back(Connected, Kind);
    };
    Service->Send();
    Clock.Advance(kSendDelayMs);
    Service->SendRedirect(OtherClientsRecord());
    Service->SendServerInfo("1", "a", "b", "c");
    Service->CheckInternetConnected(QStringLiteral("x"));
    ASSERT_TRUE(SpinUntil([&] { return Events.Total() == 4; }, kDeadlineMs));
    ASSERT_EQ(Events.Redirects.size(), 1u);
    EXPECT_TRUE(Events.Redirects[0].startsWith(QStringLiteral("2;"))) << Events.Redirects[0].toStdString();
    EXPECT_EQ(Events.EndRedirects, std::vector<bool>{false});
    EXPECT_EQ(Events.SrvInfos, std::vector<bool>{false});
    EXPECT_EQ(Events.Connected, (std::vector<std::pair<bool, QString>>{{false, QStringLiteral("x")}}));
    for (const QString &path : {kProbePath, kPathGetIP, kPathReportStart, kPathReportServer, kPathCheck})
        EXPECT_EQ(Stub.Count(path), 0) << path.toStdString();
}

TEST_F(Statistics, DestroyedServiceCancelsItsPendingReport) {
    Service->Send();
    Service.reset();
    Clock.Advance(kSendDelayMs);
    EXPECT_EQ(TReportThread::LiveCount(), 0);
    EXPECT_EQ(Clock.PendingCount(), 0u);
}

TEST(RedirectText, SeventeenFieldsOnlyTheNameEscaped) {
    TStatInfo info;
    info.Name = QStringLiteral("a;b");
    info.ID = QStringLiteral("77");
    info.Gender = 2;
    info.ServerIP = QStringLiteral("10.0.0.7");
    info.LocalUserIP = QStringLiteral("192.168.1.2");
    info.ScreenSizeX = 1920;
    info.ScreenSizeY = 1080;
    info.Scale = 2;
    info.OS = QStringLiteral("Linux (Version 6.1, Build 0, 64-bit Edition)");
    info.Kernel = QStringLiteral("6.1.0");
    info.Architecture = 2;
    info.PluginVersion = QStringLiteral("1.30");
    info.ChatVersion = QStringLiteral("5.2");
    info.KindPost = 1;
    info.MD5_CC = QStringLiteral("cc");
    info.MD5_Plugin = QStringLiteral("pl");
    info.MD5_GUI = QStringLiteral("gui");
    EXPECT_EQ(RedirectText(4, info),
              QStringLiteral("4;a$r^e%p#l&a-c=e@b;77;2;10.0.0.7;192.168.1.2;1920;1080;2;"
                             "Linux (Version 6.1, Build 0, 64-bit Edition);6.1.0;2;1.30;5.2;"
                             "cc;pl;gui;"));
    EXPECT_EQ(RedirectText(0, TStatInfo{}), QStringLiteral("0;;;0;;;0;0;0;;;0;;;;;;"));
}

TEST(RedirectText, ScaleIsTheWidenedFloatInFifteenDigitsWithTheLocalSeparator) {
    const QString point = QLocale::system().decimalPoint();
    EXPECT_EQ(ScaleText(1.0f), QStringLiteral("1"));
    EXPECT_EQ(ScaleText(1.25f), QStringLiteral("1") + point + QStringLiteral("25"));
    EXPECT_EQ(ScaleText(1.1f), QStringLiteral("1") + point + QStringLiteral("10000002384186"));
    EXPECT_EQ(ScaleText(0), QStringLiteral("0"));
}

// Only the decimal separator is the locale's: digits, signs and exponents stay plain ASCII whatever
// digits the locale writes natively (Arabic, Persian, Bengali).
TEST(RedirectText, ScaleTakesNothingButTheSeparatorFromTheLocale) {
    struct Case {
        const char *locale;
        float scale;
        const char *plain; // with "." where the locale's separator goes
    };
    const Case cases[] = {
        {"C", 1.25f, "1.25"},
        {"ru_RU", 1.25f, "1.25"},
        {"de_DE", 1234.5f, "1234.5"},
        {"ar_EG", 1.25f, "1.25"},
        {"fa_IR", 1.5f, "1.5"},
        {"bn_BD", 2.0f, "2"},
        {"ar_EG", 1e-20f, "9.99999968265523e-21"},
    };
    for (const Case &c : cases) {
        const QLocale locale(QString::fromLatin1(c.locale));
        QString expected = QString::fromLatin1(c.plain);
        expected.replace(QLatin1Char('.'), locale.decimalPoint());
        EXPECT_EQ(ScaleText(c.scale, locale), expected) << c.locale << " " << c.scale;
    }
}

// Where reports go is the player's setting: the environment names the web service and the probe, and
// an empty service turns reporting off (tests set both empty).
TEST(StatEndpoint, TakenFromTheEnvironment) {
    struct Case {
        const char *service, *probe;
        const char *wantService, *wantProbe;
        bool off;
    };
    const Case cases[] = {
        {"https://stats.example.org:8443", "https://probe.example.org/", "https://stats.example.org:8443",
         "https://probe.example.org/", false},
        {"https://stats.example.org", "", "https://stats.example.org", "", false},
        {"", "https://probe.example.org/", "", "https://probe.example.org/", true},
        {"", "", "", "", true},
    };
    const QByteArray savedService = qgetenv(kStatServiceVariable), savedProbe = qgetenv(kStatProbeVariable);
    for (const Case &c : cases) {
        qputenv(kStatServiceVariable, c.service);
        qputenv(kStatProbeVariable, c.probe);
        const TStatEndpoint endpoint = DefaultStatEndpoint();
        EXPECT_EQ(endpoint.ServiceBase.toString(), QString::fromLatin1(c.wantService)) << c.service;
        EXPECT_EQ(endpoint.Probe.toString(), QString::fromLatin1(c.wantProbe)) << c.probe;
        EXPECT_EQ(endpoint.Off(), c.off) << c.service;
    }
    qputenv(kStatServiceVariable, savedService);
    qputenv(kStatProbeVariable, savedProbe);
}

TEST(SystemInfo, OperatingSystemDescription) {
    TOSVersion version;
    version.Name = QStringLiteral("Debian GNU/Linux 12 (bookworm)");
    ParseKernelRelease(QStringLiteral("6.1.0-18-amd64"), version);
    version.Is64Bit = true;
    EXPECT_EQ(OSDescription(version),
              QStringLiteral("Debian GNU/Linux 12 (bookworm) (Version 6.1, Build 0, 64-bit Edition)"));
    EXPECT_EQ(KernelText(version), QStringLiteral("6.1.0"));
    version.ServicePackMajor = 1;
    version.Is64Bit = false;
    EXPECT_EQ(OSDescription(version),
              QStringLiteral(
                  "Debian GNU/Linux 12 (bookworm) Service Pack 1 (Version 6.1, Build 0, 32-bit Edition)"));

    struct Case {
        const char *release;
        int major, minor, build;
    };
    const Case releases[] = {
        {"5.15.153.1-microsoft-standard-WSL2", 5, 15, 153}, {"6.8", 6, 8, 0}, {"", 0, 0, 0}, {"x", 0, 0, 0}};
    for (const Case &c : releases) {
        TOSVersion v;
        ParseKernelRelease(QString::fromLatin1(c.release), v);
        EXPECT_EQ(KernelText(v), QStringLiteral("%1.%2.%3").arg(c.major).arg(c.minor).arg(c.build))
            << c.release;
    }
}

TEST(SystemInfo, ArchitectureCodes) {
    const std::pair<const char *, int> cases[] = {{"i386", 1},  {"x86_64", 2},  {"arm", 3},
                                                  {"arm64", 4}, {"riscv64", 1}, {"", 1}};
    for (const auto &[name, code] : cases)
        EXPECT_EQ(ArchitectureCode(QString::fromLatin1(name)), code) << name;
}

} // namespace
} // namespace trelvo
