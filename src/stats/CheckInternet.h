#pragma once

#include "stats/ReportThread.h"

#include <QString>

namespace trelvo {

// The challenge range of a reachability check, both ends included.
constexpr int kChallengeMin = 100000;
constexpr int kChallengeMax = 1000000;

// Checks that the web service answers: posts a random challenge that the service must echo exactly.
class TCheckInternet : public TReportThread {
public:
    TCheckInternet(TCreateKey Key, TStatEndpoint Endpoint);

    // Read once the thread has ended.
    bool Conected() const { return FConnected; }
    const QString &Kind() const { return FKind; }
    void SetKind(const QString &Value) { FKind = Value; }

protected:
    void Report() override;
    void HandleAnswer(const THttpResponse &Response) override;

private:
    bool FConnected = false;
    QString FRnd;
    QString FKind;
};

} // namespace trelvo
