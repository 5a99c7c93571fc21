// Per-pixel march set-up.

#include "render/march_setup.h"

#include <algorithm>
#include <cmath>

#include "render/noise/noise.h"
#include "render/noise/noise_internal.h"

namespace nebulastra {

bool clipToBoundSphere(const float origin[3], const float direction[3], const float center[3], float radius,
                       float& tNear, float& tFar) {
    float oc[3];
    for (int i = 0; i < 3; ++i) oc[i] = origin[i] - center[i];
    // Left-to-right sums: without a camera the eye is 1e5 pixels away and |oc|^2 is about 1e10,
    // where regrouping moves the entry point by whole pixels.
    const float b = (direction[0] * oc[0] + direction[1] * oc[1]) + direction[2] * oc[2];
    const float cc = ((oc[0] * oc[0] + oc[1] * oc[1]) + oc[2] * oc[2]) - radius * radius;
    const float disc = b * b - cc;
    if (!(disc >= 0.0f)) return false; // a miss, or not a number
    const float root = std::sqrt(disc);
    tFar = root - b;
    if (tFar < 0.0f) return false; // the sphere lies wholly behind the origin
    tNear = std::max(-b - root, 0.0f);
    return true;
}

int32_t marchStepCount(float span, float cloudSizePx, int32_t qualitySteps) {
    const float unit = std::max(cloudSizePx, 1.0f);
    int32_t steps = std::max(qualitySteps, int32_t{4});
    const float maxStep = 0.07f * unit;
    if (maxStep > 0.001f) {
        const float wanted = span / maxStep;
        // Truncation toward zero; spans too long for an int32 only need the cap anyway.
        const int32_t n =
            wanted >= 2147483520.0f ? INT32_MAX : (wanted > -1.0f ? static_cast<int32_t>(wanted) : 0);
        if (n > steps) steps = std::min(n, kMaxMarchSteps);
    }
    return steps;
}

float pixelJitter(int32_t x, int32_t y) {
    // The lattice hash's x and y primes; 0xC2877193 is -1031310957 as an unsigned 32-bit value.
    // All products wrap.
    using noise_internal::kPrimeX;
    using noise_internal::kPrimeY;
    uint32_t h = static_cast<uint32_t>(x) * kPrimeX + static_cast<uint32_t>(y) * kPrimeY + 0xC2877193u;
    h = hashMix(h);
    return static_cast<float>(h) * 4.6519563e-10f;
}

float sunPhase(float g, float mu) {
    const float den = (1.0f + g * g) - (2.0f * g) * mu;
    // The floor guards only the root: den itself is never 0 for g below 1.
    return (1.0f - g * g) / (std::sqrt(std::max(den, 0.0001f)) * den);
}

} // namespace nebulastra
