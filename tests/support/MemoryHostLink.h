#pragma once

#include "app/HostLink.h"

#include <string>
#include <utility>
#include <vector>

namespace trelvo::test {

// The host link without a pipe: what the dispatcher sends is recorded, what the test delivers reaches
// the dispatcher at once, on the test's thread.
class TMemoryHostLink : public IHostLink {
public:
    void Send(std::string_view Bytes) override {
        if (FConnected)
            FSent.emplace_back(Bytes);
    }
    bool Connected() const override { return FConnected; }

    void Deliver(std::string_view Bytes) {
        if (FConnected && OnMessage)
            OnMessage(Bytes);
    }
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
    std::vector<std::string> FSent;
};

} // namespace trelvo::test
