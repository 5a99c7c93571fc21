#pragma once
// Where each output pixel looks from and in which direction.

#include "records/render_settings.h"

namespace nebulastra {

/// Pin-hole ray through the camera's image plane, or, without a camera, an orthographic ray
/// down +z from the pixel's full-resolution position at z = kOrthoEyeZ. direction is unit length.
void viewRayForPixel(int32_t x, int32_t y, const RenderSettings& settings, float origin[3],
                     float direction[3]);

} // namespace nebulastra
