#pragma once
// Sharing a frame's rows among worker threads. Every worker takes the next rows from a counter
// shared by the frame until none remain: groups of kRowsPerCall rows at first, shorter calls for
// the frame's last rows (rowsForNextCall), so the workers finish within about one row of each
// other however unevenly the picture spreads its cost over the rows. There are as many workers
// as the machine has hardware threads, up to kMaxRowWorkers and never more than there are groups
// of kRowsPerCall rows. The calling thread only starts, watches and joins; it renders nothing
// itself.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

#include "render/render_control.h"
#include "render/simd/packet_kernel.h"

namespace nebulastra {

/// The most worker threads one frame starts, whatever the machine reports: far beyond today's
/// desktops and workstations (a 1080p frame has 270 groups of rows), low enough that starting them
/// stays a small part of a frame.
constexpr int32_t kMaxRowWorkers = 256;
/// Threads assumed when the standard library cannot tell how many the hardware has.
constexpr int32_t kFallbackHardwareThreads = 4;

/// The rows of one group, which one worker takes and hands its row worker in one call while the
/// frame has plenty left: the kernel's tallest tile, so that the kernel's tiles are whole.
/// (FrameContext and RowBand, what a worker hands on, are the kernel's records:
/// render/simd/packet_kernel.h.)
constexpr int32_t kRowsPerCall = kTallestTile;

/// The rows the next call takes when `remaining` rows are left (at least 1) for `workers` workers:
/// kRowsPerCall while every worker still has a group's worth left, then two while every worker
/// has a row left, then one. Whole groups cost least (the kernel's tiles shrink with the call: a
/// frame drawn in single rows costs a fifth to a quarter more), but a frame of few groups a worker cannot be
/// shared evenly in groups when a few of them hold most of its cost; short calls for the last
/// rows let the workers end within about one row of each other, and on a big frame those rows
/// are few. The size never grows from one call to the next and never exceeds `remaining`, so
/// every call starts at a multiple of its own row count.
int32_t rowsForNextCall(int32_t remaining, int32_t workers);

using RowWorker = void (*)(const RowBand& band);

/// How many threads share a frame's rows: `workers`, never more than the frame's `groups` of
/// kRowsPerCall rows (the last may be shorter).
struct RowPlan {
    int32_t workers;
    int32_t groups;
};

/// The plan for `height` rows on a machine reporting `hardwareThreads` (0 = unknown, taken as
/// kFallbackHardwareThreads). Heights of 0 or less give no groups and no workers.
RowPlan planRows(int32_t hardwareThreads, int32_t height);

/// Starts the thread of worker `index` (0, 1, ... in start order) running `work`; a failure
/// throws (std::system_error).
using ThreadStarter = std::thread (*)(int32_t index, std::function<void()> work);

/// Renders rows 0 .. height-1 of the frame with `worker` on the threads of planRows and returns
/// once every thread has been joined. Each thread takes the next rows (rowsForNextCall of those
/// left) from a counter the frame's threads share and hands them to `worker` in one call, until no
/// row is left or a stop is asked for; every row is drawn by exactly one call. With a `watch`, the
/// calling thread polls it while it waits (render/render_control.h), reporting the rows of the
/// calls that have returned.
/// Returns true when every row was rendered, false when the watch asked to stop at any of its
/// polls. If a thread cannot be started, the ones already running are stopped at their next packet
/// and joined, and then the failure is rethrown.
bool runRowBands(int32_t height, const FrameContext& context, RowWorker worker,
                 const RenderWatch* watch = nullptr);

/// runRowBands on a machine reporting `hardwareThreads`, starting each thread with `startThread`
/// (runRowBands passes the machine's count and std::thread's own start).
bool runRowBandsWith(int32_t hardwareThreads, int32_t height, const FrameContext& context, RowWorker worker,
                     ThreadStarter startThread, const RenderWatch* watch = nullptr);

} // namespace nebulastra
