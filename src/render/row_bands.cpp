// The worker threads of one frame and the rows they share.

#include "render/row_bands.h"

#include "render/processor_groups.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <vector>

namespace nebulastra {

RowPlan planRows(int32_t hardwareThreads, int32_t height) {
    if (height <= 0) return {0, 0};
    // In 64 bits so a height near INT32_MAX cannot overflow.
    const int64_t groups = (int64_t{height} + kRowsPerCall - 1) / kRowsPerCall;
    int32_t threads = hardwareThreads == 0 ? kFallbackHardwareThreads : hardwareThreads;
    threads = std::clamp(threads, int32_t{1}, kMaxRowWorkers);
    // A worker without a group of its own would start and end without drawing a row.
    return {static_cast<int32_t>(std::min<int64_t>(threads, groups)), static_cast<int32_t>(groups)};
}

int32_t rowsForNextCall(int32_t remaining, int32_t workers) {
    const int32_t share = remaining / std::max(workers, int32_t{1});
    if (share >= kRowsPerCall) return kRowsPerCall;
    return share >= 1 && remaining >= 2 ? 2 : 1;
}

namespace {

std::thread startStdThread(int32_t, std::function<void()> work) { return std::thread(std::move(work)); }

/// What the workers of one frame share with each other and with the calling thread: the next
/// row to take, the stop request, the count of finished rows, and the count of workers
/// still running (under `mutex`, signalled by `done`).
struct FrameRun {
    std::atomic<int32_t> nextRow{0};
    std::atomic<bool> stop{false};
    std::atomic<int32_t> rowsDone{0};
    std::mutex mutex;
    std::condition_variable done;
    int32_t running = 0;
};

/// One worker's whole life: the next rows, one call each, until none is left or a stop is asked
/// for.
void takeRows(FrameRun& run, RowWorker worker, int32_t height, int32_t workers, const FrameContext& context) {
    FrameContext rowsContext = context;
    rowsContext.stop = &run.stop;
    for (;;) {
        // Relaxed is enough for all three counters: each hands out or counts numbers and carries
        // no data (the pixels reach the calling thread through the join), the compare-exchange
        // gives every row to exactly one worker whatever the order (a worker that lost the race
        // sizes its call again from the rows now left), and a stop seen a call later changes
        // nothing but how much of a discarded frame was drawn.
        if (run.stop.load(std::memory_order_relaxed)) break;
        int32_t first = run.nextRow.load(std::memory_order_relaxed);
        int32_t rows = 0;
        do {
            if (first >= height) break;
            rows = rowsForNextCall(height - first, workers);
        } while (!run.nextRow.compare_exchange_weak(first, first + rows, std::memory_order_relaxed));
        if (first >= height) break;
        worker(RowBand{first, first + rows, rowsContext});
        run.rowsDone.fetch_add(rows, std::memory_order_relaxed);
    }
    const std::lock_guard<std::mutex> lock(run.mutex);
    if (--run.running == 0) run.done.notify_one();
}

/// The calling thread's wait: until every worker has run out of rows, polling `watch` (if any) at
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
    const RowPlan plan = planRows(hardwareThreads, height);
    const int32_t rows = std::max(height, int32_t{0});
    // Asked before any thread exists: a frame stopped at once starts nothing.
    if (watch != nullptr && watch->poll(watch->context, 0, rows)) return false;
    if (plan.workers == 0) return true;

    FrameRun run;
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(plan.workers)); // no reallocation once threads run
    try {
        for (int32_t i = 0; i < plan.workers; ++i) {
            {
                const std::lock_guard<std::mutex> lock(run.mutex);
                ++run.running;
            }
            try {
                threads.push_back(startThread(i, [&run, worker, rows, &plan, &context] {
                    takeRows(run, worker, rows, plan.workers, context);
                }));
            } catch (...) {
                const std::lock_guard<std::mutex> lock(run.mutex);
                --run.running; // this worker never started
                throw;
            }
        }
    } catch (...) {
        // A running thread object must never be destroyed. The frame has failed: the workers
        // already started stop at their next packet instead of drawing it all, then the failure
        // reaches the dispatcher, which turns it into a host error code.
        run.stop.store(true, std::memory_order_relaxed);
        joinAll(threads);
        throw;
    }
    const bool stopped = waitForWorkers(run, rows, watch);
    joinAll(threads);
    if (stopped) return false;
    // The last word on a finished frame: every row is done, and a stop asked for now still counts.
    return watch == nullptr || !watch->poll(watch->context, rows, rows);
}

namespace {

/// The machine's processor groups, read once: they do not change while the effect is loaded.
const std::vector<int32_t>& machineGroups() {
    static const std::vector<int32_t> groups = processorGroups();
    return groups;
}

/// std::thread's start, with the worker moved into its processor group first where the machine
/// has more than one.
std::thread startInGroup(int32_t index, std::function<void()> work) {
    const int32_t group = groupOfWorker(machineGroups(), index);
    return std::thread([group, work = std::move(work)] {
        runInProcessorGroup(group); // refused: the worker runs where it was started
        work();
    });
}

} // namespace

bool runRowBands(int32_t height, const FrameContext& context, RowWorker worker, const RenderWatch* watch) {
    const std::vector<int32_t>& groups = machineGroups();
    int64_t processors = 0;
    for (const int32_t n : groups) processors += n;
    // Beyond kMaxRowWorkers the count is cut there anyway.
    const int32_t hardwareThreads = static_cast<int32_t>(std::min<int64_t>(processors, kMaxRowWorkers));
    return runRowBandsWith(hardwareThreads, height, context, worker,
                           groups.size() > 1 ? startInGroup : startStdThread, watch);
}

} // namespace nebulastra
