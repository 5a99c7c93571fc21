// Frames the host asks to stop, through the effect library as built and the strict scene host:
// the answer reaches the host unchanged, nothing is left checked out or running, and what was
// drawn before the stop is exactly what the whole frame has there. Runs under ThreadSanitizer too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using scenefile::RenderCommand;
using scenehost::Interrupt;
using scenehost::SceneHost;

constexpr std::int32_t kCancel = 517; // PF_Interrupt_CANCEL

// A tall cloud with self-shadow filling most of a width x height composition: every row costs
// something, so a stop lands between rows.
scenefile::Scene towerScene(int width, int height) {
    const std::string w = std::to_string(width), h = std::to_string(height);
    const std::string text =
        R"({"composition": {"width": )" + w + R"(, "height": )" + h +
        R"(, "frameRate": 24}, "camera": {},
      "layers": [{"name": "tower", "type": "light", "position": [)" +
        std::to_string(width / 2) + ", " + std::to_string(height * 2 / 3) + R"(, 0], "color": [1, 0.7, 0.4]}],
      "effect": {"cloudSize": )" +
        std::to_string(height / 3) + R"(, "tower": 100, "billow": 100, "selfShadow": 150, "density": 220}})";
    return scenefile::parseScene(text, "tower");
}

std::vector<std::uint8_t> rowBytes(scenehost::HostWorld& w, std::int32_t y) {
    const std::uint8_t* p = w.firstPixelByte() + static_cast<std::ptrdiff_t>(y) * w.rowbytes();
    return std::vector<std::uint8_t>(p, p + static_cast<std::size_t>(w.width()) * w.bytesPerPixel());
}

std::vector<std::vector<std::uint8_t>> allRows(scenehost::HostWorld& w) {
    std::vector<std::vector<std::uint8_t>> rows;
    for (std::int32_t y = 0; y < w.height(); ++y) rows.push_back(rowBytes(w, y));
    return rows;
}

struct Rows {
    int finished = 0, untouched = 0; // rows drawn whole, or never written
    int wrongPixels = 0;             // pixels written with something but the frame's value
};

// Each row of `w` against the whole frame, pixel by pixel: a stopped frame may leave a row part
// drawn, but every pixel it wrote must be the whole frame's.
Rows compareRows(scenehost::HostWorld& w, const std::vector<std::vector<std::uint8_t>>& whole) {
    Rows r;
    const std::size_t bytes = static_cast<std::size_t>(w.bytesPerPixel());
    for (std::int32_t y = 0; y < w.height(); ++y) {
        const std::vector<std::uint8_t> row = rowBytes(w, y);
        int drawn = 0, poison = 0;
        for (std::int32_t x = 0; x < w.width(); ++x) {
            const std::size_t at = static_cast<std::size_t>(x) * bytes;
            const bool same = std::equal(row.begin() + at, row.begin() + at + bytes, whole[y].begin() + at);
            drawn += same;
            poison += !same && w.isPoison(x, y);
            r.wrongPixels += !same && !w.isPoison(x, y);
        }
        r.finished += drawn == w.width();
        r.untouched += poison == w.width();
    }
    return r;
}

// Stopped before the first row, somewhere in the middle, and after the last: 517 comes back every
// time, every pixel is either the whole frame's or untouched, and every checkout and suite is back.
TEST(HostInterrupt, StopAtStartMiddleAndEndAtEveryDepth) {
    for (int setup = 0; setup < 6; ++setup) {
        SceneHost host(towerScene(64, 40));
        host.start();
        host.scene().render.depth = 8 << (setup % 3);
        host.scene().render.command = setup < 3 ? RenderCommand::Smart : RenderCommand::Render;
        SCOPED_TRACE(std::to_string(host.scene().render.depth) + " bits, " +
                     (setup < 3 ? "smart" : "render"));
        ASSERT_EQ(host.requestFrame(2), 0);
        ASSERT_EQ(host.output().poisonCount(), 0);
        const std::int32_t height = host.output().height();
        const std::vector<std::vector<std::uint8_t>> full = allRows(host.output());
        // Uninterrupted, the finished frame was reported once, whole.
        ASSERT_FALSE(host.progressReports().empty());
        EXPECT_EQ(host.progressReports().back().current, height);
        EXPECT_EQ(host.progressReports().back().total, height);
        EXPECT_TRUE(host.clean()) << host.report();

        Interrupt atStart;
        atStart.afterPolls = 1;
        Interrupt middle;
        middle.afterPolls = 2; // the first poll while workers run (or the last one, on a fast machine)
        Interrupt afterLastRow;
        afterLastRow.throughProgress = true;
        afterLastRow.afterRows = height; // the finished frame's progress report answers "stop"
        const Interrupt cases[] = {atStart, middle, afterLastRow};
        const char* const names[] = {"at start", "middle", "after the last row"};
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE(names[c]);
            host.clearRecords();
            host.setInterrupt(cases[c]);
            EXPECT_EQ(host.requestFrame(2), kCancel);
            const Rows rows = compareRows(host.output(), full);
            EXPECT_EQ(rows.wrongPixels, 0);
            if (c == 0) {
                EXPECT_EQ(rows.untouched, height); // no worker ever started
                EXPECT_EQ(host.abortPolls(), 1);
                EXPECT_TRUE(host.progressReports().empty());
            }
            if (c == 2) {
                EXPECT_EQ(rows.finished, height);
            }
            EXPECT_TRUE(host.stopLatency().has_value());
            EXPECT_TRUE(host.paramsBalanced());
            EXPECT_TRUE(host.clean()) << host.report();
        }
        host.setInterrupt(Interrupt{});
    }
}

// A host whose abort fails with its own error gets that error back; a host with no abort and no
// progress callback gets the whole frame.
TEST(HostInterrupt, FailingOrMissingCallbacks) {
    SceneHost host(towerScene(64, 40));
    host.start();
    host.scene().render.depth = 32;
    ASSERT_EQ(host.requestFrame(1), 0);
    const std::vector<std::vector<std::uint8_t>> full = allRows(host.output());

    Interrupt failing;
    failing.afterPolls = 1;
    failing.answer = 515; // PF_Err_INVALID_CALLBACK
    host.setInterrupt(failing);
    EXPECT_EQ(host.requestFrame(1), 515);
    EXPECT_TRUE(host.clean()) << host.report();

    Interrupt none;
    none.withoutCallbacks = true;
    none.afterPolls = 1; // would stop the frame if the effect could ask
    host.setInterrupt(none);
    EXPECT_EQ(host.requestFrame(1), 0);
    EXPECT_EQ(host.abortPolls(), 0);
    const Rows rows = compareRows(host.output(), full);
    EXPECT_EQ(rows.finished, host.output().height());
    EXPECT_TRUE(host.clean()) << host.report();
}

} // namespace
} // namespace nebulastra
