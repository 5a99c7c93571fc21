#pragma once
// The colour of a shaded pixel: the emitters the ray met, blended and shaded in Oklab.

#include "render/prepared_frame.h"

namespace nebulastra {

/// Blends the colours of the emitters the ray met (optical lengths E) by the overlap mode, shades
/// them with the texture in Oklab, encodes to sRGB and applies saturation. Channels >= 0.
void compositeEmitterColor(const float E[kMaxEmitters], const RenderSettings& settings,
                           const PreparedFrame& prepared, const float centroid[3], float& red, float& green,
                           float& blue);

} // namespace nebulastra
