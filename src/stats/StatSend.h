#pragma once

#include "game/api/IStatistics.h"
#include "stats/ReportThread.h"

#include <QLocale>

#include <cstdint>

namespace trelvo {

// How a usage report ended.
constexpr std::uint8_t kEndNoAnswer = 0;    // the report request itself got no answer
constexpr std::uint8_t kEndAccepted = 1;    // the web service answered exactly "1"
constexpr std::uint8_t kEndNoInternet = 2;  // the public probe could not be reached
constexpr std::uint8_t kEndNoAddress = 3;   // the address request failed, or its answer was unusable
constexpr std::uint8_t kEndRejected = 4;    // the web service answered the report with anything else
constexpr std::uint8_t kEndClientError = 5; // the client could not be set up, or the answer was unreadable

// The longest address answer that is used as key material.
constexpr qsizetype kMaxAddressLength = 18;

// The float in the process's general number format: up to 15 significant digits, the local decimal
// separator (1.25 gives "1.25" or "1,25", 1.0 gives "1").
QString ScaleText(float Scale, const QLocale &Locale = QLocale::system());

// The 17 report fields of a usage record, each value scrambled with Key.
TPostData ReportForm(const TStatInfo &Info, const QString &Key);

// Posts one usage record: probe, address request, report.
class TStatSend : public TReportThread {
public:
    static constexpr std::uint8_t kStateSetup = 0;
    static constexpr std::uint8_t kStateAddress = 1;
    static constexpr std::uint8_t kStateReport = 2;
    static constexpr std::uint8_t kStateProbe = 3;

    TStatSend(TCreateKey Key, TStatEndpoint Endpoint);

    void SetStatInfo(const TStatInfo &Value) { FStatInfo = Value; }
    // Read once the thread has ended.
    std::uint8_t EndCode() const { return FEndCode; }

protected:
    void Report() override;
    void HandleAnswer(const THttpResponse &Response) override;
    void Finish() override;

private:
    QString FKey;
    TStatInfo FStatInfo;
    std::uint8_t FEndCode = kEndNoAnswer;
    std::uint8_t FState = kStateSetup;
    QString FIP;
};

} // namespace trelvo
