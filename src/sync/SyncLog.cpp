#include "sync/SyncLog.h"

namespace trelvo {
Q_LOGGING_CATEGORY(lcSync, "trelvo.sync", QtWarningMsg)
} // namespace trelvo
