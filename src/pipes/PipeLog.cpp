#include "pipes/PipeLog.h"

namespace trelvo {
Q_LOGGING_CATEGORY(lcPipes, "trelvo.pipes", QtWarningMsg)
} // namespace trelvo
