// Emitter colour compositing: blend in linear light, shade the lightness by the world texture in
// Oklab, encode for display, then apply saturation.

#include "render/composite_color.h"

#include <algorithm>
#include <cmath>

#include "render/blend_emitters.h"
#include "render/cloud_look.h"
#include "render/color_space.h"

namespace nebulastra {

void compositeEmitterColor(const float E[kMaxEmitters], const CloudField& field, float texture, float& red,
                           float& green, float& blue) {
    const RenderSettings& settings = field.settings;
    float rgb[3];
    if (!blendEmitterColors(E, field, rgb)) {
        // Nothing met: black, without texture lift, encoding or saturation (which would turn it
        // into a faint grey).
        red = green = blue = 0.0f;
        return;
    }

    // Texture shading acts on Oklab lightness only, so hue and chroma stay the light's own.
    float lab[3];
    linearSrgbToOklab(rgb, lab);
    if (settings.textureStrength > look::kTextureMinStrength) {
        const float tau = texture;
        const float ks = settings.textureStrength * settings.textureContrast;
        lab[0] = lab[0] * (1.0f - ((1.0f - tau) * ks) * 0.45f) + (ks * tau) * 0.016f;
    }
    lab[0] = std::clamp(lab[0], 0.0f, 1.0f);
    oklabToLinearSrgb(lab, rgb);

    for (float& channel : rgb) {
        channel = encodeSrgb(std::max(channel, 0.0f));
    }

    if (std::abs(settings.saturation - 1.0f) > 0.001f) { // "Saturation" away from 100 %
        const float luma = (0.2126f * rgb[0] + 0.7152f * rgb[1]) + 0.0722f * rgb[2];
        for (float& channel : rgb) {
            channel = std::max(0.0f, luma + (channel - luma) * settings.saturation);
        }
    }
    red = rgb[0];
    green = rgb[1];
    blue = rgb[2];
}

} // namespace nebulastra
