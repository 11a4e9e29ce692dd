#include "app/PipeHostLink.h"

#include "app/AppLog.h"

namespace trelvo {

TPipeHostLink::TPipeHostLink(const std::string &PipeName) : FClient(std::make_unique<TPipeClient>()) {
    FClient->SetPipeName(PipeName);
    FClient->OnPipeMessage = [this](void *, TPipeHandle, TStream &Stream) {
        // A view of the assembled message (memory or the mapped temporary file), not a copy.
        if (OnMessage)
            OnMessage(Stream.View());
    };
    FClient->OnPipeDisconnect = [this](void *, TPipeHandle) {
        if (OnClosed)
            OnClosed();
    };
    FClient->OnPipeError = [](void *, TPipeHandle, TPipeContext Context, std::int32_t ErrorCode) {
        qCDebug(lcApp, "pipe error %d in context %d", ErrorCode, static_cast<int>(Context));
    };
    if (!FClient->Connect(0, true))
        qCWarning(lcApp, "no connection to the host's pipe");
}

TPipeHostLink::~TPipeHostLink() {
    FClient->Disconnect();
}

void TPipeHostLink::Send(std::string_view Bytes) {
    if (!FClient->Connected())
        return;
    TMemoryStream stream(Bytes.data(), Bytes.size());
    FClient->SendStream(stream);
}

bool TPipeHostLink::Connected() const {
    return FClient->Connected();
}

} // namespace trelvo
