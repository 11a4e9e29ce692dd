#include "stats/ReportThread.h"

#include "common/Log.h"
#include "stats/StatsLog.h"

namespace trelvo {

namespace {
TThreadCounter &LiveThreads() {
    // Never destroyed: an abandoned thread may still end while the process exits.
    static auto *counter = new TThreadCounter;
    return *counter;
}
} // namespace

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

void TReportThread::Execute() {
    try {
        FPostData.clear();
        NetHTTPClient = std::make_unique<THttpsClient>(FEndpoint);
        Report();
    } catch (const Exception &Error) {
        qCDebug(lcStats, "a report run ended: %s: %s", Error.ClassName(), Error.what());
    } catch (...) {
        LogSwallowed(lcStats(), "a report run");
    }
    NetHTTPClient.reset();
    FPostData.clear();
    Finish();
}

void TReportThread::Probe() {
    NetHTTPClient->Head(FEndpoint.Probe);
}

void TReportThread::PostForm(const QString &Path) {
    QUrl url = FEndpoint.ServiceBase;
    url.setPath(Path);
    const THttpResponse response = NetHTTPClient->Post(url, FPostData);
    Sync().Synchronize([&] { HandleAnswer(response); });
}

} // namespace trelvo
