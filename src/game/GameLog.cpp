#include "game/GameLog.h"

namespace trelvo {
Q_LOGGING_CATEGORY(lcGame, "trelvo.game", QtWarningMsg)
} // namespace trelvo
