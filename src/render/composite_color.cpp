// Emitter colour compositing: blend in linear light, shade the lightness by the world texture in
// Oklab, encode for display, then apply saturation.

#include "render/composite_color.h"

#include <algorithm>
#include <cmath>

#include "render/blend_emitters.h"
#include "render/cloud_field.h"
#include "render/color_space.h"
#include "render/density_field.h"

namespace nebulastra {

ColorField makeColorField(const RenderSettings& settings, const PreparedFrame& prepared) {
    ColorField color{};
    color.emitterCount = drawnEmitterCount(settings);
    color.overlapBlend = settings.overlapBlend;
    for (int c = 0; c < 3; ++c) {
        for (int32_t k = 0; k < kMaxEmitters; ++k)
            color.linearColor[c][k] = prepared.emitterLinearColor[c][k];
    }
    color.textured = makeTextureField(settings, prepared).enabled; // one threshold for both uses
    color.textureShade = settings.textureStrength * settings.textureContrast;
    color.saturating = std::abs(settings.saturation - 1.0f) > 0.001f;
    color.saturation = settings.saturation;
    return color;
}

void compositeEmitterColor(const float E[kMaxEmitters], const RenderSettings& settings,
                           const PreparedFrame& prepared, const float centroid[3], float& red, float& green,
                           float& blue) {
    const ColorField color = makeColorField(settings, prepared);
    const float texture = color.textured ? sampleTexture(centroid, settings, prepared) : 0.0f;
    compositeEmitterColor(E, color, texture, red, green, blue);
}

void compositeEmitterColor(const float E[kMaxEmitters], const ColorField& color, float texture, float& red,
                           float& green, float& blue) {
    float rgb[3];
    if (!blendEmitterColors(E, color, rgb)) {
        // Nothing met: black, without texture lift, encoding or saturation (which would turn it
        // into a faint grey).
        red = green = blue = 0.0f;
        return;
    }

    // Texture shading acts on Oklab lightness only, so hue and chroma stay the light's own.
    float lab[3];
    linearSrgbToOklab(rgb, lab);
    if (color.textured) {
        const float tau = texture;
        const float ks = color.textureShade;
        lab[0] = lab[0] * (1.0f - ((1.0f - tau) * ks) * 0.45f) + (ks * tau) * 0.016f;
    }
    lab[0] = std::clamp(lab[0], 0.0f, 1.0f);
    oklabToLinearSrgb(lab, rgb);

    for (float& channel : rgb) {
        channel = encodeSrgb(std::max(channel, 0.0f));
    }

    if (color.saturating) {
        const float luma = (0.2126f * rgb[0] + 0.7152f * rgb[1]) + 0.0722f * rgb[2];
        for (float& channel : rgb) {
            channel = std::max(0.0f, luma + (channel - luma) * color.saturation);
        }
    }
    red = rgb[0];
    green = rgb[1];
    blue = rgb[2];
}

} // namespace nebulastra
