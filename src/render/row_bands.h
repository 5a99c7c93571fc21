#pragma once
// Sharing a frame's rows among worker threads. The rows are cut into groups of kRowsPerCall, and
// every worker takes the next group from a counter shared by the frame until none remain, so the
// workers finish within one group of each other however unevenly the picture spreads its cost
// over the rows. There are as many workers as the machine has hardware threads, up to
// kMaxRowWorkers and never more than there are groups. The calling thread only starts, watches
// and joins; it renders nothing itself.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

#include "render/cloud_field.h"
#include "render/render_control.h"

namespace nebulastra {

/// The most worker threads one frame starts, whatever the machine reports: far beyond today's
/// desktops and workstations (a 1080p frame has 270 groups of rows), low enough that starting them
/// stays a small part of a frame.
constexpr int32_t kMaxRowWorkers = 256;
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

/// The rows of one group, which one worker takes and hands its row worker in one call (fewer in
/// the frame's last group): the kernel shades tiles of pixels up to this many rows tall.
constexpr int32_t kRowsPerCall = 4;

/// Rows [firstRow, endRow) handed to a row worker in one call, with its own copy of the context.
struct RowBand {
    int32_t firstRow;
    int32_t endRow;
    FrameContext context;
};

using RowWorker = void (*)(const RowBand& band);

/// How a frame's rows are shared: `groups` groups of kRowsPerCall rows (the last may be shorter),
/// taken by `workers` threads.
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
/// once every thread has been joined. Each thread takes the next group of rows from a counter the
/// frame's threads share and hands it to `worker` in one call, until no group is left or a stop is
/// asked for; every row is drawn by exactly one call. With a `watch`, the calling thread polls it
/// while it waits (render/render_control.h), reporting the rows of the calls that have returned.
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
