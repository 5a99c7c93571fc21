#pragma once
// The per-frame kernel input: everything the kernel reads (view rays, ray marcher, density field,
// colour), derived once from the frame's RenderSettings and PreparedFrame on the host's thread
// before any worker starts, then shared read-only. The workers read this record alone. Plain data
// with no pointers and no host types; modes are typed.
//
// Per-emitter quantities are laid out as 32-slot arrays (structure of arrays) so the SIMD kernels
// can broadcast one emitter's values without gathering. Every derived value is computed here with
// exactly the single-precision operations the per-sample code would otherwise repeat, so hoisting
// them changes no bit.

#include <cstdint>

#include "render/color_field.h"
#include "render/noise/noise.h"
#include "render/prepared_frame.h"
#include "render/view_ray.h"

namespace nebulastra {

/// The world-space texture, looked up at the cloud colour's centroid and inside the density.
struct TextureField {
    bool enabled; // "Strength" above 0.1 %
    TextureType type;
    float strength;
    float contrast;
    float frequency; // lattice units per pixel of world position
    float phase;     // fourth noise coordinate
    int32_t octaves; // the "Billow Detail" value
    int32_t seed;
};

/// The most billow octaves bounded one by one for the frame ("Billow Detail" is 1..6).
constexpr int32_t kMostBoundedOctaves = 8;

struct CloudField {
    int32_t emitterCount; // 0..kMaxEmitters

    // ---- per emitter k ----
    float positionX[kMaxEmitters], positionY[kMaxEmitters], positionZ[kMaxEmitters];
    float radius[kMaxEmitters];         // base radius R, at least 1
    float reachSquared[kMaxEmitters];   // 2.6^2 (R maxScale)^2: beyond it the emitter adds nothing
    float rotation[3][3][kMaxEmitters]; // [row][column][k]: world offset -> local axes
    float invScale[3][kMaxEmitters];    // [axis][k]
    float opacity[kMaxEmitters];
    float densityScale[kMaxEmitters]; // cloudSizePx / R: larger clouds are thinner
    float emitterIndex[kMaxEmitters]; // k as a float, for the per-emitter noise offsets

    // ---- shape ----
    float tower;
    float towerStretch; // 1 + 1.2 tower: divides the upper half's height
    float billow;
    float billowFrequency;
    bool warped;      // "Domain Warp" above 0
    float warpAmount; // 2.2 domainWarp
    NoiseShape billowMap;
    int32_t billowOctaves; // "Billow Detail"
    int32_t billowSeed;
    float billowPhase;
    float billowMean;
    float billowGain;
    // The billow sum's octaves bounded for the frame: the phase is the same for every sample, so
    // each octave's w offset is known, and with it how far the octave can stray from 0.5 wherever
    // x, y and z fall (docs in render/simd/shape_lanes.inl). billowRestLow[o] and billowRestHigh[o]
    // sum the shaped bounds of octaves o.. weighted by their amplitudes (0 from the last on);
    // without a bound for the frame (more than kMostBoundedOctaves octaves, an unusable phase),
    // the global shaped range.
    float billowRestLow[kMostBoundedOctaves + 1];
    float billowRestHigh[kMostBoundedOctaves + 1];
    float edgeErosion;
    int32_t erosionOctaves; // min(billowOctaves, 3)
    float erosionPhase;     // billowPhase 1.7 + 3
    float flattenBase;
    float edgeWidth;
    bool hardnessApplies; // "Edge Hardness" outside 49..51 %
    float hardnessExponent;
    float detailPhase; // billowPhase 1.3 + 5

    TextureField texture;

    // ---- march ----
    float cloudSizePx;
    float unit; // max(cloudSizePx, 1): the unit of optical length
    int32_t qualitySteps;
    float extinction; // "Density": extinction per unit of cloud density
    bool shadowed;    // "Self Shadow" above 0.1 %: six shadow samples per lit step
    float selfShadow;
    float shadowStep; // 0.35 unit
    float sunDirection[3];
    float sunIntensity;
    float ambient;
    float phaseAnisotropy;
    float brightness;
    float boundCenter[3];
    float boundRadius;

    ViewField view;
    ColorField color;
};

/// Builds the frame's kernel input. `settings` must already hold the captured emitters.
CloudField makeCloudField(const RenderSettings& settings, const PreparedFrame& prepared);

/// The texture settings alone, for the colour compositing that runs once per pixel.
TextureField makeTextureField(const RenderSettings& settings, const PreparedFrame& prepared);

/// The texture value, 0..1, at world point p.
float textureAt(const TextureField& texture, const float p[3]);

} // namespace nebulastra
