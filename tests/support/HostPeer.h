#pragma once

#include "pipes/PipeServer.h"

#include <string>
#include <vector>

namespace trelvo::test {

// The host plug-in's end of the client's pipe, for tests: listens on the given pipe name, records
// every whole message the client sends, and sends framed messages to it. Events run on the test's
// thread while it waits in one of the Wait calls.
class THostPeer {
public:
    explicit THostPeer(const std::string &PipeName);
    ~THostPeer();

    bool Listening() const { return FListening; }
    bool WaitConnected(int TimeoutMs = 5000);
    bool Connected() const { return FClient != 0 && !FDisconnected; }
    // Sends one message as the host does (the bytes as given, framed).
    bool Send(const std::string &Bytes);
    // Waits until at least Count messages arrived; returns all so far.
    const std::vector<std::string> &WaitMessages(std::size_t Count, int TimeoutMs = 5000);
    // Waits the whole time and returns what arrived meanwhile (use sparingly: it is real time).
    const std::vector<std::string> &Collect(int Ms);
    std::vector<std::string> TakeMessages();
    // Every message so far, without waiting.
    const std::vector<std::string> &Messages() const { return FMessages; }
    bool WaitDisconnected(int TimeoutMs = 5000);
    // Drops the client's connection, as the host does when it ends.
    void Close();

private:
    TPipeServer FServer;
    bool FListening = false;
    TPipeHandle FClient = 0;
    bool FDisconnected = false;
    std::vector<std::string> FMessages;
};

} // namespace trelvo::test
