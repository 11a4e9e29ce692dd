#include "host/sounds/SoundSynth.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace trelvo::host {

namespace {

// Sounds are mixed as floats in -1..1 and kept well below full scale.
using TTrack = std::vector<float>;
constexpr float kLoudness = 0.45f;

int Samples(double Seconds) {
    return static_cast<int>(Seconds * kSoundRate);
}

void Grow(TTrack &Track, int Size) {
    if (static_cast<int>(Track.size()) < Size)
        Track.resize(Size, 0.0f);
}

// A sine tone with a short attack and an exponential fall, from At seconds on.
void Tone(TTrack &Track, double At, double Seconds, double Hz, float Gain, double Fall = 8.0) {
    const int start = Samples(At), count = Samples(Seconds);
    Grow(Track, start + count);
    const int attack = Samples(0.004);
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kSoundRate;
        const double envelope = std::min(1.0, static_cast<double>(i) / attack) * std::exp(-Fall * t);
        // A soft second harmonic keeps the tone from sounding like a test signal.
        const double wave =
            std::sin(2 * std::numbers::pi * Hz * t) + 0.25 * std::sin(4 * std::numbers::pi * Hz * t);
        Track[start + i] += static_cast<float>(Gain * envelope * wave / 1.25);
    }
}

// Low-passed noise: the rustle of a card sliding over cloth. Brightness 0..1 sets the filter.
void Rustle(TTrack &Track, double At, double Seconds, float Gain, float Brightness, std::uint32_t Seed) {
    const int start = Samples(At), count = Samples(Seconds);
    Grow(Track, start + count);
    std::uint32_t state = Seed;
    float low = 0.0f;
    for (int i = 0; i < count; ++i) {
        state = state * 1664525u + 1013904223u;
        const float white = static_cast<float>(state >> 8) / static_cast<float>(1u << 24) * 2.0f - 1.0f;
        low += Brightness * (white - low);
        const double x = static_cast<double>(i) / count;
        // Rises fast, then fades out to silence at its end.
        const double envelope = std::min(1.0, x * 12.0) * std::pow(1.0 - x, 2.0);
        Track[start + i] += static_cast<float>(Gain * envelope * low);
    }
}

std::vector<std::int16_t> ToPcm(const TTrack &Track) {
    float peak = 0.0f;
    for (float v : Track)
        peak = std::max(peak, std::fabs(v));
    const float scale = peak > 0.0f ? kLoudness / peak : 0.0f;
    std::vector<std::int16_t> pcm(Track.size());
    std::transform(Track.begin(), Track.end(), pcm.begin(),
                   [scale](float v) { return static_cast<std::int16_t>(std::lround(v * scale * 32767.0f)); });
    return pcm;
}

} // namespace

std::vector<std::int16_t> SynthesizeSound(TSound Sound) {
    TTrack track;
    switch (Sound) {
    case TSound::Deal:
        for (int i = 0; i < 4; ++i)
            Rustle(track, i * 0.07, 0.06, 1.0f, 0.35f, 11u + i);
        break;
    case TSound::CardPlayed:
        Rustle(track, 0.0, 0.09, 1.0f, 0.45f, 21u);
        Tone(track, 0.0, 0.05, 180, 0.5f, 60.0);
        break;
    case TSound::Cover:
        Rustle(track, 0.0, 0.08, 0.8f, 0.55f, 31u);
        Tone(track, 0.01, 0.06, 320, 0.5f, 50.0);
        break;
    case TSound::Take:
        for (int i = 0; i < 3; ++i)
            Rustle(track, i * 0.05, 0.16, 0.8f, 0.2f, 41u + i);
        break;
    case TSound::Discard:
        Rustle(track, 0.0, 0.25, 1.0f, 0.12f, 51u);
        break;
    case TSound::YourMove:
        Tone(track, 0.0, 0.18, 880, 0.7f, 14.0);
        Tone(track, 0.12, 0.25, 1320, 0.6f, 12.0);
        break;
    case TSound::Win: {
        const double notes[] = {523.25, 659.25, 783.99, 1046.5};
        for (int i = 0; i < 4; ++i)
            Tone(track, i * 0.11, i == 3 ? 0.5 : 0.2, notes[i], 0.6f, i == 3 ? 5.0 : 10.0);
        break;
    }
    case TSound::Loss: {
        const double notes[] = {392.0, 329.63, 261.63};
        for (int i = 0; i < 3; ++i)
            Tone(track, i * 0.16, i == 2 ? 0.55 : 0.25, notes[i], 0.6f, i == 2 ? 4.0 : 8.0);
        break;
    }
    }
    // A few milliseconds of fade at the end: no click when the last tone is cut.
    const int fade = std::min<int>(Samples(0.01), static_cast<int>(track.size()));
    for (int i = 0; i < fade; ++i)
        track[track.size() - 1 - i] *= static_cast<float>(i) / fade;
    return ToPcm(track);
}

QByteArray WavFile(const std::vector<std::int16_t> &Samples, int Rate) {
    const quint32 dataBytes = static_cast<quint32>(Samples.size() * 2);
    QByteArray file;
    auto u32 = [&file](quint32 v) {
        char bytes[4];
        qToLittleEndian(v, bytes);
        file.append(bytes, 4);
    };
    auto u16 = [&file](quint16 v) {
        char bytes[2];
        qToLittleEndian(v, bytes);
        file.append(bytes, 2);
    };
    file.append("RIFF");
    u32(36 + dataBytes);
    file.append("WAVE");
    file.append("fmt ");
    u32(16);
    u16(1); // PCM
    u16(1); // mono
    u32(static_cast<quint32>(Rate));
    u32(static_cast<quint32>(Rate * 2));
    u16(2);
    u16(16);
    file.append("data");
    u32(dataBytes);
    for (std::int16_t s : Samples)
        u16(static_cast<quint16>(s));
    return file;
}

} // namespace trelvo::host
