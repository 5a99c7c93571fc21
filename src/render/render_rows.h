#pragma once
// How shaded pixels are stored, one way per output depth: premultiplied ARGB in the depth's layout
// (8-bit, 16-bit with full scale 32768, or float passed through).

#include "render/simd/packet_kernel.h"

namespace nebulastra {

/// The output world's channel layout.
enum class OutputDepth { Bits8, Bits16, Float };

/// The pixel store for a depth: what a frame's context hands the kernel, whichever build runs.
PixelRunStore pixelStoreFor(OutputDepth depth);

} // namespace nebulastra
