#pragma once

#include "app/HostLink.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace trelvo::test {

// The host link without a pipe: what the dispatcher sends is recorded, what the test delivers reaches
// the dispatcher at once, on the test's thread.
//
// With SetFlushDelivers(true) it behaves like the real pipe under a quick host: the pipe's flush after
// a send lets the handlers of messages that arrived meanwhile run, so Send delivers every message the
// test queued (Queue) before it returns. DeliverQueued is the event loop's turn for the rest.
class TMemoryHostLink : public IHostLink {
public:
    void Send(std::string_view Bytes) override {
        if (!FConnected)
            return;
        FSent.emplace_back(Bytes);
        if (FFlushDelivers)
            DeliverQueued();
    }
    bool Connected() const override { return FConnected; }

    void Deliver(std::string_view Bytes) {
        if (FConnected && OnMessage)
            OnMessage(Bytes);
    }
    // A message that arrives while the client is busy: delivered inside its next send (with
    // FlushDelivers) or by DeliverQueued.
    void Queue(std::string_view Bytes) { FQueued.emplace_back(Bytes); }
    void DeliverQueued() {
        // A handler may send, and that send delivers the rest: each message is taken before it runs.
        while (FConnected && !FQueued.empty()) {
            const std::string message = std::move(FQueued.front());
            FQueued.pop_front();
            Deliver(message);
        }
    }
    void SetFlushDelivers(bool Value) { FFlushDelivers = Value; }
    bool FlushDelivers() const { return FFlushDelivers; }

    // The host closes the link.
    void Close() {
        if (!FConnected)
            return;
        FConnected = false;
        if (OnClosed)
            OnClosed();
    }
    void SetConnected(bool Value) { FConnected = Value; }

    std::vector<std::string> TakeSent() { return std::exchange(FSent, {}); }

private:
    bool FConnected = true;
    bool FFlushDelivers = false;
    std::vector<std::string> FSent;
    std::deque<std::string> FQueued;
};

} // namespace trelvo::test
