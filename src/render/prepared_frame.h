#pragma once
// Per-frame constants derived once from the RenderSettings before any worker starts, so the
// per-sample code does no trigonometry, powers, random draws or noise statistics. Part of the
// frame record (render/cloud_field.h), which the kernel reads as it is laid out here.
// Structure of arrays: each per-emitter quantity is a 32-slot array indexed by emitter k;
// slots at and beyond emitterCount stay zero.

#include "records/render_settings.h"

namespace nebulastra {

/// The emitters a frame draws: the record's count, kept within the arrays so that a damaged record
/// cannot index past them (scene capture never collects more than kMaxEmitters).
inline int32_t drawnEmitterCount(const RenderSettings& settings) {
    const int32_t n = settings.emitterCount;
    return n < 0 ? 0 : (n > kMaxEmitters ? kMaxEmitters : n);
}

struct PreparedFrame {
    float emitterRadius[kMaxEmitters];         // base radius in pixels, at least 1
    float emitterLinearColor[3][kMaxEmitters]; // [channel r,g,b][k], linear light
    float boundCenter[3];
    float boundRadius; // sphere holding every cloud, at least 1.1
    float billowFrequency;
    float edgeWidth;
    float billowPhase;
    float billowMean;
    float billowGain;
    float emitterInvScale[3][kMaxEmitters]; // [axis x,y,z][k] = 1 / randomised scale
    float emitterMaxScale[kMaxEmitters];
    float emitterRotation[3][kMaxEmitters][3]; // [row][k][column]: world offset -> local axes
    float emitterOpacity[kMaxEmitters];
    float textureFrequency;
    float texturePhase;
};

PreparedFrame prepareFrame(const RenderSettings& settings);

} // namespace nebulastra
