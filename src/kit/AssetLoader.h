#pragma once

#include <QImage>
#include <QString>

#include <functional>

namespace trelvo {

// Opens a named image asset. The program loads from the compiled-in assets (names match without
// regard to case; an unknown name raises EAssetNotFound). Tests and tools install their own loader.
using TAssetLoader = std::function<QImage(const QString &name)>;

QImage LoadBitmap(const QString &name);
void SetAssetLoader(TAssetLoader loader);
// True when the program's assets are linked in (the default loader can find pictures).
bool HaveBuiltInAssets();

// Installs a loader for the lifetime of the scope and restores the previous one.
class TAssetLoaderScope {
public:
    explicit TAssetLoaderScope(TAssetLoader loader);
    ~TAssetLoaderScope();
    TAssetLoaderScope(const TAssetLoaderScope &) = delete;
    TAssetLoaderScope &operator=(const TAssetLoaderScope &) = delete;

private:
    TAssetLoader FPrevious;
};

} // namespace trelvo
