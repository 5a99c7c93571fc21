// The kernel at one lane: the same source as every SIMD path, compiled without any instruction set
// beyond the baseline. It gives the render path for processors without SSE2 lanes worth using (and
// for checking the others), and it defines the one-pixel and one-lookup entry points every other
// part of the renderer and the tests call: shadePixel, the densities, the emitter shape, the
// texture and the noises. There is no second copy of any of their formulas.
#define NEBULASTRA_SIMD_NAMESPACE simd_scalar
#define NEBULASTRA_LANES 1
#define NEBULASTRA_KERNEL_ISA Isa::Scalar
#include "render/simd/packet_kernel.inl"

#include "render/density_field.h"
#include "render/emitter_shape.h"
#include "render/noise/noise.h"
#include "render/noise/noise_internal.h"
#include "render/shade_pixel.h"

namespace nebulastra {

using simd_scalar::VF;
using simd_scalar::VM;
using simd_scalar::VU;

namespace {

VF one(float x) { return VF{x}; }
constexpr VM kAll = {-1};

} // namespace

// ---- noise -------------------------------------------------------------------------------------

uint32_t hashMix(uint32_t a) { return simd_scalar::mixLanes(VU{a})[0]; }

float gradientNoise4(float x, float y, float z, float w, int32_t seed) {
    // With w as one value for every lane, as the density field looks it up (the batch entry points
    // take a w per lane).
    return simd_scalar::gradientNoise4Lanes(one(x), one(y), one(z), w, seed, kAll)[0];
}

float perlinNoise3(float x, float y, float z, int32_t seed) {
    return simd_scalar::perlinNoise3Lanes(one(x), one(y), one(z), seed, kAll)[0];
}

void nextOctave(float& x, float& y, float& z, float& w, int32_t& seed) {
    VF vx = one(x), vy = one(y), vz = one(z), vw = one(w);
    simd_scalar::nextOctaveLanes(vx, vy, vz, vw, seed);
    x = vx[0], y = vy[0], z = vz[0], w = vw[0];
}

float shapeOctave(NoiseShape shape, float n) { return simd_scalar::shapeOctaveLanes(shape, one(n))[0]; }

float fbmNoise4(float x, float y, float z, float w, int32_t octaves, int32_t seed) {
    return simd_scalar::fbmLanes(one(x), one(y), one(z), w, octaves, seed, kAll)[0];
}

float shapedFbmNoise4(NoiseShape shape, float x, float y, float z, float w, int32_t octaves, int32_t seed) {
    return simd_scalar::fbmLanes(one(x), one(y), one(z), w, octaves, seed, kAll, shape)[0];
}

namespace noise_internal {

float cornerDot3(uint32_t cx, uint32_t cy, uint32_t cz, uint32_t seed, float dx, float dy, float dz) {
    return simd_scalar::cornerDot3Lanes(VU{cx}, VU{cy}, VU{cz}, seed * kPrimeSeed, one(dx), one(dy),
                                        one(dz))[0];
}

} // namespace noise_internal

// ---- the density field -------------------------------------------------------------------------

EmitterShape emitterShape(const float p[3], int32_t k, const CloudField& field, bool erode) {
    const VF at[3] = {one(p[0]), one(p[1]), one(p[2])};
    const simd_scalar::ShapeLanes shape = simd_scalar::emitterShapeLanes(at, k, field, erode, kAll);
    if (!shape.live[0]) return {false, 0.0f, 0.0f, 0.0f, 0.0f};
    return {true, shape.s[0], shape.lx[0], shape.ly[0], shape.lz[0]};
}

float edgeProfile(float s, const CloudField& field) {
    return simd_scalar::edgeProfileLanes(one(s), field, kAll)[0];
}

float sampleCloudDensity(const float p[3], const CloudField& field, float perEmitter[kMaxEmitters]) {
    const VF at[3] = {one(p[0]), one(p[1]), one(p[2])};
    VF shares[kMaxEmitters];
    const float total = simd_scalar::densityLanes(field, at, kAll, shares)[0];
    for (int32_t k = 0; k < field.settings.emitterCount; ++k) perEmitter[k] = shares[k][0];
    return total;
}

float sampleShadowDensity(const float p[3], const CloudField& field) {
    const VF at[3] = {one(p[0]), one(p[1]), one(p[2])};
    return simd_scalar::shadowDensityLanes(field, at, kAll)[0];
}

float sampleTexture(const float p[3], const CloudField& field) {
    const VF at[3] = {one(p[0]), one(p[1]), one(p[2])};
    return simd_scalar::textureLanes(field, at, kAll)[0];
}

// ---- the march ---------------------------------------------------------------------------------

void shadePixel(int32_t x, int32_t y, const CloudField& field, float& red, float& green, float& blue,
                float& alpha) {
    simd_scalar::shadePacket(&x, &y, 1, field, &red, &green, &blue, &alpha);
}

} // namespace nebulastra
