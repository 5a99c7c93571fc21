#pragma once
// The per-pixel kernel: march one view ray through the clouds and composite the emitters'
// colours. Output colour is premultiplied by alpha and not clamped.

#include "render/cloud_field.h"

namespace nebulastra {

void shadePixel(int32_t x, int32_t y, const RenderSettings& settings, const PreparedFrame& prepared,
                float& red, float& green, float& blue, float& alpha);
/// The same kernel on the frame's prepared kernel input (what the row workers call).
void shadePixel(int32_t x, int32_t y, const RenderSettings& settings, const PreparedFrame& prepared,
                const CloudField& field, float& red, float& green, float& blue, float& alpha);

/// Blends the colours of the emitters the ray met (optical lengths E) by the overlap mode, shades
/// them with the texture in Oklab, encodes to sRGB and applies saturation. Channels >= 0.
void compositeEmitterColor(const float E[kMaxEmitters], const RenderSettings& settings,
                           const PreparedFrame& prepared, const float centroid[3],
                           float& red, float& green, float& blue);

} // namespace nebulastra
