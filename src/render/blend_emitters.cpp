// Overlap blending of the emitters' linear colours, weighted by how much of each cloud the ray
// crossed. In the weight-normalised modes the strongest emitter always counts fully (n = 1).

#include "render/blend_emitters.h"

#include <algorithm>

namespace nebulastra {

bool blendEmitterColors(const float E[kMaxEmitters], const CloudField& field, float rgb[3]) {
    rgb[0] = rgb[1] = rgb[2] = 0.0f;

    // The emitters the ray met, in index order, weighted by their optical length.
    int32_t taken[kMaxEmitters];
    int32_t takenCount = 0;
    float sumWeight = 0.0f;
    float maxWeight = 0.0f;
    const int32_t count = field.settings.emitterCount;
    for (int32_t k = 0; k < count; ++k) {
        if (E[k] > 1e-6f) {
            taken[takenCount++] = k;
            sumWeight += E[k];
            maxWeight = std::max(maxWeight, E[k]);
        }
    }
    if (takenCount == 0 || !(sumWeight > 1e-6f)) return false;

    float normalised[kMaxEmitters]; // n_k = w_k / Mw, indexed like `taken`
    for (int32_t i = 0; i < takenCount; ++i) {
        normalised[i] = maxWeight > 1e-6f ? E[taken[i]] / maxWeight : 0.0f;
    }

    for (int c = 0; c < 3; ++c) {
        const float* linear = field.prepared.emitterLinearColor[c];
        float value;
        switch (field.settings.overlapBlend) {
        case BlendMode::Add: // unclamped sum
            value = 0.0f;
            for (int32_t i = 0; i < takenCount; ++i) value += normalised[i] * linear[taken[i]];
            break;
        case BlendMode::Screen: {
            float product = 1.0f;
            for (int32_t i = 0; i < takenCount; ++i)
                product *= 1.0f - std::min(normalised[i] * linear[taken[i]], 1.0f);
            value = 1.0f - product;
            break;
        }
        case BlendMode::Lighten:
            value = 0.0f;
            for (int32_t i = 0; i < takenCount; ++i)
                value = std::max(value, normalised[i] * linear[taken[i]]);
            break;
        case BlendMode::Darken:
            value = 1.0f;
            for (int32_t i = 0; i < takenCount; ++i)
                value *= 1.0f - (1.0f - linear[taken[i]]) * normalised[i];
            break;
        case BlendMode::Average:
        default: // unknown modes average
            value = 0.0f;
            for (int32_t i = 0; i < takenCount; ++i) value += (E[taken[i]] / sumWeight) * linear[taken[i]];
            break;
        }
        rgb[c] = value;
    }
    return true;
}

} // namespace nebulastra
