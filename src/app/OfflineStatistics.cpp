#include "OfflineStatistics.h"

namespace trelvo {

void TOfflineStatistics::SendRedirect(const TStatInfo &) {
    if (OnEndSendRedirect)
        OnEndSendRedirect(false);
}

void TOfflineStatistics::SendServerInfo(const QString &, const QString &, const QString &, const QString &) {
    if (OnSendSrvInfo)
        OnSendSrvInfo(false);
}

void TOfflineStatistics::CheckInternetConnected(const QString &Value) {
    bool connected = false;
    if (OnStateConnected)
        OnStateConnected(connected, Value);
}

} // namespace trelvo
