#include "host/sounds/SoundPlayer.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

// The sounds are resources of a static library: linked in only through their initialiser, which must
// be called outside any namespace.
static void InitSoundResources() {
    Q_INIT_RESOURCE(trelvo_sounds);
}

namespace trelvo::host {

TSoundPlayer::TSoundPlayer(std::function<void(const QString &Line)> OnLog) : FOnLog(std::move(OnLog)) {
    InitSoundResources();
    if (QMediaDevices::audioOutputs().isEmpty()) {
        LogOnce(QStringLiteral("no audio device: the game stays silent"));
        return;
    }
    for (TSound sound : kAllSounds) {
        auto effect = std::make_unique<QSoundEffect>();
        effect->setSource(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(SoundName(sound))));
        effect->setVolume(0.6f);
        QSoundEffect *raw = effect.get();
        QObject::connect(raw, &QSoundEffect::statusChanged, [this, raw, sound] {
            if (raw->status() == QSoundEffect::Error)
                LogOnce(QStringLiteral("the sound %1 cannot be played: the game stays silent where it "
                                       "would sound")
                            .arg(SoundName(sound)));
        });
        FEffects.emplace(sound, std::move(effect));
    }
}

TSoundPlayer::~TSoundPlayer() = default;

void TSoundPlayer::Play(TSound Sound) {
    if (FMuted)
        return;
    const auto found = FEffects.find(Sound);
    if (found == FEffects.end())
        return;
    found->second->play();
}

void TSoundPlayer::LogOnce(const QString &Line) {
    if (FLogged)
        return;
    FLogged = true;
    if (FOnLog)
        FOnLog(Line);
}

} // namespace trelvo::host
