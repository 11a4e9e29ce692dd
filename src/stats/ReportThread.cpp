#include "stats/ReportThread.h"

#include "common/Log.h"
#include "stats/StatsLog.h"
#include "protocol/StatsCipher.h"
#include "protocol/StatsReport.h"

namespace trelvo {

namespace {
TThreadCounter &LiveThreads() {
    // Never destroyed: an abandoned thread may still end while the process exits.
    static auto *counter = new TThreadCounter;
    return *counter;
}
} // namespace

TPostData ScrambledForm(std::span<const QString> Values, const QString &Key) {
    TPostData form;
    for (std::size_t i = 0; i < Values.size(); ++i)
        form.push_back({ReportFieldName(static_cast<int>(i)), ScrambleField(Values[i], Key)});
    return form;
}

TReportThread::TReportThread(TCreateKey Key, TStatEndpoint Endpoint)
    : TThreadEx(Key), FEndpoint(std::move(Endpoint)) {
    LiveThreads().Increment();
}

TReportThread::~TReportThread() {
    LiveThreads().Decrement();
}

std::int32_t TReportThread::LiveCount() {
    return LiveThreads().Count();
}

void TReportThread::TStop::Stop() {
    std::lock_guard lock(FLock);
    FStopped = true;
    if (FClient)
        FClient->Cancel();
}

void TReportThread::OpenClient() {
    auto client = std::make_unique<THttpsClient>(FEndpoint);
    std::lock_guard lock(FStop->FLock);
    if (FStop->FStopped)
        throw ENetworkError("stopped before it began");
    FStop->FClient = client.get();
    NetHTTPClient = std::move(client);
}

void TReportThread::CloseClient() {
    {
        std::lock_guard lock(FStop->FLock);
        FStop->FClient = nullptr;
    }
    NetHTTPClient.reset();
}

void TReportThread::Execute() {
    try {
        FPostData.clear();
        OpenClient();
        Report();
    } catch (const Exception &Error) {
        qCDebug(lcStats, "a report run ended: %s: %s", Error.ClassName(), Error.what());
    } catch (...) {
        LogSwallowed(lcStats(), "a report run");
    }
    CloseClient();
    FPostData.clear();
    Finish();
}

void TReportThread::Probe() {
    // Without a service there is nothing to reach: the run ends as if the internet were down. A
    // service without a probe (a local one, say) is its own proof.
    if (FEndpoint.Off())
        throw ENetworkError("no statistics web service is configured");
    if (!FEndpoint.Probe.isEmpty())
        NetHTTPClient->Head(FEndpoint.Probe);
}

void TReportThread::PostForm(const QString &Path) {
    if (FEndpoint.Off())
        throw ENetworkError("no statistics web service is configured");
    QUrl url = FEndpoint.ServiceBase;
    url.setPath(Path);
    const THttpResponse response = NetHTTPClient->Post(url, FPostData);
    Sync().Synchronize([&] { HandleAnswer(response); });
}

} // namespace trelvo
