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

/// The most billow octaves bounded one by one for the frame ("Billow Detail" is 1..6).
constexpr int32_t kMostBoundedOctaves = 8;

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
    // The billow sum's octaves bounded for the frame: the phase is the same for every sample, so
    // each octave's w offset is known, and with it how far the octave can stray from 0.5 wherever
    // x, y and z fall (render/simd/shape_lanes.inl). billowRestLow[o] and billowRestHigh[o] sum
    // the shaped bounds of octaves o.. weighted by their amplitudes (0 from the last on); an
    // octave whose phase is unusable keeps the global shaped range. Only where billowBounded
    // holds: 1 to kMostBoundedOctaves octaves.
    bool billowBounded;
    float billowRestLow[kMostBoundedOctaves + 1];
    float billowRestHigh[kMostBoundedOctaves + 1];
    float emitterInvScale[3][kMaxEmitters]; // [axis x,y,z][k] = 1 / randomised scale
    float emitterMaxScale[kMaxEmitters];
    float emitterRotation[3][kMaxEmitters][3]; // [row][k][column]: world offset -> local axes
    float emitterOpacity[kMaxEmitters];
    float textureFrequency;
    float texturePhase;
};

PreparedFrame prepareFrame(const RenderSettings& settings);

} // namespace nebulastra
