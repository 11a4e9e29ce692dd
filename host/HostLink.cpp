#include "host/HostLink.h"

#include "common/Exceptions.h"
#include "host/HostLog.h"
#include "pipes/Streams.h"
#include "protocol/Protocol.h"
#include "sync/ThreadQueue.h"

namespace trelvo::host {

THostLink::THostLink(std::string PipeName)
    : FPump([](const Exception &Error) { qCWarning(lcHost) << "pipe error:" << Error.what(); }) {
    FServer.SetPipeName(PipeName);
    FServer.SetQueueLimit(kClientQueueLimit);
    FServer.OnPipeConnect = [this](void *, TPipeHandle Pipe) {
        if (FClient != 0) {
            // One client at a time: the real one holds an instance guard, anything else is a stray.
            qCWarning(lcHost) << "a second client connected; dropping it";
            FServer.Disconnect(Pipe);
            return;
        }
        FClient = Pipe;
        if (auto handler = OnClientConnected)
            handler();
    };
    FServer.OnPipeDisconnect = [this](void *, TPipeHandle Pipe) {
        if (Pipe != FClient)
            return;
        FClient = 0;
        if (auto handler = OnClientDisconnected)
            handler();
    };
    FServer.OnPipeMessage = [this](void *, TPipeHandle Pipe, TStream &Stream) {
        if (Pipe != FClient)
            return;
        const std::string bytes = Stream.Bytes();
        if (auto handler = OnClientMessage)
            handler(DecodeAnsi(QByteArray::fromStdString(bytes)));
    };
    FServer.OnPipeError = [](void *, TPipeHandle Pipe, TPipeContext Context, std::int32_t Code) {
        qCDebug(lcHost) << "pipe error on connection" << Pipe << "context" << static_cast<int>(Context)
                        << "code" << Code;
    };
}

THostLink::~THostLink() {
    Close();
}

bool THostLink::Open() {
    return FServer.Open();
}

void THostLink::Close() {
    OnClientConnected = nullptr;
    OnClientDisconnected = nullptr;
    OnClientMessage = nullptr;
    FServer.Close();
    FClient = 0;
}

bool THostLink::Send(const QString &Text) {
    if (FClient == 0)
        return false;
    TMemoryStream stream(EncodeAnsi(Text).toStdString());
    return FServer.SendStream(FClient, stream);
}

void THostLink::DropClient() {
    if (FClient != 0)
        FServer.Disconnect(FClient);
}

} // namespace trelvo::host
