#pragma once
// Splitting a frame's rows over worker threads: at most kMaxRowBands contiguous bands, one thread
// each, no work stealing. The calling thread only starts, watches and joins; it renders nothing
// itself.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

#include "render/cloud_field.h"
#include "render/render_control.h"

namespace nebulastra {

/// The most worker threads one frame uses.
constexpr int32_t kMaxRowBands = 16;
/// Threads assumed when the standard library cannot tell how many the hardware has.
constexpr int32_t kFallbackHardwareThreads = 4;

/// What every worker of a frame shares, read-only: where the output lives and what to draw.
/// Plain data, no host types: the driver fills it from the output world.
struct FrameContext {
    unsigned char* outputBase; // first byte of row 0
    std::ptrdiff_t rowbytes;   // byte distance between rows; may exceed width * pixel size
    int32_t width;             // columns each worker renders: the output world's width
    // Layer pixel (at the current downsample) of the world's pixel (0, 0): the world may be only
    // part of the frame the settings describe. World pixel (x, y) shades as (originX + x,
    // originY + y) and is stored at column x of row y.
    int32_t originX, originY;
    const CloudField* field; // the kernel's one input, built from the frame's records
    // Set while a frame runs on the row runner: a stop asked for part way through a call's rows
    // leaves the rest of them unwritten (the frame is discarded), so the stop is seen within a few
    // packets of pixels rather than a whole call. Null: every row is drawn to its end.
    const std::atomic<bool>* stop = nullptr;
};

/// The rows a worker thread hands its row worker at a time (fewer at the band's end): the kernel
/// shades tiles of pixels up to this many rows tall.
constexpr int32_t kRowsPerCall = 4;

/// One worker's share of the rows, [firstRow, endRow), with its own copy of the context.
struct RowBand {
    int32_t firstRow;
    int32_t endRow;
    FrameContext context;
};

using RowWorker = void (*)(const RowBand& band);

/// `count` bands of `bandHeight` rows each (the last may be shorter); every row in exactly one.
struct RowBandPlan {
    int32_t count;
    int32_t bandHeight;
};

/// The band plan for `height` rows on a machine reporting `hardwareThreads` (0 = unknown, taken as
/// 4). Heights of 0 or less give no bands.
RowBandPlan planRowBands(int32_t hardwareThreads, int32_t height);

/// Starts one thread running `work`, which renders `band`; a failure throws (std::system_error).
using ThreadStarter = std::thread (*)(const RowBand& band, std::function<void()> work);

/// Renders rows 0 .. height-1 of the frame with `worker` on threads, one per band, and returns once
/// every thread has been joined. Each thread hands its band to `worker` kRowsPerCall rows at a
/// time, top to bottom, so that a stop takes effect at the next call. With a `watch`, the calling
/// thread polls it while it waits (render/render_control.h). Returns true when every row was
/// rendered, false when the watch asked to stop at any of its polls. If a thread cannot be started,
/// the ones already running are joined first and the failure is rethrown.
bool runRowBands(int32_t height, const FrameContext& context, RowWorker worker,
                 const RenderWatch* watch = nullptr);

/// runRowBands on a machine reporting `hardwareThreads`, starting each thread with `startThread`
/// (runRowBands passes the machine's count and std::thread's own start).
bool runRowBandsWith(int32_t hardwareThreads, int32_t height, const FrameContext& context, RowWorker worker,
                     ThreadStarter startThread, const RenderWatch* watch = nullptr);

} // namespace nebulastra
