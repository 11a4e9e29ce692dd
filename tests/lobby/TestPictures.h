#pragma once

#include "kit/AssetLoader.h"

#include <QImage>
#include <QRgb>
#include <QString>

#include <map>

namespace trelvo::test {

// Stand-in assets: each name is a solid picture of its own colour and size, so a test can tell from
// one pixel which picture an image shows. Unknown names raise EAssetNotFound like the real store.
class TTestPictures {
public:
    TTestPictures();

    QRgb ColourOf(const QString &name) const;
    // The known name whose colour the image shows at (0, 0), or "" / "?".
    QString NameOf(const QImage &image) const;
    int Loads() const { return FLoads; }

private:
    struct TPicture {
        int w, h;
        QRgb colour;
    };
    std::map<QString, TPicture> FPictures;
    int FLoads = 0;
    TAssetLoaderScope FScope;
};

} // namespace trelvo::test
