#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace trelvo::server {

// xoshiro256** seeded through splitmix64: our own generator, so a seed deals the same cards and makes
// the same bot choices with every standard library.
class TRandom {
public:
    explicit TRandom(std::uint64_t Seed) {
        for (std::uint64_t &s : FState) {
            Seed += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = Seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            s = z ^ (z >> 31);
        }
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(FState[1] * 5, 7) * 9;
        const std::uint64_t t = FState[1] << 17;
        FState[2] ^= FState[0];
        FState[3] ^= FState[1];
        FState[1] ^= FState[2];
        FState[0] ^= FState[3];
        FState[2] ^= t;
        FState[3] = Rotl(FState[3], 45);
        return result;
    }

    // Uniform in [0, Bound) by rejection, so no value is favoured. Bound > 0.
    int Below(int Bound) {
        const std::uint64_t bound = static_cast<std::uint64_t>(Bound);
        const std::uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
        std::uint64_t x = 0;
        do {
            x = Next();
        } while (x >= limit);
        return static_cast<int>(x % bound);
    }

    // Uniform in [Min, Max].
    int Between(int Min, int Max) { return Max <= Min ? Min : Min + Below(Max - Min + 1); }

    template <typename T> void Shuffle(std::vector<T> &Items) {
        for (int i = static_cast<int>(Items.size()) - 1; i > 0; --i)
            std::swap(Items[i], Items[Below(i + 1)]);
    }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t FState[4];
};

} // namespace trelvo::server
