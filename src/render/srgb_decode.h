#pragma once
// Decoding of light colours, which the host reports in sRGB, into linear light for shading.

#include "render/math/elementary.h"

namespace nebulastra {

/// IEC 61966-2-1 transfer function inverse. The power branch is written as
/// pow(c / 1.055 + 0.055 / 1.055, 2.4) with both quotients as single-precision constants, so
/// every build rounds it the same way; at and below 0.04045 the curve is linear (c / 12.92).
inline float srgbToLinear(float c) {
    return c > 0.04045f ? fmath::pow(c * 0.94786733f + 0.052132703f, 2.4f) : c * 0.07739938f;
}

} // namespace nebulastra
