#pragma once

#include "pipes/PipeServer.h"
#include "protocol/Protocol.h"
#include "sync/QueuePump.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

namespace trelvo::host {

// The pipe the client connects to, as the chat client's plug-in names it.
inline constexpr const char *kClientPipeName = kHostPipeName;
// How far a client may fall behind in reading its answers before it is dropped: far more than any
// answer the host sends, far less than the memory a client that never reads would otherwise take.
inline constexpr std::uint32_t kClientQueueLimit = 16u << 20;

// The plug-in's end of the client's pipe: listens on the client's pipe name, keeps one client and
// carries whole messages as text in the wire code page. Events run on the creating thread's Qt loop.
class THostLink {
public:
    explicit THostLink(std::string PipeName);
    ~THostLink();
    THostLink(const THostLink &) = delete;
    THostLink &operator=(const THostLink &) = delete;

    // False when another host already owns the pipe name.
    bool Open();
    // Stops listening and drops the client, which then ends.
    void Close();
    bool Send(const QString &Text);
    // Drops the client's connection (it ends when its pipe closes); the host keeps listening.
    void DropClient();
    bool ClientConnected() const { return FClient != 0; }
    // Bytes of answers the client has not read yet.
    std::uint32_t QueuedBytes() const { return FClient != 0 ? FServer.QueuedBytes(FClient) : 0; }

    std::function<void()> OnClientConnected;
    std::function<void()> OnClientDisconnected;
    std::function<void(const QString &Text)> OnClientMessage;

private:
    TQueuePump FPump;
    TPipeServer FServer;
    TPipeHandle FClient = 0;
};

} // namespace trelvo::host
