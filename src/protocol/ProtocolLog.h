#pragma once

#include <QLoggingCategory>

namespace trelvo {
Q_DECLARE_LOGGING_CATEGORY(lcProtocol)
} // namespace trelvo
