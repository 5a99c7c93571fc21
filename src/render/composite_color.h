#pragma once
// The colour of a shaded pixel: the emitters the ray met, blended and shaded in Oklab.

#include "render/color_field.h"

namespace nebulastra {

/// Blends the colours of the emitters the ray met (optical lengths E) by the overlap mode, shades
/// them with the texture in Oklab, encodes to sRGB and applies saturation. Channels >= 0.
void compositeEmitterColor(const float E[kMaxEmitters], const RenderSettings& settings,
                           const PreparedFrame& prepared, const float centroid[3], float& red, float& green,
                           float& blue);
/// The same on the frame's ColorField with the texture value at the centroid already looked up
/// (read only when color.textured): what the kernel calls, once per pixel.
void compositeEmitterColor(const float E[kMaxEmitters], const ColorField& color, float texture, float& red,
                           float& green, float& blue);

} // namespace nebulastra
