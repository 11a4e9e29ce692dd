#pragma once

#include "host/GameServerPort.h"
#include "host/HostOptions.h"

#include "common/Clock.h"

#include <cstdint>
#include <memory>

namespace trelvo::server {
class TGameServer;
}

namespace trelvo::host {

// The Durak game server with its bots, in the host's process and on the host's clock.
class TLocalGameServer : public IGameServer {
public:
    TLocalGameServer(TClock &Clock, std::uint64_t Seed, const THostOptions &Options);
    ~TLocalGameServer() override;

    TConnId Connect(const QString &PlayerName) override;
    void Receive(TConnId Conn, const QString &Message) override;
    void Disconnect(TConnId Conn) override;

private:
    std::unique_ptr<server::TGameServer> FServer;
};

} // namespace trelvo::host
