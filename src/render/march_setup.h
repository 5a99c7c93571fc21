#pragma once
// The per-pixel quantities fixed before a ray is marched: the span inside the bound sphere, the
// step count, the pixel's jitter and the sun phase value. Pure functions, computed once per pixel.

#include <cstdint>

namespace nebulastra {

/// The most primary steps one ray takes.
constexpr int32_t kMaxMarchSteps = 1024;

/// Clips the ray o + t d (d unit length) to the sphere (center, radius). Returns false when the
/// ray misses it or meets it only behind the origin; otherwise 0 <= tNear <= tFar.
bool clipToBoundSphere(const float origin[3], const float direction[3], const float center[3], float radius,
                       float& tNear, float& tFar);

/// Steps for a span of `span` pixels: at least max(qualitySteps, 4), and more when needed to keep a
/// step within 0.07 cloud sizes, but never more than kMaxMarchSteps.
int32_t marchStepCount(float span, float cloudSizePx, int32_t qualitySteps);

/// The pixel's fixed offset within each step, in [0, 0.999): the same on every frame and render.
float pixelJitter(int32_t x, int32_t y);

/// Henyey-Greenstein-shaped sun phase for anisotropy g and the cosine mu between the view ray
/// and the sun direction (no 1/4pi factor): about 4.79 toward the sun for g = 0.45.
float sunPhase(float g, float mu);

} // namespace nebulastra
