#pragma once

#include "pipes/Streams.h"

#include <memory>

namespace trelvo {

// The assembly of one framed message: an unnamed temporary file that vanishes when closed, or memory
// when no such file can be made. A framed message is thus limited by disk space, not memory.
class TPipeMultiMsg {
public:
    TPipeMultiMsg();
    ~TPipeMultiMsg();
    TPipeMultiMsg(const TPipeMultiMsg &) = delete;
    TPipeMultiMsg &operator=(const TPipeMultiMsg &) = delete;

    TStream &Stream() { return *FStream; }
    bool InFile() const { return FHandle >= 0; }

private:
    int FHandle = -1;
    std::unique_ptr<TStream> FStream;
};

} // namespace trelvo
