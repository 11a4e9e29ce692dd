#pragma once

#include "kit/Form.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace trelvo {

// Scenes for looking at the toolkit and for measuring it. They use the compiled-in assets when the
// program has them, and pictures drawn in code otherwise.
namespace demo {

struct TDemoScene {
    // Usually the scene's own form; a scene may hand out a form owned by something else (the scene
    // facade) with a deleter that frees that owner.
    std::unique_ptr<TForm, std::function<void(TForm *)>> form;
    // The moment worth a picture (ms of scene time after building).
    int shotAtMs = 250;
};

QStringList SceneNames();
// Builds a scene by name (SceneNames()); an unknown name gives an empty scene.
TDemoScene Build(const QString &name);

} // namespace demo
} // namespace trelvo
