#pragma once
// The kernel's interface: what it reads (FrameContext), the rows it is handed (RowBand), and the
// one table of entry points each instruction set's build exports (KernelTable). One source
// (packet_kernel.inl) is compiled once per instruction set, each into its own namespace, and once
// at one lane (which also defines the one-pixel entry points); kernelFor picks a build's table.
// Every build draws the same bits.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "render/cloud_field.h"
#include "render/simd/isa.h"

namespace nebulastra {

/// The tallest tile of pixels a kernel shades at once (the widest builds' tiles; narrower builds'
/// tiles divide it). Handed a multiple of this many rows, a kernel leaves short tiles only at the
/// end of a band.
constexpr int32_t kTallestTile = 4;

/// Stores `count` shaded pixels starting at column `firstColumn` of one output row, in the
/// output's depth. Channels are premultiplied and unclamped, as the kernel returns them.
using PixelRunStore = void (*)(unsigned char* row, int32_t firstColumn, int32_t count, const float* red,
                               const float* green, const float* blue, const float* alpha);

struct KernelTable;

/// What every worker of a frame shares, read-only: where the output lives, how it is written and
/// what to draw. Plain data, no host types: the renderer fills it from the output image.
struct FrameContext {
    unsigned char* outputBase; // first byte of row 0
    std::ptrdiff_t rowbytes;   // byte distance between rows; may exceed width * pixel size
    int32_t width;             // columns each worker renders: the output world's width
    // Layer pixel (at the current downsample) of the world's pixel (0, 0): the world may be only
    // part of the frame the settings describe. World pixel (x, y) shades as (originX + x,
    // originY + y) and is stored at column x of row y.
    int32_t originX, originY;
    const CloudField* field;             // the frame record: the kernel's one input
    PixelRunStore store = nullptr;       // the output depth's pixel store
    const KernelTable* kernel = nullptr; // the build that draws the frame (see frameContext)
    // Set while a frame runs on the row runner: a stop asked for part way through a call's rows
    // leaves the rest of them unwritten (the frame is discarded), so the stop is seen within a
    // packet of pixels rather than a whole call. Null: every row is drawn to its end.
    const std::atomic<bool>* stop = nullptr;
};

/// Rows [firstRow, endRow) of a frame, with the frame's context.
struct RowBand {
    int32_t firstRow;
    int32_t endRow;
    FrameContext context;
};

/// One build of the kernel: the instruction set it was compiled for, its lane count, and its
/// entry points. shadeRows renders every pixel of the band's rows, `lanes` pixels at a time in
/// tiles of up to kTallestTile rows, and stores them with the context's store; the batch noises
/// evaluate `count` lookups of one seed, one per lane, and expBatch `count` values of the
/// kernel's lane exp, all with exactly the one-lookup functions' results.
struct KernelTable {
    Isa isa;
    int32_t lanes;
    void (*shadeRows)(const RowBand& band);
    void (*gradientNoise4Batch)(const float* x, const float* y, const float* z, const float* w, int32_t seed,
                                float* out, int32_t count);
    void (*perlinNoise3Batch)(const float* x, const float* y, const float* z, int32_t seed, float* out,
                              int32_t count);
    void (*expBatch)(const float* x, float* out, int32_t count);
};

/// The kernel built for `isa` (the one-lane build for a value outside the enum). Only call a
/// table's entries when isaSupported(isa) holds on this processor.
const KernelTable& kernelFor(Isa isa);

} // namespace nebulastra
