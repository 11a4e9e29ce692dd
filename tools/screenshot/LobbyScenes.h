#pragma once

#include "DemoScenes.h"

#include <QString>
#include <QStringList>

namespace trelvo::demo {

// The lobby's windows as a player sees them: the table list, the settings window, the waiting
// room (counting down, and with each result banner), stacked message boxes and the About window.
QStringList LobbySceneNames();
// Builds one of LobbySceneNames(); needs a QApplication (the About window is a real dialog).
TDemoScene BuildLobbyScene(const QString &name);

} // namespace trelvo::demo
