#pragma once
// Hash-based, table-free noise: every random quantity is an integer hash of lattice coordinates,
// a seed and a fixed prime, so the same inputs give the same values on every thread, frame and
// run. Single precision throughout, each operation rounded on its own; hash arithmetic is
// unsigned and wraps. All functions are pure and reentrant.

#include <cstdint>

#include "records/render_modes.h"

namespace nebulastra {

// NoiseShape (records/render_modes.h): values outside the known shapes act as Smooth.

/// Integer scrambler: 31-bit result.
uint32_t hashMix(uint32_t a);
/// Seeded random stream: 31-bit value for (seed, index, channel).
uint32_t randomBits(int32_t seed, int32_t index, int32_t channel);
/// Seeded 3-D gradient noise, about 0..1, centred on 0.5, not clamped.
float perlinNoise3(float x, float y, float z, int32_t seed);
/// Seeded 4-D gradient noise (w carries time), centred on 0.5, not clamped.
float gradientNoise4(float x, float y, float z, float w, int32_t seed);
/// Steps coordinates and seed from one octave to the next (rotation, lacunarity 2.02).
void nextOctave(float& x, float& y, float& z, float& w, int32_t& seed);
/// One octave value n reshaped as the billow maps bend it (Smooth n, Puffy |2n-1|, Wispy
/// (1-|2n-1|)^2, Clumps n^3; unknown shapes act as Smooth).
float shapeOctave(NoiseShape shape, float n);

/// Every gradientNoise4 value lies in [kOctaveMin, kOctaveMax]: a corner value never exceeds its
/// offset's length, and the fade weights are convex with a weighted squared offset of at most 1,
/// so the interpolated sum stays within [-1, 1] before the 0.5 + 0.7 n mapping.
constexpr float kOctaveMin = -0.2f;
constexpr float kOctaveMax = 1.2f;

/// The range of shapeOctave over [kOctaveMin, kOctaveMax]: also the range of the shaped fractal
/// sums, which are weighted means of shaped octaves.
struct NoiseRange {
    float lowest;
    float highest;
};
NoiseRange shapedOctaveRange(NoiseShape shape);
/// The range of shapeOctave over the part of [kOctaveMin, kOctaveMax] within 0.7 `reach` of 0.5
/// (an octave whose interpolated corner sum is at most `reach` in size).
NoiseRange shapedOctaveRangeWithin(NoiseShape shape, float reach);

/// Amplitude-normalised fractal sum of gradientNoise4 (gain 0.5); 0 when octaves < 1.
float fbmNoise4(float x, float y, float z, float w, int32_t octaves, int32_t seed);
/// fbmNoise4 with each octave value reshaped by `shape` before it is weighted.
float shapedFbmNoise4(NoiseShape shape, float x, float y, float z, float w, int32_t octaves, int32_t seed);

struct NoiseStats {
    float mean;
    float stddev; // at least 0.001
};
/// Mean and population standard deviation of shapedFbmNoise4 over 256 fixed sample points.
/// Costs 256 x octaves noise evaluations: once per frame, never per pixel.
NoiseStats measureNoiseStats(NoiseShape shape, int32_t octaves, int32_t seed);

} // namespace nebulastra
