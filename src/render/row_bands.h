#pragma once
// Splitting a frame's rows over worker threads: at most kMaxRowBands contiguous bands, one thread
// each, no work stealing. The calling thread only starts, watches and joins; it renders nothing
// itself.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

#include "render/render_control.h"
#include "render/simd/packet_kernel.h"

namespace nebulastra {

/// The most worker threads one frame uses.
constexpr int32_t kMaxRowBands = 16;
/// Threads assumed when the standard library cannot tell how many the hardware has.
constexpr int32_t kFallbackHardwareThreads = 4;

/// The rows a worker thread hands its row worker at a time (fewer at the band's end): the kernel's
/// tallest tile, so that only a band's last call leaves the kernel short tiles. (FrameContext and
/// RowBand, what a worker hands on, are the kernel's records: render/simd/packet_kernel.h.)
constexpr int32_t kRowsPerCall = kTallestTile;

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
