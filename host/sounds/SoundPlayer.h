#pragma once

#include "host/Sounds.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

class QSoundEffect;

namespace trelvo::host {

// Plays the sounds compiled into the program with Qt Multimedia. Without an audio device it stays
// silent and says so once through OnLog; a sound that cannot be played is told once too.
class TSoundPlayer {
public:
    explicit TSoundPlayer(std::function<void(const QString &Line)> OnLog);
    ~TSoundPlayer();
    TSoundPlayer(const TSoundPlayer &) = delete;
    TSoundPlayer &operator=(const TSoundPlayer &) = delete;

    void Play(TSound Sound);
    void SetMuted(bool Muted) { FMuted = Muted; }
    bool Silent() const { return FEffects.empty(); }

private:
    void LogOnce(const QString &Line);

    std::function<void(const QString &Line)> FOnLog;
    std::map<TSound, std::unique_ptr<QSoundEffect>> FEffects;
    bool FMuted = false;
    bool FLogged = false;
};

} // namespace trelvo::host
