#pragma once
// What the caller of a frame may ask of it while its workers run: to hear how many rows are done,
// and to stop. Plain data and a function pointer, no host types: the frame driver adapts the
// host's abort and progress callbacks into this record, and the renderer only ever calls it on
// the thread that started the frame, never on a worker.

#include <cstdint>

namespace nebulastra {

/// The frame's watcher. `poll` runs on the calling thread: once before any worker starts, every
/// `intervalMs` milliseconds while workers run, and once more after the last row when the frame
/// was not stopped. It receives the rows finished so far and the frame's row count and answers
/// true to stop the frame: the workers then finish the row they are on and start no other. It may
/// not throw: workers are running while it is called.
struct RenderWatch {
    bool (*poll)(void* context, int32_t rowsDone, int32_t rowsTotal) noexcept;
    void* context;
    int32_t intervalMs;
};

/// How often a frame is polled while it renders: often enough that a stop is seen within a few
/// milliseconds, rarely enough that polling costs nothing next to the rows.
constexpr int32_t kDefaultWatchIntervalMs = 4;

} // namespace nebulastra
