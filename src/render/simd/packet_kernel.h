#pragma once
// The per-pixel kernel over lanes: the row workers shade tiles of neighbouring pixels together,
// one pixel per lane. One source (packet_kernel.inl) is compiled once per instruction
// set, each into its own namespace, and once at one lane (simd_scalar, which also defines the
// one-pixel entry points); the frame driver picks one at run time. Every width draws the same bits.

#include "render/row_bands.h"
#include "render/simd/isa.h"

namespace nebulastra {

/// Stores `count` shaded pixels starting at column `firstColumn` of one output row, in the
/// output's depth. Channels are premultiplied and unclamped, as the kernel returns them.
using PixelRunStore = void (*)(unsigned char* row, int32_t firstColumn, int32_t count, const float* red,
                               const float* green, const float* blue, const float* alpha);

// Per instruction set: shadeBand renders every pixel of the band's rows, kLanes pixels at a time
// (1, 4, 8 or 16) in tiles of up to 4 rows; the batch noises evaluate `count` lookups of one seed,
// one per lane, and expBatch `count` values of the kernel's lane exp, all with exactly the
// one-lookup functions' results.
#define NEBULASTRA_DECLARE_SIMD_KERNEL(isa)                                                                  \
    namespace isa {                                                                                          \
    void shadeBand(const RowBand& band, PixelRunStore store);                                                \
    void gradientNoise4Batch(const float* x, const float* y, const float* z, const float* w, int32_t seed,   \
                             float* out, int32_t count);                                                     \
    void perlinNoise3Batch(const float* x, const float* y, const float* z, int32_t seed, float* out,         \
                           int32_t count);                                                                   \
    void expBatch(const float* x, float* out, int32_t count);                                                \
    }
NEBULASTRA_DECLARE_SIMD_KERNEL(simd_scalar)
NEBULASTRA_DECLARE_SIMD_KERNEL(simd_sse2)
NEBULASTRA_DECLARE_SIMD_KERNEL(simd_avx2)
NEBULASTRA_DECLARE_SIMD_KERNEL(simd_avx512)
#undef NEBULASTRA_DECLARE_SIMD_KERNEL

/// The batch noises of one render path.
struct BatchNoise {
    void (*gradientNoise4)(const float* x, const float* y, const float* z, const float* w, int32_t seed,
                           float* out, int32_t count);
    void (*perlinNoise3)(const float* x, const float* y, const float* z, int32_t seed, float* out,
                         int32_t count);
};
BatchNoise batchNoiseFor(Isa isa);

} // namespace nebulastra
