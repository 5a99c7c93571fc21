// Row-band partition and the worker threads of one frame.

#include "render/row_bands.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <vector>

namespace nebulastra {

RowBandPlan planRowBands(int32_t hardwareThreads, int32_t height) {
    if (height <= 0) return {0, 0};
    int32_t threads = hardwareThreads == 0 ? kFallbackHardwareThreads : hardwareThreads;
    threads = std::clamp(threads, int32_t{1}, kMaxRowBands);
    if (height < threads) threads = height; // height >= 1 here, so at least one thread

    // Ceiling division in 64 bits so a height near INT32_MAX cannot overflow.
    const int64_t bandHeight = (int64_t{height} + threads - 1) / threads;
    // Rounding the band height up can leave the last bands empty (17 rows over 16 threads use 9
    // bands of 2): only bands that start below the height get a worker.
    const int64_t count = std::min<int64_t>(threads, (int64_t{height} + bandHeight - 1) / bandHeight);
    return {static_cast<int32_t>(count), static_cast<int32_t>(bandHeight)};
}

namespace {

std::thread startStdThread(const RowBand&, std::function<void()> work) {
    return std::thread(std::move(work));
}

/// What the workers of one frame share with the calling thread: the stop request, the count of
/// finished rows, and the count of workers still running (under `mutex`, signalled by `done`).
struct FrameRun {
    std::atomic<bool> stop{false};
    std::atomic<int32_t> rowsDone{0};
    std::mutex mutex;
    std::condition_variable done;
    int32_t running = 0;
};

/// One worker's whole life: its band kRowsPerCall rows at a time until the band ends or a stop is
/// asked for.
void workBand(FrameRun& run, RowWorker worker, const RowBand& band) {
    for (int32_t y = band.firstRow; y < band.endRow; y += kRowsPerCall) {
        // Relaxed is enough: the flag carries no data, and a row more or less before it is seen
        // changes nothing but how much of a discarded frame was drawn.
        if (run.stop.load(std::memory_order_relaxed)) break;
        const int32_t end = band.endRow - y < kRowsPerCall ? band.endRow : y + kRowsPerCall;
        RowBand rows{y, end, band.context};
        rows.context.stop = &run.stop;
        worker(rows);
        run.rowsDone.fetch_add(end - y, std::memory_order_relaxed);
    }
    const std::lock_guard<std::mutex> lock(run.mutex);
    if (--run.running == 0) run.done.notify_one();
}

/// The calling thread's wait: until every worker has left its band, polling `watch` (if any) at
/// its interval and telling the workers to stop when it answers so. True when it did.
bool waitForWorkers(FrameRun& run, int32_t height, const RenderWatch* watch) {
    std::unique_lock<std::mutex> lock(run.mutex);
    const auto interval = std::chrono::milliseconds(watch != nullptr ? std::max(1, watch->intervalMs) : 0);
    auto next = std::chrono::steady_clock::now() + interval;
    bool stopped = false;
    while (run.running > 0) {
        if (watch == nullptr || stopped) {
            run.done.wait(lock, [&] { return run.running == 0; });
            break;
        }
        if (run.done.wait_until(lock, next, [&] { return run.running == 0; })) break;
        lock.unlock(); // the watch may take its time; workers must be able to finish meanwhile
        stopped = watch->poll(watch->context, run.rowsDone.load(std::memory_order_relaxed), height);
        if (stopped) run.stop.store(true, std::memory_order_relaxed);
        next = std::chrono::steady_clock::now() + interval;
        lock.lock();
    }
    return stopped;
}

void joinAll(std::vector<std::thread>& threads) {
    // Every thread in the list was started here and is joinable, so join cannot report
    // "not joinable" or a self-join; it is called in start order.
    for (std::thread& thread : threads) thread.join();
}

} // namespace

bool runRowBandsWith(int32_t hardwareThreads, int32_t height, const FrameContext& context, RowWorker worker,
                     ThreadStarter startThread, const RenderWatch* watch) {
    const RowBandPlan plan = planRowBands(hardwareThreads, height);
    const int32_t rows = std::max(height, int32_t{0});
    // Asked before any thread exists: a frame stopped at once starts nothing.
    if (watch != nullptr && watch->poll(watch->context, 0, rows)) return false;
    if (plan.count == 0) return true;

    FrameRun run;
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(plan.count)); // no reallocation once threads run
    try {
        for (int32_t i = 0; i < plan.count; ++i) {
            const int32_t first = i * plan.bandHeight;
            const int32_t end =
                static_cast<int32_t>(std::min<int64_t>(int64_t{first} + plan.bandHeight, height));
            const RowBand band{first, end, context};
            {
                const std::lock_guard<std::mutex> lock(run.mutex);
                ++run.running;
            }
            try {
                threads.push_back(startThread(band, [&run, worker, band] { workBand(run, worker, band); }));
            } catch (...) {
                const std::lock_guard<std::mutex> lock(run.mutex);
                --run.running; // this band never started
                throw;
            }
        }
    } catch (...) {
        // A running thread object must never be destroyed: finish the bands already started,
        // then let the failure reach the dispatcher, which turns it into a host error code.
        joinAll(threads);
        throw;
    }
    const bool stopped = waitForWorkers(run, rows, watch);
    joinAll(threads);
    if (stopped) return false;
    // The last word on a finished frame: every row is done, and a stop asked for now still counts.
    return watch == nullptr || !watch->poll(watch->context, rows, rows);
}

bool runRowBands(int32_t height, const FrameContext& context, RowWorker worker, const RenderWatch* watch) {
    const unsigned reported = std::thread::hardware_concurrency();
    const int32_t hardwareThreads =
        reported > static_cast<unsigned>(kMaxRowBands) ? kMaxRowBands : static_cast<int32_t>(reported);
    return runRowBandsWith(hardwareThreads, height, context, worker, startStdThread, watch);
}

} // namespace nebulastra
