#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace trelvo {

// The named pictures compiled into the program. Names match without regard to letter case
// ("window_frame" finds "Window_Frame"). A name that no asset bears is a programming error and
// raises EAssetNotFound (common/Exceptions.h).

// Decodes the named asset by its content (PNG with alpha, or JPEG). Decoded pictures are kept,
// so a repeated load is cheap; QImage shares the pixels until the caller changes them.
QImage LoadAsset(const QString &name);

// The encoded bytes of the named asset, as stored (PNG or JPEG).
QByteArray LoadAssetData(const QString &name);

// Every asset name in catalogue order, spelt as stored.
QStringList AssetNames();

bool HasAsset(const QString &name);

// One review sheet: every asset on a checkerboard (so transparency shows), large pictures scaled
// down, each with its name, pixel size and format under it. Needs a QGuiApplication for the text.
QImage RenderGallerySheet();

} // namespace trelvo
