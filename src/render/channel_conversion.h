#pragma once
// Kernel values (premultiplied, unclamped floats) to integer output channels. Each channel is
// clamped on its own, so a colour channel may end up above the stored alpha.

#include <cstdint>

namespace nebulastra {

/// 8-bit full scale, and the host's 16-bit full scale (PF_MAX_CHAN16: 32768, not 65535).
constexpr float kChannel8Scale = 255.0f;
constexpr float kChannel16Scale = 32768.0f;

/// c limited to [0, 1]; NaN and negative values give 0.
inline float clampChannel(float c) {
    if (!(c >= 0.0f)) return 0.0f;
    return c < 1.0f ? c : 1.0f;
}

/// Rounds halves up by truncating c * S + 0.5 in single precision: 0.5 -> 128, 1 -> 255.
inline uint8_t toChannel8(float c) {
    return static_cast<uint8_t>(static_cast<int32_t>(clampChannel(c) * kChannel8Scale + 0.5f));
}

/// As toChannel8 with full scale 32768: 0.5 -> 16384, 0.99999 and 1 -> 32768.
inline uint16_t toChannel16(float c) {
    return static_cast<uint16_t>(static_cast<int32_t>(clampChannel(c) * kChannel16Scale + 0.5f));
}

} // namespace nebulastra
