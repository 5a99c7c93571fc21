#pragma once
// Conversions from the host's parameter units to render units. Each is one rounding step in the
// stated precision so a frame's settings are identical on every build: no fused multiply-add,
// no double rounding beyond what is written here.

#include <cmath>
#include <cstdint>
#include <limits>

namespace nebulastra {

/// Radians per 16.16 fixed-point degree: single-precision pi / 180, divided by 65536
/// (bits 0x348EFA36).
constexpr float kFixedDegreesToRadians = 2.6631614e-7f;

/// Percent slider (double) to a fraction: multiplied by 0.01 in double, then rounded to float.
inline float percentToFraction(double percent) { return static_cast<float>(percent * 0.01); }

/// A slider used as entered: its double value rounded to float.
inline float sliderAsEntered(double value) { return static_cast<float>(value); }

/// 16.16 fixed-point degrees to radians, any number of turns kept.
inline float fixedDegreesToRadians(int32_t fixedDegrees) {
    return static_cast<float>(fixedDegrees) * kFixedDegreesToRadians;
}

/// A double truncated toward zero to int32; values beyond the int32 range saturate, NaN gives 0.
inline int32_t truncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

/// Seed sliders carry whole numbers in a double; the seed is that value truncated toward zero.
inline int32_t sliderToSeed(double value) { return truncateToInt32(value); }

inline int32_t clampInt(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

} // namespace nebulastra
