// Row-band partition and the worker threads of one frame.

#include "render/row_bands.h"

#include <algorithm>
#include <exception>
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

std::thread startStdThread(RowWorker worker, const RowBand& band) {
    // The band is copied into the thread: the worker owns its RowBand.
    return std::thread(worker, band);
}

void joinAll(std::vector<std::thread>& threads) {
    // Every thread in the list was started here and is joinable, so join cannot report
    // "not joinable" or a self-join; it is called in start order.
    for (std::thread& thread : threads) thread.join();
}

} // namespace

void runRowBandsWith(int32_t hardwareThreads, int32_t height, const FrameContext& context, RowWorker worker,
                     ThreadStarter startThread) {
    const RowBandPlan plan = planRowBands(hardwareThreads, height);
    if (plan.count == 0) return;

    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(plan.count)); // no reallocation once threads run
    try {
        for (int32_t i = 0; i < plan.count; ++i) {
            const int32_t first = i * plan.bandHeight;
            const int32_t end =
                static_cast<int32_t>(std::min<int64_t>(int64_t{first} + plan.bandHeight, height));
            threads.push_back(startThread(worker, RowBand{first, end, context}));
        }
    } catch (...) {
        // A running thread object must never be destroyed: finish the bands already started,
        // then let the failure reach the dispatcher, which turns it into a host error code.
        joinAll(threads);
        throw;
    }
    joinAll(threads);
}

void runRowBands(int32_t height, const FrameContext& context, RowWorker worker) {
    const unsigned reported = std::thread::hardware_concurrency();
    const int32_t hardwareThreads =
        reported > static_cast<unsigned>(kMaxRowBands) ? kMaxRowBands : static_cast<int32_t>(reported);
    runRowBandsWith(hardwareThreads, height, context, worker, startStdThread);
}

} // namespace nebulastra
