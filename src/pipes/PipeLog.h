#pragma once

#include <QLoggingCategory>

namespace trelvo {
// Errors the pipe transport swallows on purpose (a message it cannot hold) leave a trail here.
Q_DECLARE_LOGGING_CATEGORY(lcPipes)
} // namespace trelvo
