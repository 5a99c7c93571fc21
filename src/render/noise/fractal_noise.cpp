// Fractal sums of the 4-D noise: octaves of rising frequency and falling amplitude, each octave
// rotated against the last so lattice artefacts do not line up.

#include <cmath>

#include "render/noise/fractal_sum.h"
#include "render/noise/noise.h"
#include "render/noise/noise_internal.h"

namespace nebulastra {

namespace {

using namespace noise_internal;

} // namespace

float shapeOctave(NoiseShape shape, float n) {
    switch (shape) {
    case NoiseShape::Puffy:
        return std::fabs((n + n) - 1.0f);
    case NoiseShape::Wispy: {
        const float ridge = 1.0f - std::fabs((n + n) - 1.0f);
        return ridge * ridge;
    }
    case NoiseShape::Clumps:
        return (n * n) * n;
    default: // Smooth, and any value outside the known shapes
        return n;
    }
}

NoiseRange shapedOctaveRange(NoiseShape shape) {
    switch (shape) {
    case NoiseShape::Puffy: // |2n - 1| over [-0.2, 1.2]
        return {0.0f, 1.4f};
    case NoiseShape::Wispy: // (1 - |2n - 1|)^2, with 1 - |2n - 1| in [-0.4, 1]
        return {0.0f, 1.0f};
    case NoiseShape::Clumps: // n^3 is monotonic
        return {-0.008f, 1.728f};
    default:
        return {kOctaveMin, kOctaveMax};
    }
}

void nextOctave(float& x, float& y, float& z, float& w, int32_t& seed) {
    const float ox = x, oy = y, oz = z;
    x = oy * k08 + oz * k06;
    y = (oy * k036 - ox * k08) - oz * k048;
    z = oz * k064 - (ox * k06 + oy * k048);
    w = w * kLacunarity + kOctaveShiftW;
    // Seeds wrap like every other hash input.
    seed = static_cast<int32_t>(static_cast<uint32_t>(seed) + kOctaveSeedStep);
}

float fbmNoise4(float x, float y, float z, float w, int32_t octaves, int32_t seed) {
    return shapedFbmNoise4(NoiseShape::Smooth, x, y, z, w, octaves, seed);
}

float shapedFbmNoise4(NoiseShape shape, float x, float y, float z, float w, int32_t octaves, int32_t seed) {
    float result = 0.0f;
    shapedFbmNoise4While(shape, x, y, z, w, octaves, seed, result, [](float, float, float) { return true; });
    return result;
}

} // namespace nebulastra
