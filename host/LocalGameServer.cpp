#include "host/LocalGameServer.h"

#include "server/GameServer.h"

namespace trelvo::host {

TLocalGameServer::TLocalGameServer(TClock &Clock, std::uint64_t Seed, const THostOptions &Options) {
    server::TServerOptions serverOptions;
    serverOptions.LobbyBotTables = Options.LobbyTables;
    serverOptions.AutoJoinBots = Options.Bots;
    serverOptions.Level = Options.Level;
    serverOptions.BotThinkMinMs = Options.BotThinkMinMs;
    serverOptions.BotThinkMaxMs = Options.BotThinkMaxMs;
    serverOptions.CountdownTickMs = Options.CountdownTickMs;
    serverOptions.RoundEndPauseMs = Options.RoundEndPauseMs;
    FServer = std::make_unique<server::TGameServer>(Clock, Seed, serverOptions);
    FServer->OnSend = [this](TConnId Conn, const QString &Message) {
        if (auto handler = OnSend)
            handler(Conn, Message);
    };
}

TLocalGameServer::~TLocalGameServer() = default;

IGameServer::TConnId TLocalGameServer::Connect(const QString &PlayerName) {
    return FServer->Connect(PlayerName);
}

void TLocalGameServer::Receive(TConnId Conn, const QString &Message) {
    FServer->Receive(Conn, Message);
}

void TLocalGameServer::Disconnect(TConnId Conn) {
    FServer->Disconnect(Conn);
}

} // namespace trelvo::host
