#pragma once

#include "app/HostLink.h"
#include "pipes/PipeClient.h"

#include <memory>
#include <string>

namespace trelvo {

// The host's pipe name; the pipe is always on this machine.
inline constexpr const char *kHostPipeName = "{05093645-25FA-49B3-B318-E73C28980D2C}";

// The host link over the pipe client: connects once at creation; a failed connection is not reported
// (every message is then dropped).
class TPipeHostLink : public IHostLink {
public:
    explicit TPipeHostLink(const std::string &PipeName = kHostPipeName);
    ~TPipeHostLink() override;

    void Send(std::string_view Bytes) override;
    bool Connected() const override;

    TPipeClient &Client() { return *FClient; }

private:
    std::unique_ptr<TPipeClient> FClient;
};

} // namespace trelvo
