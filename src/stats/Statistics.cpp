#include "stats/Statistics.h"

#include "common/TimerEx.h"
#include "protocol/ClientMessages.h"
#include "protocol/Protocol.h"
#include "stats/CheckInternet.h"
#include "stats/SendServerInfo.h"
#include "stats/StatSend.h"
#include "stats/StatsLog.h"
#include "stats/SystemInfo.h"
#include "sync/ThreadQueue.h"

#include <chrono>

namespace trelvo {

QString RedirectText(std::uint8_t EndCode, const TStatInfo &Info) {
    return msg::BuildFields(msg::TRedirectRequest{
        EndCode, Info.Name, Info.ID, Info.Gender, Info.ServerIP, Info.LocalUserIP, Info.ScreenSizeX,
        Info.ScreenSizeY, ScaleText(Info.Scale), Info.OS, Info.Kernel, Info.Architecture, Info.PluginVersion,
        Info.ChatVersion, Info.MD5_CC, Info.MD5_Plugin, Info.MD5_GUI});
}

TStatistics::TStatistics() : TStatistics(DefaultStatEndpoint()) {}

TStatistics::TStatistics(TStatEndpoint Endpoint)
    : FStatInfo(CollectStatInfo()), FEndpoint(std::move(Endpoint)), FAlive(std::make_shared<bool>(true)) {}

TStatistics::~TStatistics() {
    delete FTimerSendInfo;
    FTimerSendInfo = nullptr;
    // Their completions find the service gone.
    *FAlive = false;
    FStatSend = FRedirectStatSend = nullptr;
    FCheckInternet = nullptr;
    FSendServerInfo = nullptr;
    // At exit a thread still waiting for the network would outlive the program: a report that is
    // nearly done may finish, the others are stopped.
    if (WaitForThreads(kExitGraceMs))
        return;
    for (const TRunning &running : FRunning)
        running.Stop->Stop();
    if (!WaitForThreads(kExitStopWaitMs))
        qCWarning(lcStats, "a report thread did not end with the statistics service");
}

bool TStatistics::WaitForThreads(int MaxMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(MaxMs);
    auto &queue = TThreadQueue::Current();
    for (const TRunning &running : FRunning) {
        while (!running.Handle->Finished.IsSet()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            queue.WaitFd(running.Handle->Finished.Fd(), static_cast<int>(left.count()));
        }
    }
    FRunning.clear();
    return true;
}

void TStatistics::SetPlayerInfo(const TPlayerInfo &Value) {
    FStatInfo.Name = Value.Name;
    FStatInfo.LocalUserIP = Value.IP;
    FStatInfo.Gender = Value.Gender;
}

template <typename T> T *TStatistics::Start(std::unique_ptr<T> Thread, void (TStatistics::*Done)(T *Sender)) {
    Thread->SetFreeOnTerminate(true);
    Thread->OnTerminate = [this, alive = FAlive, Done](TThreadEx *Sender) {
        if (*alive)
            (this->*Done)(static_cast<T *>(Sender));
    };
    std::erase_if(FRunning, [](const TRunning &running) { return running.Handle->Finished.IsSet(); });
    FRunning.push_back({Thread->Handle(), Thread->Stopper()});
    T *thread = Thread.release();
    thread->Run();
    return thread;
}

void TStatistics::Send() {
    // A repeated request restarts the delay; a second pending timer would outlive the first one's slot.
    delete FTimerSendInfo;
    FTimerSendInfo = new TTimerEx;
    FTimerSendInfo->SetInterval(kSendDelayMs);
    FTimerSendInfo->SetAutoFree(true);
    FTimerSendInfo->OnTimer = [this](TTimerEx *) { SendTimer(); };
    FTimerSendInfo->SetEnabled(true);
}

void TStatistics::SendTimer() {
    FTimerSendInfo = nullptr;
    auto thread = TThreadEx::Create<TStatSend>(FEndpoint);
    // The record as it is now: setters called while the timer ran count.
    thread->SetStatInfo(OwnRecord());
    FStatSend = Start(std::move(thread), &TStatistics::StatSendDone);
}

const TStatInfo &TStatistics::OwnRecord() {
    if (!FOwnHashRead) {
        FStatInfo.MD5_GUI = OwnExecutableMD5();
        FOwnHashRead = true;
    }
    return FStatInfo;
}

void TStatistics::StatSendDone(TStatSend *Sender) {
    if (Sender != FStatSend)
        return;
    FStatSend = nullptr;
    if (Sender->EndCode() != kEndAccepted)
        if (OnRedirect)
            OnRedirect(RedirectText(Sender->EndCode(), OwnRecord()));
}

void TStatistics::SendRedirect(const TStatInfo &aStatInfo) {
    if (FRedirectStatSend) {
        if (OnEndSendRedirect)
            OnEndSendRedirect(false);
        return;
    }
    auto thread = TThreadEx::Create<TStatSend>(FEndpoint);
    thread->SetStatInfo(aStatInfo);
    FRedirectStatSend = Start(std::move(thread), &TStatistics::RedirectDone);
}

void TStatistics::RedirectDone(TStatSend *Sender) {
    if (Sender != FRedirectStatSend)
        return;
    FRedirectStatSend = nullptr;
    if (OnEndSendRedirect)
        OnEndSendRedirect(Sender->EndCode() == kEndAccepted);
}

void TStatistics::SendServerInfo(const QString &aVersion, const QString &aMD5Server,
                                 const QString &aMD5Plugin, const QString &aVerPlug) {
    TServerInfo info;
    info.Version = aVersion;
    info.IP = FStatInfo.ServerIP;
    info.MD5_Server = aMD5Server;
    info.MD5_Plugin = aMD5Plugin;
    info.Ver_Plug = aVerPlug;
    auto thread = TThreadEx::Create<TSendServerInfo>(FEndpoint);
    thread->SetServerInfo(info);
    // A send still running is abandoned: its completion no longer matches the field.
    FSendServerInfo = Start(std::move(thread), &TStatistics::ServerInfoDone);
}

void TStatistics::ServerInfoDone(TSendServerInfo *Sender) {
    if (Sender != FSendServerInfo)
        return;
    FSendServerInfo = nullptr;
    if (OnSendSrvInfo)
        OnSendSrvInfo(Sender->Sent());
}

void TStatistics::CheckInternetConnected(const QString &Value) {
    auto thread = TThreadEx::Create<TCheckInternet>(FEndpoint);
    thread->SetKind(Value);
    // A check still running is abandoned: its completion no longer matches the field.
    FCheckInternet = Start(std::move(thread), &TStatistics::CheckDone);
}

void TStatistics::CheckDone(TCheckInternet *Sender) {
    if (Sender != FCheckInternet)
        return;
    FInternet = Sender->Conected();
    const QString kind = Sender->Kind();
    FCheckInternet = nullptr;
    if (OnStateConnected)
        OnStateConnected(FInternet, kind);
}

} // namespace trelvo
