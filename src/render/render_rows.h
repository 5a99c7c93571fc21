#pragma once
// The row workers, one per output depth: shade every pixel of the band's rows and store it as
// ARGB in the depth's layout (8-bit, 16-bit with full scale 32768, or float passed through).

#include "render/row_bands.h"
#include "render/simd/isa.h"

namespace nebulastra {

/// The per-pixel kernel's signature (shadePixel in the renderer).
using PixelShader = void (*)(int32_t x, int32_t y, const RenderSettings& settings,
                             const PreparedFrame& prepared, float& red, float& green, float& blue,
                             float& alpha);

/// The output world's channel layout.
enum class OutputDepth { Bits8, Bits16, Float };

/// The row worker for a depth on a render path: the scalar kernel, or the SIMD kernel compiled
/// for that instruction set. Every path writes the same bytes.
RowWorker rowWorkerFor(OutputDepth depth, Isa isa);

/// Worker routines handed to runRowBands; they shade with shadePixel.
void renderRows8(const RowBand& band);
void renderRows16(const RowBand& band);
void renderRowsFloat(const RowBand& band);

/// The float walk with the shader made explicit: which pixel is shaded with which coordinates and
/// stored where, apart from what the kernel computes for it.
void shadeRowsFloat(const RowBand& band, PixelShader shade);

} // namespace nebulastra
