#pragma once

#include <QLoggingCategory>

// The scene's trail: calls it ignores on purpose are noted here at debug level.
Q_DECLARE_LOGGING_CATEGORY(lcScene)
