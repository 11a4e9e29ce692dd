#pragma once

#include "host/Sounds.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace trelvo::host {

inline constexpr int kSoundRate = 22050;

// The samples of one sound (mono, 16 bit, kSoundRate per second), drawn from tones and seeded noise:
// the same on every build.
std::vector<std::int16_t> SynthesizeSound(TSound Sound);

// A RIFF/WAVE file of 16-bit mono PCM samples.
QByteArray WavFile(const std::vector<std::int16_t> &Samples, int Rate = kSoundRate);

} // namespace trelvo::host
