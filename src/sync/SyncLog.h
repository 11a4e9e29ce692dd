#pragma once

#include <QLoggingCategory>

namespace trelvo {
// Errors the thread helpers swallow on purpose leave a trail here ("trelvo.sync").
Q_DECLARE_LOGGING_CATEGORY(lcSync)
} // namespace trelvo
