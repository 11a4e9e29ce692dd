#include "TestPictures.h"

#include "common/Exceptions.h"

namespace trelvo::test {

TTestPictures::TTestPictures()
    : FPictures{
          {"B_0", {100, 35, 0xFF404040}}, {"B_1", {100, 35, 0xFF00A000}}, {"B_2", {100, 35, 0xFF60E060}},
          {"B_3", {100, 35, 0xFF006000}}, {"C_1", {70, 20, 0xFF0000C0}},  {"C_2", {70, 20, 0xFF4040FF}},
          {"C_3", {70, 20, 0xFF000060}},  {"Off", {20, 20, 0xFF808080}},  {"On", {20, 20, 0xFF101010}},
          {"Plate", {393, 95, 0xFFA06030}},
      },
      FScope([this](const QString &name) -> QImage {
          auto it = FPictures.find(name);
          if (it == FPictures.end())
              throw EAssetNotFound("no asset named " + name.toStdString());
          ++FLoads;
          QImage image(it->second.w, it->second.h, QImage::Format_ARGB32_Premultiplied);
          image.fill(QColor::fromRgba(it->second.colour));
          return image;
      })
{
}

QRgb TTestPictures::ColourOf(const QString &name) const {
    return FPictures.at(name).colour;
}

QString TTestPictures::NameOf(const QImage &image) const {
    if (image.isNull())
        return QString();
    const QRgb pixel = image.pixel(0, 0);
    for (const auto &[name, picture] : FPictures)
        if (picture.colour == pixel)
            return name;
    return QStringLiteral("?");
}

} // namespace trelvo::test
