#include "protocol/ClientMessages.h"

#include "protocol/Fields.h"
#include "protocol/Protocol.h"

namespace trelvo::msg {

QString Build(const TTableListRequest &) {
    return TFieldWriter(ServerOut::kTableList).Int(1).Take();
}

QString Build(const TCreateTableRequest &M) {
    return TFieldWriter(ServerOut::kCreateNewTable)
        .Flag(M.Transfer)
        .Flag(M.FirstNotTransfer)
        .Flag(M.MaxFive)
        .Take();
}

QString Build(const TExitInviteRequest &M) {
    return TFieldWriter(ServerOut::kExitInvite).Bare(M.TableID).Take();
}

QString Build(const TEnterTableRequest &M) {
    return TFieldWriter(ServerOut::kEnterTable).Bare(M.TableID).Take();
}

QString Build(const TReadyRequest &M) {
    return TFieldWriter(ServerOut::kPlayerReady).Int(M.TableID).Flag(M.Ready).Take();
}

QString Build(const TGoRequest &M) {
    return TFieldWriter(ServerOut::kPlayerGo).Int(M.TableID).Int(M.CardID).Take();
}

QString Build(const TTakeRequest &M) {
    return TFieldWriter(ServerOut::kPlayerTake).Int(M.TableID).Take();
}

QString Build(const TBitoRequest &M) {
    return TFieldWriter(ServerOut::kPlayerBito).Int(M.TableID).Take();
}

QString Build(const TCoverRequest &M) {
    return TFieldWriter(ServerOut::kPlayerCover).Int(M.TableID).Int(M.CardID).Int(M.SelectID).Take();
}

QString Build(const TRoundStartRequest &M) {
    return TFieldWriter(ServerOut::kRoundStart).Int(M.TableID).Take();
}

QString Build(const TTransferRequest &M) {
    return TFieldWriter(ServerOut::kPlayerTransfer).Int(M.TableID).Int(M.CardID).Take();
}

QString Build(const TStateConnectedAnswer &M) {
    return TFieldWriter(ServerOut::kStateConnected).Flag(M.Connected).Text(M.Kind).Take();
}

QString Build(const TServerInfoAnswer &M) {
    return TFieldWriter(ServerOut::kSendSrvInfo).Flag(M.Sent).Take();
}

QString Build(const TRedirectRequest &M) {
    return TFieldWriter(ServerOut::kRedirectPlayerInfo)
        .Int(M.EndCode)
        .Name(M.Name)
        .Text(M.ID)
        .Int(M.Gender)
        .Text(M.ServerIP)
        .Text(M.LocalUserIP)
        .Int(M.ScreenSizeX)
        .Int(M.ScreenSizeY)
        .Text(M.Scale)
        .Text(M.OS)
        .Text(M.Kernel)
        .Int(M.Architecture)
        .Text(M.PluginVersion)
        .Text(M.ChatVersion)
        .Text(M.MD5_CC)
        .Text(M.MD5_Plugin)
        .Text(M.MD5_GUI)
        .Take();
}

QString Build(const TRedirectAnswer &M) {
    return TFieldWriter(ServerOut::kEndRedirectPlayerInfo).Flag(M.Succeeded).Take();
}

QString BuildFields(const TClientMessage &M) {
    QString text = BuildMessage(M);
    text.remove(0, text.indexOf(QLatin1Char(';')) + 1);
    return text;
}

QString BuildMessage(const TClientMessage &M) {
    return std::visit([](const auto &m) { return Build(m); }, M);
}

namespace {

template <typename T> std::optional<TClientMessage> FinishClient(const TFieldReader &R, T &&M) {
    if (!R.Finish())
        return std::nullopt;
    return TClientMessage(std::forward<T>(M));
}

} // namespace

std::optional<TClientMessage> ParseClientMessage(QStringView Text) {
    int sub = 0;
    QStringView payload;
    if (!SplitSubcode(Text, sub, payload))
        return std::nullopt;
    TFieldReader r(payload);
    switch (sub) {
    case ServerOut::kTableList:
        // The payload is always "1;"; what it says is not used.
        r.Int();
        return FinishClient(r, TTableListRequest{});
    case ServerOut::kCreateNewTable: {
        TCreateTableRequest m;
        m.Transfer = r.StrictFlag();
        m.FirstNotTransfer = r.StrictFlag();
        m.MaxFive = r.StrictFlag();
        return FinishClient(r, m);
    }
    case ServerOut::kExitInvite:
        return FinishClient(r, TExitInviteRequest{r.Bare()});
    case ServerOut::kEnterTable:
        return FinishClient(r, TEnterTableRequest{r.Bare()});
    case ServerOut::kPlayerReady: {
        TReadyRequest m;
        m.TableID = r.Int();
        m.Ready = r.StrictFlag();
        return FinishClient(r, m);
    }
    case ServerOut::kPlayerGo: {
        TGoRequest m;
        m.TableID = r.Int();
        m.CardID = r.Int();
        return FinishClient(r, m);
    }
    case ServerOut::kPlayerTake:
        return FinishClient(r, TTakeRequest{r.Int()});
    case ServerOut::kPlayerBito:
        return FinishClient(r, TBitoRequest{r.Int()});
    case ServerOut::kPlayerCover: {
        TCoverRequest m;
        m.TableID = r.Int();
        m.CardID = r.Int();
        m.SelectID = r.Int();
        return FinishClient(r, m);
    }
    case ServerOut::kRoundStart:
        return FinishClient(r, TRoundStartRequest{r.Int()});
    case ServerOut::kPlayerTransfer: {
        TTransferRequest m;
        m.TableID = r.Int();
        m.CardID = r.Int();
        return FinishClient(r, m);
    }
    case ServerOut::kStateConnected: {
        TStateConnectedAnswer m;
        m.Connected = r.StrictFlag();
        m.Kind = r.Text();
        return FinishClient(r, m);
    }
    case ServerOut::kSendSrvInfo:
        return FinishClient(r, TServerInfoAnswer{r.StrictFlag()});
    case ServerOut::kRedirectPlayerInfo: {
        TRedirectRequest m;
        m.EndCode = r.Int();
        m.Name = r.Name();
        m.ID = r.Text();
        m.Gender = r.Int();
        m.ServerIP = r.Text();
        m.LocalUserIP = r.Text();
        m.ScreenSizeX = r.Int();
        m.ScreenSizeY = r.Int();
        m.Scale = r.Text();
        m.OS = r.Text();
        m.Kernel = r.Text();
        m.Architecture = r.Int();
        m.PluginVersion = r.Text();
        m.ChatVersion = r.Text();
        m.MD5_CC = r.Text();
        m.MD5_Plugin = r.Text();
        m.MD5_GUI = r.Text();
        return FinishClient(r, m);
    }
    case ServerOut::kEndRedirectPlayerInfo:
        return FinishClient(r, TRedirectAnswer{r.StrictFlag()});
    default:
        return std::nullopt;
    }
}

} // namespace trelvo::msg
