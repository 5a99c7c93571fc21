// The batch noise entry points of each render path, for benchmarks and for checking every path
// against the scalar functions.

#include "render/noise/noise.h"
#include "render/simd/packet_kernel.h"

namespace nebulastra {
namespace {

void scalarGradientNoise4(const float* x, const float* y, const float* z, const float* w, int32_t seed,
                          float* out, int32_t count) {
    for (int32_t i = 0; i < count; ++i) out[i] = gradientNoise4(x[i], y[i], z[i], w[i], seed);
}

void scalarPerlinNoise3(const float* x, const float* y, const float* z, int32_t seed, float* out,
                        int32_t count) {
    for (int32_t i = 0; i < count; ++i) out[i] = perlinNoise3(x[i], y[i], z[i], seed);
}

} // namespace

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
        return {scalarGradientNoise4, scalarPerlinNoise3};
    }
}

} // namespace nebulastra
