#pragma once

#include "game/api/IStatistics.h"
#include "stats/Https.h"
#include "stats/ReportThread.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace trelvo {

class TCheckInternet;
class TSendServerInfo;
class TStatSend;
class TThreadEx;
class TTimerEx;

// The delay between asking for the own report and posting it.
constexpr int kSendDelayMs = 60000;
// How long destroying the service (the program's exit) lets running reports finish before it stops
// their requests; no report thread outlives the service.
constexpr int kExitGraceMs = 800;
constexpr int kExitStopWaitMs = 200;

// The text that hands a failed own report to another client: the end code and 16 record fields, each
// followed by ";". Only the name is escaped; KindPost is not part of it.
QString RedirectText(std::uint8_t EndCode, const TStatInfo &Info);

// The statistics service: keeps this client's usage record and runs the report threads. Everything here
// runs on the UI thread, the events included. Destroying it abandons its threads, whose completions
// never reach it, and returns once they have ended: it lets them finish for a moment, then stops their
// requests.
class TStatistics : public IStatistics {
public:
    TStatistics();
    // Reports go to Endpoint instead of the web service (tests).
    explicit TStatistics(TStatEndpoint Endpoint);
    ~TStatistics() override;
    TStatistics(const TStatistics &) = delete;
    TStatistics &operator=(const TStatistics &) = delete;

    void SetPlayerInfo(const TPlayerInfo &Value) override;
    void SetServerIP(const QString &Value) override { FStatInfo.ServerIP = Value; }
    void SetPluginVersion(const QString &Value) { FStatInfo.PluginVersion = Value; }
    void SetChatVersion(const QString &Value) override { FStatInfo.ChatVersion = Value; }
    void SetPlayerID(const QString &Value) override { FStatInfo.ID = Value; }
    void SetMD5_CC(const QString &Value) override { FStatInfo.MD5_CC = Value; }
    void SetMD5_Plugin(const QString &Value) override { FStatInfo.MD5_Plugin = Value; }

    void Send() override;
    void SendRedirect(const TStatInfo &aStatInfo) override;
    void SendServerInfo(const QString &aVersion, const QString &aMD5Server, const QString &aMD5Plugin,
                        const QString &aVerPlug) override;
    void CheckInternetConnected(const QString &Value) override;

private:
    void SendTimer();
    // The record with the hash of the running executable, read the first time a report needs it: hashing
    // the whole program file would otherwise hold up every start.
    const TStatInfo &OwnRecord();
    // Starts a self-freeing thread whose completion reaches Done only while this service lives.
    template <typename T> T *Start(std::unique_ptr<T> Thread, void (TStatistics::*Done)(T *Sender));
    void StatSendDone(TStatSend *Sender);
    void RedirectDone(TStatSend *Sender);
    void ServerInfoDone(TSendServerInfo *Sender);
    void CheckDone(TCheckInternet *Sender);

    TStatInfo FStatInfo;
    bool FOwnHashRead = false;
    TStatSend *FStatSend = nullptr;
    TStatSend *FRedirectStatSend = nullptr;
    TCheckInternet *FCheckInternet = nullptr;
    bool FInternet = false;
    TSendServerInfo *FSendServerInfo = nullptr;
    TTimerEx *FTimerSendInfo = nullptr;

    // Every thread started and not known to have ended, abandoned ones included.
    struct TRunning {
        std::shared_ptr<TThreadHandle> Handle;
        std::shared_ptr<TReportThread::TStop> Stop;
    };
    // Waits, running the UI thread's queue, until every running thread has ended or MaxMs passed.
    bool WaitForThreads(int MaxMs);
    std::vector<TRunning> FRunning;

    const TStatEndpoint FEndpoint;
    // Checked on the UI thread by every completion; false once the service is gone.
    std::shared_ptr<bool> FAlive;
};

} // namespace trelvo
