#pragma once
// What the colour of a shaded pixel depends on besides the optical lengths its ray gathered and the
// texture at the ray's centroid: derived once per frame from the RenderSettings and the
// PreparedFrame, then read by every worker.

#include "render/prepared_frame.h"

namespace nebulastra {

struct ColorField {
    int32_t emitterCount; // 0..kMaxEmitters
    BlendMode overlapBlend;
    float linearColor[3][kMaxEmitters]; // [channel r,g,b][k], linear light
    bool textured;                      // "Strength" above 0.1 %: the texture shades the lightness
    float textureShade;                 // "Strength" x "Contrast"
    bool saturating;                    // "Saturation" away from 100 %
    float saturation;
};

ColorField makeColorField(const RenderSettings& settings, const PreparedFrame& prepared);

} // namespace nebulastra
