#include "host/RelayGate.h"

#include "protocol/Protocol.h"

namespace trelvo::host {

namespace {

// The subcode as the client reads it: the first field, to ";" or the end.
bool ReadSubcode(const QString &Message, int &Subcode) {
    QString field;
    int pos = 1;
    GetField(field, Message, pos);
    return TryStrToInt(field, Subcode);
}

} // namespace

TRelayGate::TVerdict TRelayGate::FromServer(const QString &Message, std::int64_t NowMs) {
    int subcode = 0;
    if (!ReadSubcode(Message, subcode))
        return TVerdict::Unreadable;
    const auto awaited = [this, NowMs](TAwaited Kind) {
        if (FAskedAt[Kind] >= 0 && NowMs - FAskedAt[Kind] < kAnswerWaitMs)
            return TVerdict::Surplus;
        FAskedAt[Kind] = NowMs;
        return TVerdict::Pass;
    };
    switch (subcode) {
    case ServerIn::kCheckInternet:
        return awaited(kCheck);
    case ServerIn::kSendServerInfo:
        return awaited(kServerInfo);
    case ServerIn::kRedirectPlayerInfo:
        return awaited(kRedirect);
    case ServerIn::kResponseTableList:
        if (!FListAsked)
            return TVerdict::Surplus;
        FListAsked = false;
        return TVerdict::Pass;
    default:
        return TVerdict::Pass;
    }
}

void TRelayGate::FromClient(const QString &Message) {
    int subcode = 0;
    if (!ReadSubcode(Message, subcode))
        return;
    switch (subcode) {
    case ServerOut::kStateConnected:
        FAskedAt[kCheck] = -1;
        break;
    case ServerOut::kSendSrvInfo:
        FAskedAt[kServerInfo] = -1;
        break;
    case ServerOut::kEndRedirectPlayerInfo:
        FAskedAt[kRedirect] = -1;
        break;
    case ServerOut::kTableList:
        FListAsked = true;
        break;
    default:
        break;
    }
}

void TRelayGate::ClientError() {
    for (std::int64_t &asked : FAskedAt)
        asked = -1;
}

void TRelayGate::Reset() {
    ClientError();
    FListAsked = false;
}

} // namespace trelvo::host
