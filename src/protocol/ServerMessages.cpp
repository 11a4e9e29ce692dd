#include "protocol/ServerMessages.h"

#include "protocol/Fields.h"
#include "protocol/Protocol.h"

namespace trelvo::msg {

namespace {

void WriteCard(TFieldWriter &W, const TCard &C) {
    W.Int(C.ID).Int(C.Suit).Int(C.Dignity);
}

TCard ReadCard(TFieldReader &R) {
    TCard c;
    c.ID = R.Int();
    c.Suit = R.Int();
    c.Dignity = R.Int();
    return c;
}

void WriteRedirect(TFieldWriter &W, const TRedirectRequest &M) {
    W.Int(M.EndCode)
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
        .Text(M.MD5_GUI);
}

} // namespace

QString Build(const TVersionCheck &M) {
    return TFieldWriter(ServerIn::kCheckVersion).Int(M.Status).Int(M.Echo).Text(M.PlayerID).Take();
}

QString Build(const TTableList &M) {
    TFieldWriter w(ServerIn::kResponseTableList);
    w.Int(static_cast<int>(M.Tables.size()))
        .Int(M.CountTrTable)
        .Int(M.CountNotTrTable)
        .Int(M.CountTrPlayer)
        .Int(M.CountNotTrPlayer);
    for (const TTableEntry &t : M.Tables)
        w.Int(t.ID).Int(t.PlayerCount).Flag(t.Transfer).Flag(t.FNTR).Flag(t.MaxF);
    return w.Take();
}

QString Build(const TTableCreated &M) {
    return TFieldWriter(ServerIn::kCreateNewTable).Bare(M.TableID).Take();
}

QString Build(const TTableClosed &) {
    return TFieldWriter(ServerIn::kPlayerExitInvite).Take();
}

QString Build(const TEntryRefused &M) {
    return TFieldWriter(ServerIn::kErrorEnterTable).Int(M.Reason).Take();
}

QString Build(const TWaitingRoom &M) {
    TFieldWriter w(ServerIn::kChangeTable);
    w.Int(M.TableID).Int(static_cast<int>(M.Seats.size()));
    for (const TSeat &s : M.Seats)
        w.Int(s.Slot).Name(s.Name).Flag(s.Ready);
    return w.Take();
}

QString Build(const TCountdown &M) {
    return TFieldWriter(ServerIn::kUpdTimerNewTable).Int(M.Value).Take();
}

QString Build(const TGameStart &M) {
    TFieldWriter w(ServerIn::kStartGame);
    w.Int(static_cast<int>(M.Players.size())).Int(M.TimeGo);
    for (const TGamePlayer &p : M.Players)
        w.Int(p.ID).Name(p.Name);
    w.Int(M.FirstID)
        .Int(M.TrumpSuit)
        .Int(M.TrumpDignity)
        .Int(M.DeckCount)
        .Int(static_cast<int>(M.Cards.size()));
    for (const TCard &c : M.Cards)
        WriteCard(w, c);
    return w.Take();
}

QString Build(const TCardPlayed &M) {
    return TFieldWriter(ServerIn::kPlayerGo)
        .Int(M.AttackerID)
        .Int(M.DefenderID)
        .Int(M.Suit)
        .Int(M.Dignity)
        .Flag(M.Transfer)
        .Take();
}

QString Build(const TTaken &M) {
    return TFieldWriter(ServerIn::kPlayerTake).Int(M.TakerID).Int(M.NextID).Take();
}

QString Build(const TPassed &M) {
    return TFieldWriter(ServerIn::kPlayerBito).Int(M.NextID).Take();
}

QString Build(const TBoutEnd &M) {
    TFieldWriter w(ServerIn::kAllPlayerBito);
    w.Flag(M.Bito).Int(M.TakerID).Int(M.NextID).Int(M.DeckCount).Int(static_cast<int>(M.Counts.size()));
    for (const TCardCount &c : M.Counts)
        w.Int(c.ID).Int(c.CardCount);
    w.Int(static_cast<int>(M.Cards.size()));
    for (const TCard &c : M.Cards)
        WriteCard(w, c);
    return w.Take();
}

QString Build(const TCovered &M) {
    TFieldWriter w(ServerIn::kPlayerCover);
    w.Int(M.CoverKind).Int(M.CovererID).Int(M.NextID).Int(M.Place);
    if (M.HasFace)
        w.Int(M.Suit).Int(M.Dignity);
    return w.Take();
}

QString Build(const TGameResult &M) {
    TFieldWriter w(ServerIn::kEndGame);
    w.Int(M.Result);
    if (M.Result != 3)
        w.Int(M.ShowNow);
    return w.Take();
}

QString Build(const TPlayerLeft &M) {
    TFieldWriter w(ServerIn::kPlayerExitGame);
    w.Int(M.LeaverID);
    // The field between the two ids is not read by clients.
    if (!M.ToLeaver)
        w.Int(0).Int(M.NextID);
    return w.Take();
}

QString Build(const TReachabilityCheck &M) {
    return TFieldWriter(ServerIn::kCheckInternet).Text(M.Kind).Take();
}

QString Build(const TServerInfo &M) {
    return TFieldWriter(ServerIn::kSendServerInfo)
        .Text(M.Version)
        .Text(M.MD5_Server)
        .Text(M.MD5_Plugin)
        .Text(M.Ver_Plug)
        .Take();
}

QString Build(const TRedirectedInfo &M) {
    TFieldWriter w(ServerIn::kRedirectPlayerInfo);
    WriteRedirect(w, M.Info);
    return w.Take();
}

QString BuildMessage(const TServerMessage &M) {
    return std::visit([](const auto &m) { return Build(m); }, M);
}

namespace {

template <typename T> std::optional<TServerMessage> FinishServer(const TFieldReader &R, T &&M) {
    if (!R.Finish())
        return std::nullopt;
    return TServerMessage(std::forward<T>(M));
}

} // namespace

std::optional<TServerMessage> ParseServerMessage(QStringView Text) {
    int sub = 0;
    QStringView payload;
    if (!SplitSubcode(Text, sub, payload))
        return std::nullopt;
    TFieldReader r(payload);
    switch (sub) {
    case ServerIn::kCheckVersion: {
        TVersionCheck m;
        m.Status = r.Int();
        m.Echo = r.Int();
        m.PlayerID = r.Text();
        return FinishServer(r, m);
    }
    case ServerIn::kResponseTableList: {
        TTableList m;
        const int n = r.Count(0);
        m.CountTrTable = r.Int();
        m.CountNotTrTable = r.Int();
        m.CountTrPlayer = r.Int();
        m.CountNotTrPlayer = r.Int();
        if (n > payload.count(QLatin1Char(';')) / 5)
            r.Fail();
        for (int i = 0; r.Ok() && i < n; ++i) {
            TTableEntry t;
            t.ID = r.Int();
            t.PlayerCount = r.Int();
            t.Transfer = r.Flag();
            t.FNTR = r.Flag();
            t.MaxF = r.Flag();
            m.Tables.push_back(t);
        }
        return FinishServer(r, m);
    }
    case ServerIn::kCreateNewTable:
        return FinishServer(r, TTableCreated{r.Bare()});
    case ServerIn::kPlayerExitInvite:
        return FinishServer(r, TTableClosed{});
    case ServerIn::kErrorEnterTable:
        return FinishServer(r, TEntryRefused{r.Int()});
    case ServerIn::kChangeTable: {
        TWaitingRoom m;
        m.TableID = r.Int();
        const int n = r.Count(3);
        for (int i = 0; r.Ok() && i < n; ++i) {
            TSeat s;
            s.Slot = r.Int();
            s.Name = r.Name();
            s.Ready = r.Flag();
            m.Seats.push_back(s);
        }
        return FinishServer(r, m);
    }
    case ServerIn::kUpdTimerNewTable:
        return FinishServer(r, TCountdown{r.Int()});
    case ServerIn::kStartGame: {
        TGameStart m;
        const int n = r.Count(2);
        m.TimeGo = r.Int();
        for (int i = 0; r.Ok() && i < n; ++i) {
            TGamePlayer p;
            p.ID = r.Int();
            p.Name = r.Name();
            m.Players.push_back(p);
        }
        m.FirstID = r.Int();
        m.TrumpSuit = r.Int();
        m.TrumpDignity = r.Int();
        m.DeckCount = r.Int();
        const int cards = r.Count(3);
        for (int i = 0; r.Ok() && i < cards; ++i)
            m.Cards.push_back(ReadCard(r));
        return FinishServer(r, m);
    }
    case ServerIn::kPlayerGo: {
        TCardPlayed m;
        m.AttackerID = r.Int();
        m.DefenderID = r.Int();
        m.Suit = r.Int();
        m.Dignity = r.Int();
        m.Transfer = r.Flag();
        return FinishServer(r, m);
    }
    case ServerIn::kPlayerTake: {
        TTaken m;
        m.TakerID = r.Int();
        m.NextID = r.Int();
        return FinishServer(r, m);
    }
    case ServerIn::kPlayerBito:
        return FinishServer(r, TPassed{r.Int()});
    case ServerIn::kAllPlayerBito: {
        TBoutEnd m;
        m.Bito = r.Flag();
        m.TakerID = r.Int();
        m.NextID = r.Int();
        m.DeckCount = r.Int();
        const int counts = r.Count(2);
        for (int i = 0; r.Ok() && i < counts; ++i) {
            TCardCount c;
            c.ID = r.Int();
            c.CardCount = r.Int();
            m.Counts.push_back(c);
        }
        const int cards = r.Count(3);
        for (int i = 0; r.Ok() && i < cards; ++i)
            m.Cards.push_back(ReadCard(r));
        return FinishServer(r, m);
    }
    case ServerIn::kPlayerCover: {
        TCovered m;
        m.CoverKind = r.Int();
        m.CovererID = r.Int();
        m.NextID = r.Int();
        m.Place = r.Int();
        if (r.Ok() && !r.AtEnd()) {
            m.HasFace = true;
            m.Suit = r.Int();
            m.Dignity = r.Int();
        }
        return FinishServer(r, m);
    }
    case ServerIn::kEndGame: {
        TGameResult m;
        m.Result = r.Int();
        if (r.Ok() && m.Result != 3)
            m.ShowNow = r.Int();
        return FinishServer(r, m);
    }
    case ServerIn::kPlayerExitGame: {
        TPlayerLeft m;
        m.LeaverID = r.Int();
        m.ToLeaver = r.Ok() && r.AtEnd();
        if (!m.ToLeaver) {
            r.Text();
            m.NextID = r.Int();
        }
        return FinishServer(r, m);
    }
    case ServerIn::kCheckInternet:
        return FinishServer(r, TReachabilityCheck{r.Text()});
    case ServerIn::kSendServerInfo: {
        TServerInfo m;
        m.Version = r.Text();
        m.MD5_Server = r.Text();
        m.MD5_Plugin = r.Text();
        m.Ver_Plug = r.Text();
        return FinishServer(r, m);
    }
    case ServerIn::kRedirectPlayerInfo: {
        TRedirectedInfo m;
        TRedirectRequest &i = m.Info;
        i.EndCode = r.Int();
        i.Name = r.Name();
        i.ID = r.Text();
        i.Gender = r.Int();
        i.ServerIP = r.Text();
        i.LocalUserIP = r.Text();
        i.ScreenSizeX = r.Int();
        i.ScreenSizeY = r.Int();
        i.Scale = r.Text();
        i.OS = r.Text();
        i.Kernel = r.Text();
        i.Architecture = r.Int();
        i.PluginVersion = r.Text();
        i.ChatVersion = r.Text();
        if (r.Ok() && !r.AtEnd()) {
            i.MD5_CC = r.Text();
            i.MD5_Plugin = r.Text();
            i.MD5_GUI = r.Text();
        }
        return FinishServer(r, m);
    }
    default:
        return std::nullopt;
    }
}

} // namespace trelvo::msg
