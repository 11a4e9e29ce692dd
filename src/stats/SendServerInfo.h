#pragma once

#include "stats/ReportThread.h"

#include <QString>

#include <cstdint>

namespace trelvo {

// Versions and hashes of the game server's side.
struct TServerInfo {
    QString IP;
    QString Version;
    QString MD5_Server;
    QString MD5_Plugin;
    QString Ver_Plug;
    bool operator==(const TServerInfo &) const = default;
};

// The five server-info fields, each value scrambled with Key.
TPostData ServerInfoForm(const TServerInfo &Info, const QString &Key);

// Posts one server-info record: address request, report.
class TSendServerInfo : public TReportThread {
public:
    static constexpr std::uint8_t kStateSetup = 0;
    static constexpr std::uint8_t kStateAddress = 1;
    static constexpr std::uint8_t kStateReport = 2;

    TSendServerInfo(TCreateKey Key, TStatEndpoint Endpoint);

    void SetServerInfo(const TServerInfo &Value) { FServerInfo = Value; }
    // Read once the thread has ended.
    bool Sent() const { return FSent; }

protected:
    void Report() override;
    void HandleAnswer(const THttpResponse &Response) override;

private:
    QString FKey;
    QString FIP;
    bool FSent = false;
    std::uint8_t FState = kStateSetup;
    TServerInfo FServerInfo;
};

} // namespace trelvo
