#include "Log.h"

namespace trelvo {

Q_LOGGING_CATEGORY(lcLobby, "trelvo.lobby")

} // namespace trelvo
