// The range each billow map bends a noise octave into: what the density field's bounds assume of
// any shaped fractal sum. Each follows from the octave's own range [kOctaveMin, kOctaveMax].

#include "render/noise/noise.h"

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

} // namespace nebulastra
