#pragma once
// Where each output pixel looks from and in which direction.

#include "records/render_settings.h"

namespace nebulastra {

/// What a pixel's view ray depends on: the frame's sizes and the camera.
struct ViewField {
    int32_t outputWidth, outputHeight; // the frame the rays span, at the current downsample
    int32_t fullWidth, fullHeight;     // the same at full resolution
    CameraView camera;
};
ViewField makeViewField(const RenderSettings& settings);

/// viewRayForPixel on the frame's ViewField (what the kernel calls).
void viewRay(int32_t x, int32_t y, const ViewField& view, float origin[3], float direction[3]);

/// Pin-hole ray through the camera's image plane, or, without a camera, an orthographic ray
/// down +z from the pixel's full-resolution position at z = kOrthoEyeZ. direction is unit length.
void viewRayForPixel(int32_t x, int32_t y, const RenderSettings& settings, float origin[3],
                     float direction[3]);

} // namespace nebulastra
