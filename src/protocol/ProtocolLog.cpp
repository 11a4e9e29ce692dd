#include "protocol/ProtocolLog.h"

namespace trelvo {
Q_LOGGING_CATEGORY(lcProtocol, "trelvo.protocol", QtWarningMsg)
} // namespace trelvo
