#pragma once
// The one scalar clamp of the kernel. Not for the SIMD kernels (packet_kernel.inl has its own lane
// version and must not call inline functions of shared headers).

#include <algorithm>

namespace nebulastra {

/// x limited to [lo, hi] as min(max(x, lo), hi); a NaN x stays NaN.
inline float clampf(float x, float lo, float hi) { return std::min(std::max(x, lo), hi); }

} // namespace nebulastra
