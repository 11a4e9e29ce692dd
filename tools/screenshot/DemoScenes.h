#pragma once

#include "kit/Form.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace trelvo {

// Scenes for looking at the toolkit and for measuring it. They use the compiled-in assets when the
// program has them, and pictures drawn in code otherwise.
namespace demo {

struct TDemoScene {
    std::unique_ptr<TForm> form;
    // The moment worth a picture (ms of scene time after building).
    int shotAtMs = 250;
};

QStringList SceneNames();
// Builds a scene by name (SceneNames()); an unknown name gives an empty scene.
TDemoScene Build(const QString &name);

} // namespace demo
} // namespace trelvo
