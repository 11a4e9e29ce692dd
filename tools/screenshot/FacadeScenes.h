#pragma once

#include "DemoScenes.h"

#include <QString>
#include <QStringList>

namespace trelvo::demo {

// The real scene facade driven as the controller drives it: the lobby, the waiting room that
// replaces it, and the game table that replaces the waiting room.
QStringList FacadeSceneNames();
// Builds one of FacadeSceneNames(); needs a QApplication (the facade owns the main window).
TDemoScene BuildFacadeScene(const QString &name);

} // namespace trelvo::demo
