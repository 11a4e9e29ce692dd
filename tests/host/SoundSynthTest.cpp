// The sounds the build synthesizes: well-formed WAV files that a player hears and that do not click.
#include "host/sounds/SoundSynth.h"

#include <QSet>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace trelvo::host;

namespace {

quint32 U32(const QByteArray &File, int At) {
    return qFromLittleEndian<quint32>(File.constData() + At);
}
quint16 U16(const QByteArray &File, int At) {
    return qFromLittleEndian<quint16>(File.constData() + At);
}

TEST(SoundSynth, EverySoundIsAShortAudibleMonoWavThatFadesOut) {
    QSet<QString> names;
    QSet<QByteArray> files;
    for (TSound sound : kAllSounds) {
        const QString name = SoundName(sound);
        SCOPED_TRACE(name.toStdString());
        names << name;
        const std::vector<std::int16_t> samples = SynthesizeSound(sound);
        const QByteArray file = WavFile(samples);
        files << file;

        ASSERT_EQ(file.size(), 44 + 2 * static_cast<int>(samples.size()));
        EXPECT_EQ(file.left(4), QByteArray("RIFF"));
        EXPECT_EQ(U32(file, 4), static_cast<quint32>(file.size() - 8));
        EXPECT_EQ(file.mid(8, 8), QByteArray("WAVEfmt "));
        EXPECT_EQ(U32(file, 16), 16u);
        EXPECT_EQ(U16(file, 20), 1u); // PCM
        EXPECT_EQ(U16(file, 22), 1u); // mono
        EXPECT_EQ(U32(file, 24), static_cast<quint32>(kSoundRate));
        EXPECT_EQ(U32(file, 28), static_cast<quint32>(kSoundRate * 2));
        EXPECT_EQ(U16(file, 32), 2u);
        EXPECT_EQ(U16(file, 34), 16u);
        EXPECT_EQ(file.mid(36, 4), QByteArray("data"));
        EXPECT_EQ(U32(file, 40), static_cast<quint32>(samples.size() * 2));
        EXPECT_EQ(static_cast<std::int16_t>(U16(file, 44)), samples.front());

        const double seconds = static_cast<double>(samples.size()) / kSoundRate;
        EXPECT_GE(seconds, 0.05);
        EXPECT_LE(seconds, 1.5);
        int peak = 0;
        for (std::int16_t s : samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        // Loud enough to hear, with room below full scale: no clipping.
        EXPECT_GT(peak, 32767 / 4);
        EXPECT_LT(peak, 32767 * 9 / 10);
        EXPECT_LT(std::abs(static_cast<int>(samples.back())), 32767 / 100);
        EXPECT_EQ(SynthesizeSound(sound), samples) << "the same on every build";
    }
    EXPECT_EQ(names.size(), static_cast<int>(std::size(kAllSounds)));
    EXPECT_EQ(files.size(), static_cast<int>(std::size(kAllSounds)));
}

} // namespace
