#pragma once
// The one scalar clamp of the per-frame and per-pixel code outside the lane kernel (which has its
// own lane version in lanes.h and must not call inline functions of shared headers).

#include <algorithm>

namespace nebulastra {

/// x limited to [lo, hi] as min(max(x, lo), hi); a NaN x stays NaN.
inline float clampf(float x, float lo, float hi) { return std::min(std::max(x, lo), hi); }

} // namespace nebulastra
