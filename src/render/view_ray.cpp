// Pixel -> view ray. Pure single-precision arithmetic on the frame snapshot; runs on the render
// workers, so it reads nothing but its arguments.

#include "render/view_ray.h"

#include <cmath>

namespace nebulastra {

void viewRayForPixel(int32_t x, int32_t y, const RenderSettings& settings, float origin[3],
                     float direction[3]) {
    // Pixel centres as fractions of the output; scaling by the full-resolution size below makes a
    // downsampled frame sample the same view at a lower density.
    const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(settings.outputWidth);
    const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(settings.outputHeight);
    const float fullWidth = static_cast<float>(settings.fullWidth);
    const float fullHeight = static_cast<float>(settings.fullHeight);

    const CameraView& camera = settings.camera;
    if (camera.valid) {
        // Offsets from the image-plane centre, which sits on the optical axis `zoom` pixels ahead.
        const float dx = (u - 0.5f) * fullWidth;
        const float dy = (v - 0.5f) * fullHeight;
        float d[3];
        for (int i = 0; i < 3; ++i) {
            d[i] = (dx * camera.right[i] + dy * camera.down[i]) + camera.zoom * camera.forward[i];
        }
        const float length = std::sqrt((d[0] * d[0] + d[1] * d[1]) + d[2] * d[2]);
        if (length > 1e-8f) {
            for (int i = 0; i < 3; ++i) direction[i] = d[i] / length;
        } else {
            direction[0] = 0.0f;
            direction[1] = 0.0f;
            direction[2] = 1.0f;
        }
        for (int i = 0; i < 3; ++i) origin[i] = camera.position[i];
        return;
    }

    // No camera: parallel rays down +z from each pixel's full-resolution position.
    origin[0] = u * fullWidth;
    origin[1] = v * fullHeight;
    origin[2] = kOrthoEyeZ;
    direction[0] = 0.0f;
    direction[1] = 0.0f;
    direction[2] = 1.0f;
}

} // namespace nebulastra
