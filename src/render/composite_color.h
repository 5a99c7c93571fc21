#pragma once
// The colour of a shaded pixel: the emitters the ray met, blended and shaded in Oklab.

#include "render/cloud_field.h"

namespace nebulastra {

/// Blends the colours of the emitters the ray met (optical lengths E) by the overlap mode, shades
/// them with the texture value at the ray's centroid in Oklab (read only when the texture is on,
/// "Strength" above 0.1 %), encodes to sRGB and applies saturation. Channels >= 0. The kernel calls
/// it once per pixel.
void compositeEmitterColor(const float E[kMaxEmitters], const CloudField& field, float texture, float& red,
                           float& green, float& blue);

} // namespace nebulastra
