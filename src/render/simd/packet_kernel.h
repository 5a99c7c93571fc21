#pragma once
// The SIMD form of the per-pixel kernel: the row workers shade runs of neighbouring pixels of a
// row together, one pixel per lane, and produce exactly the scalar kernel's bits. One source
// (packet_kernel.inl) is compiled once per instruction set, each into its own namespace; the
// frame driver picks one at run time.

#include "render/row_bands.h"

namespace nebulastra {

/// Stores `count` shaded pixels starting at column `firstColumn` of one output row, in the
/// output's depth. Channels are premultiplied and unclamped, as the kernel returns them.
using PixelRunStore = void (*)(unsigned char* row, int32_t firstColumn, int32_t count, const float* red,
                               const float* green, const float* blue, const float* alpha);

// Each renders every pixel of the band's rows, kLanes pixels at a time (4, 8 or 16).
namespace simd_sse2 {
void shadeBand(const RowBand& band, PixelRunStore store);
}
namespace simd_avx2 {
void shadeBand(const RowBand& band, PixelRunStore store);
}
namespace simd_avx512 {
void shadeBand(const RowBand& band, PixelRunStore store);
}

} // namespace nebulastra
