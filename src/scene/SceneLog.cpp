#include "SceneLog.h"

Q_LOGGING_CATEGORY(lcScene, "trelvo.scene", QtWarningMsg)
