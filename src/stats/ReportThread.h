#pragma once

#include "stats/Https.h"
#include "sync/ThreadSync.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace trelvo {

// A report's form: value i as the field ReportFieldName(i), scrambled with Key.
TPostData ScrambledForm(std::span<const QString> Values, const QString &Key);

// What the report threads share: the client and the form of one run, and a request whose answer is
// handled on the UI thread while the thread waits. A thread frees its client and its form when the
// run ends, also after an error; the error itself ends only the run.
class TReportThread : public TThreadEx {
public:
    // Lets whoever started a thread stop its network work from another thread, also after the thread
    // object has freed itself.
    class TStop {
    public:
        // The request in flight is aborted and the run ends at its next request; safe from any thread.
        void Stop();

    private:
        friend class TReportThread;
        std::mutex FLock;
        bool FStopped = false;
        THttpsClient *FClient = nullptr;
    };

    ~TReportThread() override;

    // Report threads alive in the process (abandoned ones included).
    static std::int32_t LiveCount();
    const std::shared_ptr<TStop> &Stopper() const { return FStop; }

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
    // Makes NetHTTPClient, or raises when the run was stopped before it began.
    void OpenClient();
    void CloseClient();

    const TStatEndpoint FEndpoint;
    const std::shared_ptr<TStop> FStop = std::make_shared<TStop>();
};

} // namespace trelvo
