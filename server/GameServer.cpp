#include "server/GameServer.h"

#include "protocol/ClientMessages.h"
#include "protocol/ServerMessages.h"
#include "server/Bot.h"
#include "server/Log.h"
#include "server/Table.h"

#include <algorithm>
#include <map>

namespace trelvo::server {

Q_LOGGING_CATEGORY(lcServer, "trelvo.server", QtWarningMsg)

// Everything behind TGameServer: connections (people and bots), the tables and the lobby's answers.
class TLobby : public ITableHost {
public:
    TLobby(TGameServer &Owner, TClock &Clock, std::uint64_t Seed, TServerOptions Options)
        : FOwner(Owner), FClock(Clock), FRng(Seed), FOptions(Options) {
        FOptions.AutoJoinBots = std::clamp(FOptions.AutoJoinBots, 1, 3);
        for (int i = 0; i < FOptions.LobbyBotTables; ++i) {
            // Both variants and a mix of options; one to three bots wait at each.
            const TTableRules rules{i % 2 == 1, i % 4 == 3, i % 3 == 2};
            TTable &table = OpenTable(rules, false, true);
            for (int b = 0; b < 1 + i % 3; ++b)
                Seat(NewBot(FOptions.Level, rules), table);
        }
    }

    ~TLobby() override {
        // Tables first: they cancel their timers and may still name connections.
        FTables.clear();
        FConns.clear();
        for (TClock::TId id : {FReaper, FSweep})
            if (id)
                FClock.Cancel(id);
        for (const auto &[table, id] : FBotFill)
            FClock.Cancel(id);
    }

    TConnId Connect(const QString &Name) {
        const TConnId id = FNextConn++;
        FConns[id].Name = Name;
        Send(id, msg::TVersionCheck{1, id, QString::number(id)});
        // Asked once after login; the answer goes to the log.
        Send(id, msg::TReachabilityCheck{QStringLiteral("1")});
        return id;
    }

    void Receive(TConnId Conn, const QString &Message) {
        auto conn = FConns.find(Conn);
        if (conn == FConns.end()) {
            qCDebug(lcServer) << "message from an unknown connection" << Conn;
            return;
        }
        const auto request = msg::ParseClientMessage(Message);
        if (!request) {
            Refused(Conn, "a malformed message");
            qCDebug(lcServer) << "  the message:" << Message;
            return;
        }
        std::visit([&](const auto &m) { Handle(Conn, conn->second, m); }, *request);
    }

    // A request of a bot in this process, never built into text.
    void Receive(TConnId Conn, const msg::TClientMessage &Request) {
        auto conn = FConns.find(Conn);
        if (conn == FConns.end())
            return;
        std::visit([&](const auto &m) { Handle(Conn, conn->second, m); }, Request);
    }

    void Disconnect(TConnId Conn) {
        auto conn = FConns.find(Conn);
        if (conn == FConns.end())
            return;
        if (TTable *table = TableOf(conn->second))
            table->Leave(Conn);
        FConns.erase(Conn);
        CloseEmptyTables();
    }

    void AbortGames() {
        for (auto &[id, table] : FTables)
            table->Abort();
    }

    int OpenBotTable(const TTableRules &Rules, const std::vector<TBotLevel> &Bots) {
        TTable &table = OpenTable(Rules, true, true);
        for (TBotLevel level : Bots)
            Seat(NewBot(level, Rules), table);
        return table.ID();
    }

    int Refusals() const { return FRefusals; }

    // ITableHost
    void Send(TConnId Conn, const msg::TServerMessage &Message) override {
        auto conn = FConns.find(Conn);
        if (conn == FConns.end())
            return;
        if (conn->second.Bot)
            conn->second.Bot->Handle(Message);
        else if (FOwner.OnSend)
            FOwner.OnSend(Conn, msg::BuildMessage(Message));
    }
    QString NameOf(TConnId Conn) const override {
        auto conn = FConns.find(Conn);
        return conn == FConns.end() ? QString() : conn->second.Name;
    }
    bool IsBot(TConnId Conn) const override {
        auto conn = FConns.find(Conn);
        return conn != FConns.end() && conn->second.Bot;
    }
    void LeftTable(TConnId Conn) override {
        auto conn = FConns.find(Conn);
        if (conn != FConns.end())
            conn->second.Table = -1;
        // The table that let the player go is still at work: look for empty tables afterwards.
        if (!FSweep)
            FSweep = FClock.Schedule(0, [this] {
                FSweep = 0;
                CloseEmptyTables();
            });
    }
    void GameOver(const TGameRecord &Record) override {
        if (FOwner.OnGameOver)
            FOwner.OnGameOver(Record);
    }
    void TellHost(TConnId Conn, const QString &Note) override {
        if (!IsBot(Conn) && FOwner.OnSend)
            FOwner.OnSend(Conn, Note);
    }
    TRandom &Rng() override { return FRng; }
    void Refused(TConnId Conn, const char *Why) override {
        ++FRefusals;
        qCWarning(lcServer) << "refused from connection" << Conn << ":" << Why;
    }

private:
    struct TConn {
        QString Name;
        std::unique_ptr<TBot> Bot;
        int Table = -1;
    };

    TTable *TableOf(const TConn &Conn) {
        auto table = FTables.find(Conn.Table);
        return table == FTables.end() ? nullptr : table->second.get();
    }

    TTable &OpenTable(const TTableRules &Rules, bool BotsPlayAlone, bool Keep) {
        const int id = FNextTable++;
        auto table = std::make_unique<TTable>(id, Rules, BotsPlayAlone, FOptions.TimeGoSeconds,
                                              FOptions.CountdownTickMs, *this, FClock);
        table->OnIdle = [this](TTable &t) { t.Close(); };
        if (Keep)
            FKept.push_back(id);
        TTable &ref = *table;
        FTables[id] = std::move(table);
        return ref;
    }

    TConnId NewBot(TBotLevel Level, const TTableRules &Rules) {
        const TConnId id = FNextConn++;
        TConn &conn = FConns[id];
        conn.Name = QStringLiteral("Бот %1").arg(++FBotNumber);
        conn.Bot = std::make_unique<TBot>(
            FClock, FRng.Next(), FOptions.MakeBrain ? FOptions.MakeBrain(Level) : MakeBrain(Level),
            FOptions.BotThinkMinMs, FOptions.BotThinkMaxMs, FOptions.RoundEndPauseMs, conn.Name);
        conn.Bot->SetRules(Rules);
        conn.Bot->OnRequestMessage = [this, id](const msg::TClientMessage &Request) { Receive(id, Request); };
        return id;
    }

    bool Seat(TConnId Conn, TTable &Table) {
        FConns[Conn].Table = Table.ID();
        if (!Table.Seat(Conn)) {
            FConns[Conn].Table = -1;
            return false;
        }
        return true;
    }

    // A table a person created closes when the last person leaves it; its bots go with it. Bots are
    // freed later: one of them may be the caller.
    void CloseEmptyTables() {
        for (auto it = FTables.begin(); it != FTables.end();) {
            TTable &table = *it->second;
            const bool kept = std::find(FKept.begin(), FKept.end(), table.ID()) != FKept.end();
            if (kept || table.HumanCount() > 0) {
                ++it;
                continue;
            }
            for (TConnId bot : table.Seated()) {
                auto conn = FConns.find(bot);
                if (conn != FConns.end() && conn->second.Bot) {
                    conn->second.Bot->OnRequestMessage = nullptr;
                    FDead.push_back(std::move(conn->second.Bot));
                    FConns.erase(conn);
                }
            }
            FDeadTables.push_back(std::move(it->second));
            it = FTables.erase(it);
        }
        if ((!FDead.empty() || !FDeadTables.empty()) && !FReaper)
            FReaper = FClock.Schedule(0, [this] {
                FReaper = 0;
                FDeadTables.clear();
                FDead.clear();
            });
    }

    // The counts tell the whole lobby; the rows are bounded, the tables a person can join first.
    msg::TTableList TableList() const {
        msg::TTableList list;
        std::vector<msg::TTableEntry> others;
        for (const auto &[id, table] : FTables) {
            // Offered now, it would close under whoever takes the offer.
            if (table->ClosingSoon())
                continue;
            const TTableRules &r = table->Rules();
            const int players = table->PlayerCount();
            (r.Transfer ? list.CountTrTable : list.CountNotTrTable) += 1;
            (r.Transfer ? list.CountTrPlayer : list.CountNotTrPlayer) += players;
            const msg::TTableEntry entry{id, players, r.Transfer, r.FirstNotTransfer, r.MaxFive};
            const bool joinable = !table->Full() && !table->Playing();
            auto &rows = joinable ? list.Tables : others;
            if (int(rows.size()) < kMaxListedTables)
                rows.push_back(entry);
        }
        for (auto it = others.begin(); it != others.end() && int(list.Tables.size()) < kMaxListedTables; ++it)
            list.Tables.push_back(*it);
        return list;
    }

    void Handle(TConnId Conn, TConn &, const msg::TTableListRequest &) {
        Send(Conn, TableList());
    }

    void Handle(TConnId Conn, TConn &C, const msg::TCreateTableRequest &M) {
        if (C.Bot || C.Table >= 0) {
            Send(Conn, msg::TTableCreated{-1});
            return;
        }
        const TTableRules rules{M.Transfer, M.FirstNotTransfer, M.MaxFive};
        TTable &table = OpenTable(rules, false, false);
        Send(Conn, msg::TTableCreated{table.ID()});
        Seat(Conn, table);
        if (FOptions.BotFillMs < 0)
            for (int i = 0; i < FOptions.AutoJoinBots; ++i)
                Seat(NewBot(FOptions.Level, rules), table);
        ArmBotFill(table.ID());
    }

    // Restarted by every person who sits down; bots come one at a time while seats stay free.
    void ArmBotFill(int TableID) {
        if (FOptions.BotFillMs <= 0)
            return;
        if (auto old = FBotFill.find(TableID); old != FBotFill.end())
            FClock.Cancel(old->second);
        FBotFill[TableID] = FClock.Schedule(FOptions.BotFillMs, [this, TableID] {
            FBotFill.erase(TableID);
            auto it = FTables.find(TableID);
            if (it == FTables.end() || it->second->HumanCount() == 0 || it->second->Full())
                return;
            if (!it->second->Playing())
                Seat(NewBot(FOptions.Level, it->second->Rules()), *it->second);
            ArmBotFill(TableID);
        });
    }

    void Handle(TConnId Conn, TConn &C, const msg::TExitInviteRequest &M) {
        TTable *table = TableOf(C);
        if (!table || table->ID() != M.TableID) {
            Refused(Conn, "leaving a table the player is not at");
            return;
        }
        table->Leave(Conn);
        CloseEmptyTables();
    }

    void Handle(TConnId Conn, TConn &C, const msg::TEnterTableRequest &M) {
        auto table = FTables.find(M.TableID);
        int reason = 0;
        if (C.Table >= 0)
            reason = 3;
        else if (table == FTables.end() || table->second->Playing())
            reason = 1;
        else if (table->second->Full())
            reason = 2;
        if (reason != 0) {
            Send(Conn, msg::TEntryRefused{reason});
            return;
        }
        if (Seat(Conn, *table->second))
            ArmBotFill(M.TableID);
    }

    void Handle(TConnId Conn, TConn &C, const msg::TReadyRequest &M) {
        TTable *table = TableOf(C);
        if (!table || table->ID() != M.TableID) {
            Refused(Conn, "readiness at a table the player is not at");
            return;
        }
        table->SetReady(Conn, M.Ready);
    }

    template <typename Move> void PlayMove(TConnId Conn, TConn &C, int TableID, const Move &M) {
        TTable *table = TableOf(C);
        if (!table || table->ID() != TableID) {
            Refused(Conn, "a move at a table the player is not at");
            return;
        }
        table->Request(Conn, M);
    }
    void Handle(TConnId Conn, TConn &C, const msg::TGoRequest &M) { PlayMove(Conn, C, M.TableID, M); }
    void Handle(TConnId Conn, TConn &C, const msg::TTakeRequest &M) { PlayMove(Conn, C, M.TableID, M); }
    void Handle(TConnId Conn, TConn &C, const msg::TBitoRequest &M) { PlayMove(Conn, C, M.TableID, M); }
    void Handle(TConnId Conn, TConn &C, const msg::TCoverRequest &M) { PlayMove(Conn, C, M.TableID, M); }
    void Handle(TConnId Conn, TConn &C, const msg::TTransferRequest &M) { PlayMove(Conn, C, M.TableID, M); }

    void Handle(TConnId, TConn &, const msg::TRoundStartRequest &) {}

    void Handle(TConnId Conn, TConn &, const msg::TStateConnectedAnswer &M) {
        qCDebug(lcServer) << "connection" << Conn << "reachable:" << M.Connected << "kind" << M.Kind;
    }
    void Handle(TConnId Conn, TConn &, const msg::TServerInfoAnswer &M) {
        qCDebug(lcServer) << "connection" << Conn << "server information sent:" << M.Sent;
    }
    void Handle(TConnId Conn, TConn &, const msg::TRedirectAnswer &M) {
        qCDebug(lcServer) << "connection" << Conn << "redirected report sent:" << M.Succeeded;
    }
    // Another person's client sends the failed report on the sender's behalf.
    void Handle(TConnId Conn, TConn &, const msg::TRedirectRequest &M) {
        for (const auto &[id, conn] : FConns) {
            if (id != Conn && !conn.Bot) {
                Send(id, msg::TRedirectedInfo{M});
                return;
            }
        }
        qCDebug(lcServer) << "no client to redirect the report of connection" << Conn << "to";
    }

    TGameServer &FOwner;
    TClock &FClock;
    TRandom FRng;
    TServerOptions FOptions;
    std::map<TConnId, TConn> FConns;
    std::map<int, std::unique_ptr<TTable>> FTables;
    std::vector<int> FKept;
    std::vector<std::unique_ptr<TBot>> FDead;
    std::vector<std::unique_ptr<TTable>> FDeadTables;
    TClock::TId FReaper = 0;
    TClock::TId FSweep = 0;
    std::map<int, TClock::TId> FBotFill; // by table
    TConnId FNextConn = 1;
    int FNextTable = 0;
    int FBotNumber = 0;
    int FRefusals = 0;
};

TGameServer::TGameServer(TClock &Clock, std::uint64_t Seed, TServerOptions Options)
    : FLobby(std::make_unique<TLobby>(*this, Clock, Seed, Options)) {}

TGameServer::~TGameServer() = default;

TConnId TGameServer::Connect(const QString &PlayerName) {
    return FLobby->Connect(PlayerName);
}

void TGameServer::Receive(TConnId Conn, const QString &Message) {
    FLobby->Receive(Conn, Message);
}

void TGameServer::Disconnect(TConnId Conn) {
    FLobby->Disconnect(Conn);
}

void TGameServer::AbortGames() {
    FLobby->AbortGames();
}

int TGameServer::OpenBotTable(const TTableRules &Rules, const std::vector<TBotLevel> &Bots) {
    return FLobby->OpenBotTable(Rules, Bots);
}

int TGameServer::RefusedRequests() const {
    return FLobby->Refusals();
}

} // namespace trelvo::server
