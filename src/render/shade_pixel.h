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

} // namespace nebulastra
