// The range each billow map bends a noise octave into: what the density field's bounds assume of
// any shaped fractal sum.

#include "render/noise/noise.h"

namespace nebulastra {

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

} // namespace nebulastra
