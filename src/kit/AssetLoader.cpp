#include "AssetLoader.h"

#include "common/Exceptions.h"

#ifdef TRELVO_HAVE_ASSETS
#include "assets/Assets.h"
#endif

namespace trelvo {

namespace {

QImage DefaultLoader(const QString &name) {
#ifdef TRELVO_HAVE_ASSETS
    return LoadAsset(name);
#else
    throw EAssetNotFound("no image assets linked in: " + name.toStdString());
#endif
}

TAssetLoader &Current() {
    static TAssetLoader loader = DefaultLoader;
    return loader;
}

} // namespace

QImage LoadBitmap(const QString &name) {
    return Current()(name);
}

void SetAssetLoader(TAssetLoader loader) {
    Current() = loader ? std::move(loader) : TAssetLoader(DefaultLoader);
}

bool HaveBuiltInAssets() {
#ifdef TRELVO_HAVE_ASSETS
    return true;
#else
    return false;
#endif
}

TAssetLoaderScope::TAssetLoaderScope(TAssetLoader loader) : FPrevious(Current()) {
    SetAssetLoader(std::move(loader));
}

TAssetLoaderScope::~TAssetLoaderScope() {
    Current() = FPrevious;
}

} // namespace trelvo
