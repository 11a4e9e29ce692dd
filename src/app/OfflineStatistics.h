#pragma once

#include "game/api/IStatistics.h"

namespace trelvo {

// The statistics service until the report threads exist: nothing leaves the machine, and every
// request that the game server waits for is answered at once with "not sent" / "not connected",
// so that no request is left without its answer.
class TOfflineStatistics : public IStatistics {
public:
    void SetPlayerInfo(const TPlayerInfo &) override {}
    void SetServerIP(const QString &) override {}
    void SetChatVersion(const QString &) override {}
    void SetMD5_CC(const QString &) override {}
    void SetMD5_Plugin(const QString &) override {}
    void SetPlayerID(const QString &) override {}

    void Send() override {}
    void SendRedirect(const TStatInfo &) override;
    void SendServerInfo(const QString &, const QString &, const QString &, const QString &) override;
    void CheckInternetConnected(const QString &Value) override;
};

} // namespace trelvo
