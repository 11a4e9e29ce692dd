#pragma once

#include <QLoggingCategory>

namespace trelvo::server {
Q_DECLARE_LOGGING_CATEGORY(lcServer)
}
