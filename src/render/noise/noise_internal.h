#pragma once
// The noises' fixed constants, shared by the noise lanes (render/simd/noise_lanes.inl) and the
// per-frame code that draws from the same hashes. Not part of the public noise interface.

#include <cstdint>

namespace nebulastra {
namespace noise_internal {

// Fixed multipliers. Each one is part of the look of the clouds: changing any of them changes
// every frame ever rendered.
constexpr uint32_t kPrimeX = 374761393u;
constexpr uint32_t kPrimeY = 668265263u;
constexpr uint32_t kPrimeZ = 1274126177u; // also the scramble multiplier of hashMix
constexpr uint32_t kPrimeW = 1933875137u;
constexpr uint32_t kPrimeSeed = 362437u;
constexpr uint32_t kGradientSpacing = 47479247u;

// The octave step: rotation entries times the lacunarity 2.02, as single-precision products. The
// decimal literals (0.7272, 0.9696, ...) differ from these products in the last bit and would
// shift every octave after the first.
constexpr float kLacunarity = 2.02f;
constexpr float kOctaveShiftW = 1.7f;
constexpr uint32_t kOctaveSeedStep = 101u;
constexpr float k08 = 0.8f * kLacunarity;
constexpr float k06 = 0.6f * kLacunarity;
constexpr float k036 = 0.36f * kLacunarity;
constexpr float k048 = 0.48f * kLacunarity;
constexpr float k064 = 0.64f * kLacunarity;
/// gradientNoise4 is 0.5 plus this times its interpolated corner sum (which lies in [-1, 1]).
constexpr float kNoise4Scale = 0.7f;
/// The 4-D noise hashes seed + 131 so it never coincides with the 3-D noise of the same seed.
constexpr uint32_t kNoise4SeedOffset = 131u;

constexpr float kTwoPowMinus31 = 1.0f / 2147483648.0f;
constexpr float kTwoPowMinus15 = 1.0f / 32768.0f;

/// One 3-D lattice corner of perlinNoise3: the offset dotted with the corner's hashed gradient
/// (one of the sixteen improved-noise gradients). For tests of the gradient set.
float cornerDot3(uint32_t cx, uint32_t cy, uint32_t cz, uint32_t seed, float dx, float dy, float dz);

} // namespace noise_internal
} // namespace nebulastra
