// The range each billow map bends a noise octave into: what the density field's bounds assume of
// any shaped fractal sum. Each follows from the octave's own range [kOctaveMin, kOctaveMax].

#include <algorithm>
#include <cmath>

#include "render/noise/noise.h"
#include "render/noise/noise_internal.h"

namespace nebulastra {

namespace {
/// |2n - 1| over the octave's range: 0 at n = 0.5, largest at either end.
constexpr float kRidgeHighest =
    2.0f * kOctaveMax - 1.0f > 1.0f - 2.0f * kOctaveMin ? 2.0f * kOctaveMax - 1.0f : 1.0f - 2.0f * kOctaveMin;
} // namespace

NoiseRange shapedOctaveRange(NoiseShape shape) {
    switch (shape) {
    case NoiseShape::Puffy: // |2n - 1|
        return {0.0f, kRidgeHighest};
    case NoiseShape::Wispy: // (1 - |2n - 1|)^2, with 1 - |2n - 1| in [1 - kRidgeHighest, 1] and
                            // 1 - kRidgeHighest above -1
        return {0.0f, 1.0f};
    case NoiseShape::Clumps: // n^3 is monotonic
        return {kOctaveMin * kOctaveMin * kOctaveMin, kOctaveMax * kOctaveMax * kOctaveMax};
    default:
        return {kOctaveMin, kOctaveMax};
    }
}

NoiseRange shapedOctaveRangeWithin(NoiseShape shape, float reach) {
    using noise_internal::kNoise4Scale;
    const float n0 = std::max(0.5f - kNoise4Scale * reach, kOctaveMin),
                n1 = std::min(0.5f + kNoise4Scale * reach, kOctaveMax);
    const float d = std::max(std::fabs((n0 + n0) - 1.0f), std::fabs((n1 + n1) - 1.0f));
    switch (shape) {
    case NoiseShape::Puffy:
        return {0.0f, d};
    case NoiseShape::Wispy: {
        const float ridge = 1.0f - d;
        return {ridge > 0.0f ? ridge * ridge : 0.0f, std::max(1.0f, ridge * ridge)};
    }
    case NoiseShape::Clumps:
        return {(n0 * n0) * n0, (n1 * n1) * n1};
    default:
        return {n0, n1};
    }
}

} // namespace nebulastra
