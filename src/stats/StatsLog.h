#pragma once

#include <QLoggingCategory>

namespace trelvo {
// Report failures are expected (no network, a service that is down): they leave a trail here at debug
// level ("trelvo.stats").
Q_DECLARE_LOGGING_CATEGORY(lcStats)
} // namespace trelvo
