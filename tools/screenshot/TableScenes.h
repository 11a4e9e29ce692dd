#pragma once

#include "DemoScenes.h"

#include <QString>
#include <QStringList>

namespace trelvo::demo {

// The real game table at moments worth a look: mid-game with four players ("table"), a transfer
// offered ("table-transfer"), the user taking ("table-take"), the round-end countdown
// ("table-round-end") and the your-turn cue ("table-your-turn").
QStringList TableSceneNames();
// Builds one of them into scene; false for another name.
bool BuildTableScene(const QString &name, TDemoScene &scene);

// The bench's table: 1280 x 1024, four players mid-game, the turn clock running and twelve cards
// flying into the playing place. Restarting sends the twelve cards in again.
TDemoScene BuildTableInFlight();
void RestartTableFlights(TDemoScene &scene);

} // namespace trelvo::demo
