#include "stats/StatsLog.h"

namespace trelvo {
Q_LOGGING_CATEGORY(lcStats, "trelvo.stats", QtWarningMsg)
} // namespace trelvo
