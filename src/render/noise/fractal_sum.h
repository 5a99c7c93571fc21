#pragma once
// The shaped fractal sum with a say after every octave: the one loop behind shapedFbmNoise4 and
// fbmNoise4, and behind the density field's sums that stop as soon as their outcome is decided.

#include <cstdint>

#include "render/noise/noise.h"

namespace nebulastra {

/// shapedFbmNoise4(shape, x, y, z, w, octaves, seed) into `result`, asking
/// `goOn(partialSum, weightSoFar, weightTotal)` after every octave but the last; when it answers
/// false the sum stops there, `result` is left unset and false is returned.
template <class GoOn>
bool shapedFbmNoise4While(NoiseShape shape, float x, float y, float z, float w, int32_t octaves, int32_t seed,
                          float& result, GoOn goOn) {
    if (octaves < 1) {
        result = 0.0f;
        return true;
    }
    // The weight the whole sum will reach, accumulated exactly as the sum accumulates it.
    float weightTotal = 0.0f;
    float a = 0.5f;
    for (int32_t i = 0; i < octaves; ++i, a *= 0.5f) weightTotal += a;
    float sum = 0.0f;
    float weight = 0.0f;
    float amplitude = 0.5f;
    for (int32_t octave = 0; octave < octaves; ++octave) {
        const float n = shapeOctave(shape, gradientNoise4(x, y, z, w, seed));
        weight += amplitude;
        sum += n * amplitude;
        amplitude *= 0.5f;
        nextOctave(x, y, z, w, seed);
        if (octave + 1 < octaves && !goOn(sum, weight, weightTotal)) return false;
    }
    // After about 150 octaves the amplitude underflows to 0 and the weight stops growing; it
    // never returns to 0, but the guard keeps the division defined whatever the count.
    result = weight > 0.0f ? sum / weight : 0.0f;
    return true;
}

} // namespace nebulastra
