#include "HostPeer.h"

#include "pipes/Streams.h"
#include "sync/ThreadQueue.h"

namespace trelvo::test {

THostPeer::THostPeer(const std::string &PipeName) {
    FServer.SetPipeName(PipeName);
    FServer.OnPipeConnect = [this](void *, TPipeHandle Pipe) {
        FClient = Pipe;
        FDisconnected = false;
    };
    FServer.OnPipeDisconnect = [this](void *, TPipeHandle Pipe) {
        if (Pipe == FClient)
            FDisconnected = true;
    };
    FServer.OnPipeMessage = [this](void *, TPipeHandle, TStream &Stream) {
        FMessages.push_back(Stream.Bytes());
    };
    FListening = FServer.Open();
}

THostPeer::~THostPeer() {
    FServer.Close();
}

bool THostPeer::WaitConnected(int TimeoutMs) {
    return TThreadQueue::Current().WaitUntil([this] { return FClient != 0; }, TimeoutMs);
}

bool THostPeer::Send(const std::string &Bytes) {
    TMemoryStream stream(Bytes);
    return FServer.SendStream(FClient, stream);
}

const std::vector<std::string> &THostPeer::WaitMessages(std::size_t Count, int TimeoutMs) {
    TThreadQueue::Current().WaitUntil([&] { return FMessages.size() >= Count; }, TimeoutMs);
    return FMessages;
}

const std::vector<std::string> &THostPeer::Collect(int Ms) {
    TThreadQueue::Current().WaitUntil([] { return false; }, Ms);
    return FMessages;
}

std::vector<std::string> THostPeer::TakeMessages() {
    std::vector<std::string> taken;
    taken.swap(FMessages);
    return taken;
}

bool THostPeer::WaitDisconnected(int TimeoutMs) {
    return TThreadQueue::Current().WaitUntil([this] { return FDisconnected; }, TimeoutMs);
}

void THostPeer::Close() {
    if (FClient != 0 && !FDisconnected)
        FServer.Disconnect(FClient);
}

} // namespace trelvo::test
