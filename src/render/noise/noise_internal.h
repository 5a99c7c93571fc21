#pragma once
// Inline building blocks shared by the noise translation units, so the innermost loops of the
// 3-D and 4-D noises get the hash, the lattice split and the fade without calls. Not part of the
// public noise interface: the noise translation units include it, and the SIMD kernel takes its
// constants (never its inline functions, which must not be compiled for another instruction set).

#include <cstdint>
#include <cstring>

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
/// The 4-D noise hashes seed + 131 so it never coincides with the 3-D noise of the same seed.
constexpr uint32_t kNoise4SeedOffset = 131u;

constexpr float kTwoPowMinus31 = 1.0f / 2147483648.0f;
constexpr float kTwoPowMinus15 = 1.0f / 32768.0f;

inline uint32_t mix(uint32_t a) {
    uint32_t t = a ^ (a >> 13);
    t *= kPrimeZ;
    t ^= t >> 16;
    return t & 0x7FFFFFFFu;
}

/// Splits v into its lattice cell floor(v) and the fraction v - floor(v) in [0, 1).
/// Coordinates outside the int32 range (and NaN) are first clamped into it, because converting
/// an out-of-range float to an integer is undefined behaviour; their fraction is then
/// meaningless but finite arithmetic never traps. The clamp is written as two selects so it
/// compiles to min/max instructions, and the floor is done inline (truncate, step down for
/// negative non-integers) rather than through a library call.
inline int32_t latticeCell(float v, float& fraction) {
    constexpr float kLowest = -2147483648.0f; // -2^31, exactly representable
    constexpr float kHighest = 2147483520.0f; // largest float below 2^31
    float c = v > kLowest ? v : kLowest;      // NaN selects kLowest
    c = c < kHighest ? c : kHighest;
    int32_t cell = static_cast<int32_t>(c);
    // Truncation rounds toward zero; a negative non-integer needs one cell further down. Such
    // values have magnitude below 2^23, so the subtraction cannot overflow.
    cell -= (c < static_cast<float>(cell)) ? 1 : 0;
    fraction = v - static_cast<float>(cell);
    return cell;
}

/// 6t^5 - 15t^4 + 10t^3 with the operation order fixed: (((6t - 15)t + 10)t)(t t).
inline float fadeCurve(float t) { return (((6.0f * t - 15.0f) * t + 10.0f) * t) * (t * t); }

inline float lerp(float a, float b, float t) { return (b - a) * t + a; }

inline uint32_t floatBits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

inline float bitsFloat(uint32_t b) {
    float f;
    std::memcpy(&f, &b, sizeof f);
    return f;
}

/// Offset dotted with gradient g of Perlin's improved noise (twelve cube edges, then four
/// repeats), chosen arithmetically instead of through a table: u is x for g < 8 and y otherwise;
/// v is y for g < 4, x for g 12 and 14, z otherwise; bits 0 and 1 of g negate u and v. The
/// choice is made with bit masks because g is random per corner: branches would mispredict
/// about half the time. Negation is a sign-bit flip, exactly as IEEE negation.
inline float gradientSelect(uint32_t g, float dx, float dy, float dz) {
    const uint32_t bx = floatBits(dx), by = floatBits(dy), bz = floatBits(dz);
    const uint32_t uIsX = 0u - static_cast<uint32_t>(g < 8u);
    const uint32_t vIsY = 0u - static_cast<uint32_t>(g < 4u);
    const uint32_t vIsX = 0u - static_cast<uint32_t>((g & 13u) == 12u); // g is 12 or 14
    const uint32_t u = (bx & uIsX) | (by & ~uIsX);
    const uint32_t v = (by & vIsY) | (bx & vIsX) | (bz & ~(vIsY | vIsX));
    return bitsFloat(u ^ ((g & 1u) << 31)) + bitsFloat(v ^ ((g & 2u) << 30));
}

/// One 3-D lattice corner: the offset dotted with one of Perlin's sixteen improved-noise gradients,
/// chosen by hashing the cell.
inline float cornerDot3(uint32_t cx, uint32_t cy, uint32_t cz, uint32_t seed, float dx, float dy, float dz) {
    const uint32_t h = cx * kPrimeX + cy * kPrimeY + cz * kPrimeZ + seed * kPrimeSeed;
    const uint32_t m = mix(h);
    // The hash is rounded to single precision before the bits are taken: where that rounding
    // carries into bit 15 the gradient differs from plain bit extraction, and the rounded form
    // is the one every rendered frame uses. m < 2^31, so the product is below 2^16.
    const uint32_t g = static_cast<uint32_t>(static_cast<float>(m) * kTwoPowMinus15) & 15u;
    return gradientSelect(g, dx, dy, dz);
}

} // namespace noise_internal
} // namespace nebulastra
