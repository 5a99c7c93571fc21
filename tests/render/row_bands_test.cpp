#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>
#include <vector>

#include "render/row_bands.h"

namespace nebulastra {
namespace {

TEST(RowBandPlan, SplitsRowsOverAtMostSixteenThreads) {
    struct Case {
        int32_t threads, height, count, bandHeight;
    };
    const Case cases[] = {
        {16, 1080, 16, 68}, {64, 1080, 16, 68}, // capped at 16: fifteen bands of 68, one of 60
        {2, 1080, 2, 540},  {1, 1080, 1, 1080}, // one reported thread: a single worker
        {0, 1080, 4, 270},                      // unknown hardware counts as 4 threads
        {16, 17, 9, 2},                         // ceil(17 / 16) = 2 rows each: only 9 bands start
        {16, 10, 10, 1},    {2, 17, 2, 9},      {16, 1, 1, 1}, {64, 1, 1, 1}, {16, 0, 0, 0}, {16, -3, 0, 0},
    };
    for (const Case& c : cases) {
        const RowBandPlan plan = planRowBands(c.threads, c.height);
        EXPECT_EQ(plan.count, c.count) << c.threads << " threads, " << c.height << " rows";
        if (c.count > 0) {
            EXPECT_EQ(plan.bandHeight, c.bandHeight) << c.threads << " threads, " << c.height << " rows";
        }
    }
}

// Test doubles are plain functions (the thread seam takes function pointers), so their state is
// file-level and reset by each test.
std::atomic<int> gRowVisits[1100];
std::atomic<int> gWorkersOnCaller{0};
std::thread::id gCaller;
std::vector<RowBand> gStartedBands;
int gStartsBeforeFailure = -1;
std::atomic<int> gFinishedRows{0};

void resetDoubles() {
    for (auto& visits : gRowVisits) visits = 0;
    gWorkersOnCaller = 0;
    gCaller = std::this_thread::get_id();
    gStartedBands.clear();
    gStartsBeforeFailure = -1;
    gFinishedRows = 0;
}

void countRows(const RowBand& band) {
    if (std::this_thread::get_id() == gCaller) ++gWorkersOnCaller;
    for (int32_t y = band.firstRow; y < band.endRow; ++y) ++gRowVisits[y];
}

void slowWorker(const RowBand& band) {
    // Ten rows of 5 ms make a band long enough that an unjoined thread would still be running when
    // the failure surfaces.
    EXPECT_LE(band.endRow - band.firstRow, kRowsPerCall);
    std::this_thread::sleep_for(std::chrono::milliseconds(5) * (band.endRow - band.firstRow));
    countRows(band);
    gFinishedRows += band.endRow - band.firstRow;
}

std::thread recordingStart(const RowBand& band, std::function<void()> work) {
    if (static_cast<int>(gStartedBands.size()) == gStartsBeforeFailure) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    gStartedBands.push_back(band);
    return std::thread(std::move(work));
}

TEST(RunRowBands, EveryRowOnceInContiguousBandsOffTheCallingThread) {
    const int32_t heights[] = {1080, 17, 10, 1};
    for (int32_t height : heights) {
        resetDoubles();
        const FrameContext context{};
        runRowBandsWith(16, height, context, countRows, recordingStart);

        // Contiguous, non-empty bands from the top; together they cover the frame.
        int32_t expectedFirst = 0;
        for (const RowBand& band : gStartedBands) {
            EXPECT_EQ(band.firstRow, expectedFirst);
            EXPECT_GT(band.endRow, band.firstRow);
            expectedFirst = band.endRow;
        }
        EXPECT_EQ(expectedFirst, height);
        for (int32_t y = 0; y < height; ++y) ASSERT_EQ(gRowVisits[y], 1) << "row " << y;
        EXPECT_EQ(gWorkersOnCaller, 0);
    }
}

TEST(RunRowBands, FailedStartJoinsTheRunningWorkersThenRethrows) {
    for (int failAt : {0, 1, 3}) {
        resetDoubles();
        gStartsBeforeFailure = failAt;
        const FrameContext context{};
        try {
            runRowBandsWith(8, 80, context, slowWorker, recordingStart);
            FAIL() << "the start failure was swallowed";
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code(), std::errc::resource_unavailable_try_again);
        }
        // Every started worker had finished by the time the failure left runRowBands.
        EXPECT_EQ(gFinishedRows, failAt * 10);
        for (int32_t y = 0; y < 80; ++y) EXPECT_EQ(gRowVisits[y], y < failAt * 10 ? 1 : 0) << "row " << y;
    }
}

// The watch: called on the calling thread only, with rows done never going backwards. It stops
// the frame at its first call (before any thread starts), at the first call that finds a row
// drawn, or never.
enum class StopWhen { AtStart, OnceDrawn, Never };

struct WatchLog {
    StopWhen when = StopWhen::Never;
    int calls = 0;
    bool offCaller = false;
    std::vector<int32_t> rowsDone;
    std::vector<int32_t> rowsVisited; // rows the workers had finished by the end of each poll
    int32_t total = -1;
};

bool watchPoll(void* context, int32_t rowsDone, int32_t rowsTotal) noexcept {
    WatchLog& log = *static_cast<WatchLog*>(context);
    if (std::this_thread::get_id() != gCaller) log.offCaller = true;
    log.rowsDone.push_back(rowsDone);
    int32_t visited = 0;
    for (int32_t y = 0; y < rowsTotal; ++y) visited += gRowVisits[y];
    log.rowsVisited.push_back(visited);
    log.total = rowsTotal;
    ++log.calls;
    return (log.when == StopWhen::AtStart && log.calls == 1) ||
           (log.when == StopWhen::OnceDrawn && visited > 0);
}

void rowOf2ms(const RowBand& band) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2) * (band.endRow - band.firstRow));
    countRows(band);
}

TEST(RunRowBands, WatchStopsEveryWorkerAtItsNextRow) {
    // 4 bands of 50 rows, 2 ms a row: 100 ms a band. Once drawn is some 8 ms in, or later on a
    // loaded machine, whenever the workers got going.
    for (StopWhen when : {StopWhen::AtStart, StopWhen::OnceDrawn, StopWhen::Never}) {
        resetDoubles();
        WatchLog log;
        log.when = when;
        const RenderWatch watch{&watchPoll, &log, 4};
        const FrameContext context{};
        const bool finished = runRowBandsWith(4, 200, context, rowOf2ms, recordingStart, &watch);
        const int visitedAtReturn = [] {
            int n = 0;
            for (int32_t y = 0; y < 200; ++y) n += gRowVisits[y];
            return n;
        }();
        EXPECT_EQ(finished, when == StopWhen::Never);
        EXPECT_FALSE(log.offCaller);
        EXPECT_EQ(log.total, 200);
        for (std::size_t i = 1; i < log.rowsDone.size(); ++i) EXPECT_GE(log.rowsDone[i], log.rowsDone[i - 1]);
        // The rows reported are the rows finished: never more, and fewer only by the calls that
        // had drawn their rows but not yet counted them (one per band).
        for (std::size_t i = 0; i < log.rowsDone.size(); ++i) {
            EXPECT_LE(log.rowsDone[i], log.rowsVisited[i]) << "poll " << i;
            EXPECT_GE(log.rowsDone[i] + 4 * kRowsPerCall, log.rowsVisited[i]) << "poll " << i;
        }
        // Each band was drawn from its top, row after row, up to where it stopped.
        for (int32_t band = 0; band < 4; ++band) {
            bool ended = false;
            for (int32_t y = band * 50; y < band * 50 + 50; ++y) {
                ASSERT_LE(gRowVisits[y], ended ? 0 : 1) << "row " << y;
                if (gRowVisits[y] == 0) ended = true;
            }
        }
        if (when == StopWhen::AtStart) {
            EXPECT_TRUE(gStartedBands.empty()); // stopped before any thread existed
            EXPECT_EQ(visitedAtReturn, 0);
        } else if (when == StopWhen::OnceDrawn) {
            EXPECT_GT(visitedAtReturn, 0);
            EXPECT_LT(visitedAtReturn, 100); // stopped some 8 ms into a 100 ms frame
        } else {
            EXPECT_EQ(visitedAtReturn, 200);
            EXPECT_EQ(log.rowsDone.back(), 200); // the finished frame is reported, whole
        }
        // Nothing still runs after the return.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        int visitedLater = 0;
        for (int32_t y = 0; y < 200; ++y) visitedLater += gRowVisits[y];
        EXPECT_EQ(visitedLater, visitedAtReturn);
    }
}

} // namespace
} // namespace nebulastra
