// Renders a demo scene (or the asset gallery) to a PNG with the offscreen platform.
//
//   trelvo_screenshot <scene> <out.png> [--at <ms>]   (--list or --help names the scenes)
//   trelvo_screenshot --gallery <out.png>
//   trelvo_screenshot --list | --help

#include "DemoScenes.h"

#include "common/Clock.h"

#ifdef TRELVO_HAVE_ASSETS
#include "assets/Assets.h"
#endif

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--list")) {
        for (const QString &name : trelvo::demo::SceneNames())
            std::printf("%s\n", qPrintable(name));
        return 0;
    }
    if (args.value(0) == QLatin1String("--help") || args.value(0) == QLatin1String("-h")) {
        std::printf("usage: trelvo_screenshot <scene> <out.png> [--at <ms>] | --gallery <out.png> | --list\n"
                    "scenes:\n");
        for (const QString &name : trelvo::demo::SceneNames())
            std::printf("  %s\n", qPrintable(name));
        return 0;
    }
    if (args.value(0) == QLatin1String("--gallery")) {
#ifdef TRELVO_HAVE_ASSETS
        const QString out = args.value(1, QStringLiteral("gallery.png"));
        if (!trelvo::RenderGallerySheet().save(out)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
            return 1;
        }
        std::printf("%s\n", qPrintable(out));
        return 0;
#else
        std::fprintf(stderr, "built without the asset library\n");
        return 1;
#endif
    }
    if (args.size() < 2) {
        std::fprintf(
            stderr,
            "usage: trelvo_screenshot <scene> <out.png> [--at <ms>] | --gallery <out.png> | --list\n");
        return 2;
    }
    // Scene time runs on a manual clock so that a picture shows the same moment every time.
    trelvo::TManualClock clock;
    trelvo::TClockScope scope(clock);
    trelvo::demo::TDemoScene scene = trelvo::demo::Build(args[0]);
    int atMs = scene.shotAtMs;
    if (int i = static_cast<int>(args.indexOf(QStringLiteral("--at"))); i >= 0)
        atMs = args.value(i + 1).toInt();
    clock.Advance(atMs);
    const QImage shot = scene.form->RenderToImage();
    if (!shot.save(args[1])) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    std::printf("%s\n", qPrintable(args[1]));
    return 0;
}
