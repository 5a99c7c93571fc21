// The batch noise entry points of each render path, for benchmarks and for checking every path
// against the one-lookup functions.

#include "render/simd/packet_kernel.h"

namespace nebulastra {
BatchNoise batchNoiseFor(Isa isa) {
    switch (isa) {
    case Isa::Sse2:
        return {simd_sse2::gradientNoise4Batch, simd_sse2::perlinNoise3Batch};
    case Isa::Avx2:
        return {simd_avx2::gradientNoise4Batch, simd_avx2::perlinNoise3Batch};
    case Isa::Avx512:
        return {simd_avx512::gradientNoise4Batch, simd_avx512::perlinNoise3Batch};
    case Isa::Scalar:
    default:
        return {simd_scalar::gradientNoise4Batch, simd_scalar::perlinNoise3Batch};
    }
}

} // namespace nebulastra
