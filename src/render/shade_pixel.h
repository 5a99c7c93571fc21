#pragma once
// The per-pixel kernel: march one view ray through the clouds and composite the emitters'
// colours. Output colour is premultiplied by alpha and not clamped.

#include "render/cloud_field.h"

namespace nebulastra {

/// Pixel (x, y) of the frame: the kernel at one lane, the same bits as every other path.
void shadePixel(int32_t x, int32_t y, const CloudField& field, float& red, float& green, float& blue,
                float& alpha);

} // namespace nebulastra
