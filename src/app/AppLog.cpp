#include "app/AppLog.h"

namespace trelvo {
Q_LOGGING_CATEGORY(lcApp, "trelvo.app", QtWarningMsg)
} // namespace trelvo
