#pragma once
// The per-pixel kernel: march one view ray through the clouds and composite the emitters'
// colours. Output colour is premultiplied by alpha and not clamped.

#include "render/cloud_field.h"

namespace nebulastra {

void shadePixel(int32_t x, int32_t y, const RenderSettings& settings, const PreparedFrame& prepared,
                float& red, float& green, float& blue, float& alpha);
/// The same kernel on the frame's kernel input, built once for many pixels.
void shadePixel(int32_t x, int32_t y, const CloudField& field, float& red, float& green, float& blue,
                float& alpha);

} // namespace nebulastra
