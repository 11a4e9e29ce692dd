#pragma once

#include <QLoggingCategory>

namespace trelvo {

// The lobby's trail: errors it deliberately swallows.
Q_DECLARE_LOGGING_CATEGORY(lcLobby)

} // namespace trelvo
