#pragma once

#include "kit/Form.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace trelvo {

class TFloatAnimation;
class TImage;

// Scenes for looking at the toolkit and for measuring it. They use the compiled-in assets when the
// program has them, and pictures drawn in code otherwise.
namespace demo {

// A card in the air with its two animations.
struct TFlight {
    TImage *card;
    TFloatAnimation *x, *y;
};

struct TDemoScene {
    std::unique_ptr<TForm> form;
    std::vector<TFlight> flights;
    // The moment worth a picture (ms of scene time after building).
    int shotAtMs = 250;
};

QStringList SceneNames();
// Builds a scene by name ("table", "widgets"); an unknown name gives an empty scene.
TDemoScene Build(const QString &name);

// The busy table: the 1280 x 1024 cloth, 40 cards (12 lying across, 12 in flight), texts and two
// framed windows with shadows. Flights start at once and run on TClock::Current().
TDemoScene BuildBusyTable();
// Starts every flight again from its start point.
void RestartFlights(TDemoScene &scene);

} // namespace demo
} // namespace trelvo
