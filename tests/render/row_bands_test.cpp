// The row runner: how many workers a frame gets, that they share its rows in groups and then in
// shorter calls for the frame's last rows, and how a stop, a progress report and a failed thread
// start reach them. The doubles wait for events (a row drawn, the stop flag raised), never for
// time to pass; a wait's limit only keeps a broken runner from hanging the test.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "render/row_bands.h"

namespace nebulastra {
namespace {

TEST(RowPlan, AsManyWorkersAsHardwareThreadsUpToTheGroupsOfRows) {
    struct Case {
        int32_t threads, height, workers, groups;
    };
    const Case cases[] = {
        {64, 1080, 64, 270},   // no cap at 16
        {256, 1080, 256, 270}, // up to the sane bound...
        {257, 1080, 256, 270},
        {100000, 4000, 256, 1000}, // ...and not beyond
        {200, 600, 150, 150},      // one group each at most
        {-5, 1080, 1, 270},        // at least one worker
        {0, 1080, 4, 270},         // unknown: taken as 4
        {16, 17, 5, 5},
        {2, 17, 2, 5},
        {16, 4, 1, 1},
        {16, 0, 0, 0},
        {16, -3, 0, 0},
        {64, std::numeric_limits<int32_t>::max(), 64, 536870912}, // the last group's 3 rows count
    };
    for (const Case& c : cases) {
        const RowPlan plan = planRows(c.threads, c.height);
        EXPECT_EQ(plan.workers, c.workers) << c.threads << " threads, " << c.height << " rows";
        EXPECT_EQ(plan.groups, c.groups) << c.threads << " threads, " << c.height << " rows";
    }
}

// The calls one worker after another would make through a frame of `height` rows shared by
// `workers`: each call's first row and row count.
std::vector<std::pair<int32_t, int32_t>> callsInTurn(int32_t height, int32_t workers) {
    std::vector<std::pair<int32_t, int32_t>> calls;
    for (int32_t first = 0; first < height;) {
        const int32_t rows = rowsForNextCall(height - first, workers);
        calls.emplace_back(first, rows);
        first += rows;
    }
    return calls;
}

TEST(RowsForNextCall, GroupsWhileEveryWorkerHasOneLeftThenPairsThenSingleRows) {
    // Worked by hand: 270 rows, 32 workers. Groups while 128 rows or more are left (rows 0 to
    // 143), pairs while 32 or more are (144 to 239), then single rows (240 to 269).
    const auto calls = callsInTurn(270, 32);
    ASSERT_EQ(calls.size(), 36u + 48u + 30u);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const int32_t expected = i < 36 ? 4 : i < 36 + 48 ? 2 : 1;
        EXPECT_EQ(calls[i].second, expected) << "call " << i << " at row " << calls[i].first;
    }
    // One worker: whole groups, and the frame's last rows split as the sizes allow.
    EXPECT_EQ(callsInTurn(10, 1), (std::vector<std::pair<int32_t, int32_t>>{{0, 4}, {4, 4}, {8, 2}}));
    EXPECT_EQ(callsInTurn(11, 1),
              (std::vector<std::pair<int32_t, int32_t>>{{0, 4}, {4, 4}, {8, 2}, {10, 1}}));
    EXPECT_EQ(callsInTurn(1, 16), (std::vector<std::pair<int32_t, int32_t>>{{0, 1}}));
}

// Test doubles are plain functions (the thread seam takes function pointers), so their state is
// file-level and reset by each test.
constexpr int32_t kMostRows = 1100;
std::atomic<int> gRowVisits[kMostRows];
std::atomic<int> gRowsVisited{0};
std::atomic<int> gCallsOnCaller{0};
std::vector<std::pair<int32_t, int32_t>> gCalls; // first row and row count of each call (gThreadsMutex)
std::atomic<int> gLiveThreads{0};                // started by the double's starter and not yet ended
std::thread::id gCaller;
int32_t gHeight = 0;
int gStarts = 0;
int gFailStartAt = -1; // the start that throws, counted from 0; -1: none
std::mutex gThreadsMutex;
std::set<std::thread::id> gDrawingThreads;

// Events between the doubles and the test: a drawn row is announced on a condition variable; the
// runner raises its stop flag without a word, so the wait also looks at it every millisecond.
std::mutex gEventMutex;
std::condition_variable gEvent;

std::atomic<bool> gGaveUp{false}; // one wait ran out: a broken runner, the rest of the test fails fast

template <class Done>
bool waitFor(Done done) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::unique_lock<std::mutex> lock(gEventMutex);
    while (!done()) {
        if (gGaveUp || std::chrono::steady_clock::now() > limit) {
            gGaveUp = true;
            return false;
        }
        gEvent.wait_for(lock, std::chrono::milliseconds(1));
    }
    return true;
}

void announce() {
    { const std::lock_guard<std::mutex> lock(gEventMutex); }
    gEvent.notify_all();
}

void resetDoubles(int32_t height) {
    ASSERT_LE(height, kMostRows);
    for (auto& visits : gRowVisits) visits = 0;
    gRowsVisited = 0;
    gCallsOnCaller = 0;
    gCalls.clear();
    gLiveThreads = 0;
    gCaller = std::this_thread::get_id();
    gHeight = height;
    gStarts = 0;
    gFailStartAt = -1;
    gDrawingThreads.clear();
    gGaveUp = false;
}

void drawRows(const RowBand& band) {
    if (std::this_thread::get_id() == gCaller) ++gCallsOnCaller;
    {
        const std::lock_guard<std::mutex> lock(gThreadsMutex);
        gDrawingThreads.insert(std::this_thread::get_id());
        gCalls.emplace_back(band.firstRow, band.endRow - band.firstRow);
    }
    for (int32_t y = band.firstRow; y < band.endRow; ++y) ++gRowVisits[y];
    gRowsVisited += band.endRow - band.firstRow;
    announce();
}

int32_t rowsVisited() { return gRowsVisited.load(); }

bool stopRaised(const RowBand& band) {
    return band.context.stop != nullptr && band.context.stop->load(std::memory_order_relaxed);
}

std::thread countingStart(int32_t index, std::function<void()> work) {
    EXPECT_EQ(index, gStarts) << "workers are numbered in start order";
    if (gStarts == gFailStartAt) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    ++gStarts;
    ++gLiveThreads;
    return std::thread([work = std::move(work)] {
        work();
        --gLiveThreads;
    });
}

// The calls of a run, top to bottom: whichever thread made them, the counter hands out the same
// calls as one worker after another would.
void expectCallsInTurn(int32_t height, int32_t workers) {
    std::vector<std::pair<int32_t, int32_t>> calls = gCalls;
    std::sort(calls.begin(), calls.end());
    EXPECT_EQ(calls, callsInTurn(height, workers)) << height << " rows, " << workers << " workers";
}

// Every call waits until each worker has entered one, or until every row has been handed out,
// so that all workers return at once and take their next rows together, round after round,
// through the switches from groups to pairs to single rows. However the compare-exchanges
// interleave, the calls must come out as one worker after another would make them: a worker that
// drew rows sized from a count another worker had already moved would show as a call too long,
// a row drawn twice or a row left out.
std::atomic<int32_t> gEntered{0};
std::atomic<int32_t> gRowsHandedOut{0};
int32_t gWorkers = 0;

void drawInRounds(const RowBand& band) {
    gRowsHandedOut += band.endRow - band.firstRow;
    const int32_t round = gEntered++ / gWorkers;
    announce();
    EXPECT_TRUE(waitFor([&] {
        return gRowsHandedOut.load() == gHeight || gEntered.load() >= (round + 1) * gWorkers;
    })) << "round "
        << round << " never filled";
    drawRows(band);
}

TEST(RunRowBands, WorkersRacingForTheCounterAtEverySwitchShareEveryRowOnce) {
    for (int32_t threads : {1, 4, 8, 16}) {
        for (int32_t height : {4 * threads * 3 + 1, 4 * threads * 2, 4 * threads - 2, threads + 1}) {
            resetDoubles(height);
            gEntered = 0;
            gRowsHandedOut = 0;
            gWorkers = planRows(threads, height).workers;
            const FrameContext context{};
            EXPECT_TRUE(runRowBandsWith(threads, height, context, drawInRounds, countingStart));
            for (int32_t y = 0; y < height; ++y) ASSERT_EQ(gRowVisits[y], 1) << "row " << y;
            expectCallsInTurn(height, gWorkers);
            // On the planned threads only, never on the caller's, all of them ended.
            EXPECT_EQ(gStarts, gWorkers);
            EXPECT_LE(static_cast<int>(gDrawingThreads.size()), gWorkers);
            EXPECT_EQ(gCallsOnCaller, 0);
            EXPECT_EQ(gLiveThreads, 0) << "a worker outlived the call";
        }
    }
}

// Every started worker draws its first group, then waits for the stop that the failed start must
// bring before the failure leaves the runner.
void drawThenAwaitStop(const RowBand& band) {
    drawRows(band);
    EXPECT_TRUE(waitFor([&] { return stopRaised(band); })) << "the running workers were never stopped";
}

TEST(RunRowBands, FailedStartStopsAndJoinsTheRunningWorkersThenRethrows) {
    for (int failAt : {0, 1, 3}) {
        resetDoubles(80);
        gFailStartAt = failAt;
        const FrameContext context{};
        try {
            runRowBandsWith(8, 80, context, drawThenAwaitStop, countingStart);
            ADD_FAILURE() << "the start failure was swallowed";
        } catch (const std::system_error& error) {
            EXPECT_EQ(error.code(), std::errc::resource_unavailable_try_again);
        }
        EXPECT_EQ(gStarts, failAt);
        EXPECT_EQ(gLiveThreads, 0) << "a started worker was still running when the failure surfaced";
        // Each started worker drew at most the one group it held when the stop came (one that had
        // not yet taken a group may have seen the stop first).
        EXPECT_LE(rowsVisited(), failAt * kRowsPerCall);
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
    std::vector<int32_t> rowsVisited; // rows drawn by the end of each poll
    int32_t total = -1;
};

bool watchPoll(void* context, int32_t rowsDone, int32_t rowsTotal) noexcept {
    WatchLog& log = *static_cast<WatchLog*>(context);
    if (std::this_thread::get_id() != gCaller) log.offCaller = true;
    log.rowsDone.push_back(rowsDone);
    const int32_t visited = rowsVisited();
    log.rowsVisited.push_back(visited);
    log.total = rowsTotal;
    ++log.calls;
    return (log.when == StopWhen::AtStart && log.calls == 1) ||
           (log.when == StopWhen::OnceDrawn && visited > 0);
}

StopWhen gHoldUntilStop = StopWhen::Never;

// Draws its rows; in the OnceDrawn case it then holds its worker until the watch has stopped the
// frame, so the stop lands mid-frame however fast or slow the machine is.
void drawWatched(const RowBand& band) {
    drawRows(band);
    if (gHoldUntilStop == StopWhen::OnceDrawn) {
        EXPECT_TRUE(waitFor([&] { return stopRaised(band); })) << "the watch's stop never came";
    }
}

TEST(RunRowBands, WatchSeesRowsFinishedAndStopsEveryWorkerAtItsNextGroup) {
    constexpr int32_t kRows = 200;
    constexpr int32_t kThreads = 4;
    for (StopWhen when : {StopWhen::AtStart, StopWhen::OnceDrawn, StopWhen::Never}) {
        resetDoubles(kRows);
        gHoldUntilStop = when;
        WatchLog log;
        log.when = when;
        const RenderWatch watch{&watchPoll, &log, 1};
        const FrameContext context{};
        const bool finished = runRowBandsWith(kThreads, kRows, context, drawWatched, countingStart, &watch);
        const int32_t visitedAtReturn = rowsVisited();
        EXPECT_EQ(gLiveThreads, 0) << "a worker outlived the call";
        EXPECT_EQ(finished, when == StopWhen::Never);
        EXPECT_FALSE(log.offCaller);
        EXPECT_EQ(log.total, kRows);
        for (std::size_t i = 1; i < log.rowsDone.size(); ++i) EXPECT_GE(log.rowsDone[i], log.rowsDone[i - 1]);
        // The rows reported are the rows finished: never more than drawn, and fewer only by the
        // calls that had drawn their rows but not yet returned (one per worker).
        for (std::size_t i = 0; i < log.rowsDone.size(); ++i) {
            EXPECT_LE(log.rowsDone[i], log.rowsVisited[i]) << "poll " << i;
            EXPECT_GE(log.rowsDone[i] + kThreads * kRowsPerCall, log.rowsVisited[i]) << "poll " << i;
        }
        for (int32_t y = 0; y < kRows; ++y) ASSERT_LE(gRowVisits[y], 1) << "row " << y;
        if (when == StopWhen::AtStart) {
            EXPECT_EQ(gStarts, 0); // stopped before any thread existed
            EXPECT_EQ(visitedAtReturn, 0);
        } else if (when == StopWhen::OnceDrawn) {
            // Each worker was held in its first call until the stop; none took another group.
            EXPECT_GT(visitedAtReturn, 0);
            EXPECT_LE(visitedAtReturn, kThreads * kRowsPerCall);
        } else {
            EXPECT_EQ(visitedAtReturn, kRows);
            EXPECT_EQ(log.rowsDone.back(), kRows); // the finished frame is reported, whole
        }
    }
    gHoldUntilStop = StopWhen::Never;
}

// One worker and three groups (4, 4 and 2 rows): each call waits until a poll has reported every
// row drawn before it, so the reports must step through 0, 4 and 8 rows before the last, 10.
std::atomic<int32_t> gLastReported{-1};

bool reportingPoll(void*, int32_t rowsDone, int32_t) noexcept {
    gLastReported = rowsDone;
    announce();
    return false;
}

void drawOnceReported(const RowBand& band) {
    EXPECT_TRUE(waitFor([] { return gLastReported.load() == rowsVisited(); }))
        << "rows finished were never reported: " << gLastReported.load() << " of " << rowsVisited();
    drawRows(band);
}

TEST(RunRowBands, ProgressCountsTheRowsOfEveryReturnedCall) {
    resetDoubles(10);
    gLastReported = -1;
    const RenderWatch watch{&reportingPoll, nullptr, 1};
    const FrameContext context{};
    EXPECT_TRUE(runRowBandsWith(1, 10, context, drawOnceReported, countingStart, &watch));
    EXPECT_EQ(gLastReported, 10);
    EXPECT_EQ(rowsVisited(), 10);
}

} // namespace
} // namespace nebulastra
