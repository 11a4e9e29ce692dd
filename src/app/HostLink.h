#pragma once

#include <functional>
#include <string_view>

namespace trelvo {

// The dispatcher's link to the host plug-in: whole messages in the wire code page go out and come in.
// The program uses the pipe (TPipeHostLink); tests use an in-memory peer.
class IHostLink {
public:
    virtual ~IHostLink() = default;

    // Sends one whole message; dropped without notice while the link is down.
    virtual void Send(std::string_view Bytes) = 0;
    virtual bool Connected() const = 0;

    // One whole message arrived. The bytes live only during the call.
    std::function<void(std::string_view Bytes)> OnMessage;
    // The host closed the link.
    std::function<void()> OnClosed;
};

} // namespace trelvo
