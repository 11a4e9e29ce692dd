#pragma once

#include "game/api/CardModel.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace trelvo {

// The usage record posted to the statistics web service (own or redirected from another client).
struct TStatInfo {
    QString Name;
    QString ID;
    uint8_t Gender = 0;
    QString ServerIP;
    QString LocalUserIP;
    int32_t ScreenSizeX = 0;
    int32_t ScreenSizeY = 0;
    float Scale = 0;
    QString OS;
    QString Kernel;
    uint8_t Architecture = 0;
    QString PluginVersion;
    QString ChatVersion;
    uint8_t KindPost = 0;
    QString MD5_CC;
    QString MD5_Plugin;
    QString MD5_GUI;
    bool operator==(const TStatInfo &) const = default;
};

using TOnStateConnected = std::function<void(bool &Connected, const QString &Kind)>;
using TOnSendSrvInfo = std::function<void(bool State)>;
using TOnRedirect = std::function<void(const QString &Data)>;
using TOnEndSendRedirect = std::function<void(bool State)>;

// The statistics service as the game controller uses it. Operations run on the UI thread and so do
// the events; each request is answered by its event (OnStateConnected may be left unbound).
class IStatistics {
public:
    virtual ~IStatistics() = default;

    // Write-only record fields.
    virtual void SetPlayerInfo(const TPlayerInfo &Value) = 0;
    virtual void SetServerIP(const QString &Value) = 0;
    virtual void SetChatVersion(const QString &Value) = 0;
    virtual void SetMD5_CC(const QString &Value) = 0;
    virtual void SetMD5_Plugin(const QString &Value) = 0;
    virtual void SetPlayerID(const QString &Value) = 0;

    // Schedules this client's own report (a minute later); a failure comes back as OnRedirect.
    virtual void Send() = 0;
    // Posts another client's record; answered by OnEndSendRedirect.
    virtual void SendRedirect(const TStatInfo &aStatInfo) = 0;
    // Posts the game server's versions; answered by OnSendSrvInfo.
    virtual void SendServerInfo(const QString &aVersion, const QString &aMD5Server, const QString &aMD5Plugin,
                                const QString &aVerPlug) = 0;
    // Reachability check; answered by OnStateConnected with Kind = Value.
    virtual void CheckInternetConnected(const QString &Value) = 0;

    TOnStateConnected OnStateConnected;
    TOnSendSrvInfo OnSendSrvInfo;
    TOnRedirect OnRedirect;
    TOnEndSendRedirect OnEndSendRedirect;
};

} // namespace trelvo
