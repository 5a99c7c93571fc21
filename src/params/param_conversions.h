#pragma once
// Conversions from the host's parameter units to render units. Each is one rounding step in the
// stated precision so a frame's settings are identical on every build: no fused multiply-add,
// no double rounding beyond what is written here.

#include <cmath>
#include <cstdint>
#include <limits>

#include "hostio/host_units.h"
#include "records/render_modes.h"

namespace nebulastra {

/// Radians per 16.16 fixed-point degree: single-precision pi / 180, divided by 65536
/// (bits 0x348EFA36).
constexpr float kFixedDegreesToRadians = 2.6631614e-7f;

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

// Popups (1-based) to modes. A value outside the menu takes the nearest entry for the billow map
// and the blend mode, and the first entry (Wisps) for the texture.
inline NoiseShape noiseShapeFromPopup(int32_t popup) {
    return static_cast<NoiseShape>(clampInt(popup, 1, 4) - 1);
}
inline BlendMode blendModeFromPopup(int32_t popup) {
    return static_cast<BlendMode>(clampInt(popup, 1, 5) - 1);
}
inline TextureType textureTypeFromPopup(int32_t popup) {
    return popup >= 1 && popup <= 3 ? static_cast<TextureType>(popup) : TextureType::Wisps;
}

} // namespace nebulastra
