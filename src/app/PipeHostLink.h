#pragma once

#include "app/HostLink.h"
#include "pipes/PipeClient.h"
#include "protocol/Protocol.h"

#include <memory>
#include <string>

namespace trelvo {

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
