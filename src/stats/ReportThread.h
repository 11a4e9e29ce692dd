#pragma once

#include "stats/Https.h"
#include "sync/ThreadSync.h"

#include <cstdint>
#include <memory>

namespace trelvo {

// What the report threads share: the client and the form of one run, and a request whose answer is
// handled on the UI thread while the thread waits. A thread frees its client and its form when the
// run ends, also after an error; the error itself ends only the run.
class TReportThread : public TThreadEx {
public:
    ~TReportThread() override;

    // Report threads alive in the process (abandoned ones included).
    static std::int32_t LiveCount();

protected:
    TReportThread(TCreateKey Key, TStatEndpoint Endpoint);

    // The requests of one run, in order; runs in the report thread.
    virtual void Report() = 0;
    // The answer handler; runs on the UI thread while the report thread waits.
    virtual void HandleAnswer(const THttpResponse &Response) = 0;
    // After the run, also after an error; runs in the report thread.
    virtual void Finish() {}

    // HEAD to the public probe; its answer is not handled.
    void Probe();
    // Posts FPostData to a path of the web service and hands the answer to HandleAnswer.
    void PostForm(const QString &Path);

    TPostData FPostData;
    std::unique_ptr<THttpsClient> NetHTTPClient;

private:
    void Execute() final;

    const TStatEndpoint FEndpoint;
};

} // namespace trelvo
