#pragma once
// The row workers, one per output depth: shade every pixel of the band's rows and store it as
// ARGB in the depth's layout (8-bit, 16-bit with full scale 32768, or float passed through).

#include "render/row_bands.h"
#include "render/simd/isa.h"

namespace nebulastra {

/// The output world's channel layout.
enum class OutputDepth { Bits8, Bits16, Float };

/// The row worker for a depth on a render path: the kernel compiled for that instruction set (one
/// lane for the scalar path). Every path writes the same bytes.
RowWorker rowWorkerFor(OutputDepth depth, Isa isa);

} // namespace nebulastra
