// trelvo_soundgen OUTDIR: synthesizes every sound of the table into OUTDIR as WAV files, with the .qrc
// that compiles them into trelvo_host_sound.
#include "host/sounds/SoundSynth.h"

#include <QDir>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char **argv) {
    using namespace trelvo::host;
    if (argc != 2) {
        std::fprintf(stderr, "usage: trelvo_soundgen OUTDIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    auto save = [](const QString &Path, const QByteArray &Bytes) {
        QSaveFile file(Path);
        if (!file.open(QIODevice::WriteOnly) || file.write(Bytes) != Bytes.size() || !file.commit()) {
            std::fprintf(stderr, "trelvo_soundgen: cannot write %s\n", qPrintable(Path));
            return false;
        }
        return true;
    };
    QByteArray qrc = "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/sounds\">\n";
    for (TSound sound : kAllSounds) {
        const QString file = SoundName(sound) + QStringLiteral(".wav");
        if (!save(dir + u'/' + file, WavFile(SynthesizeSound(sound))))
            return 1;
        qrc += "  <file>" + file.toUtf8() + "</file>\n";
    }
    qrc += "</qresource>\n</RCC>\n";
    return save(dir + QStringLiteral("/trelvo_sounds.qrc"), qrc) ? 0 : 1;
}
