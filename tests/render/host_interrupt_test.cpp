// Frames the host asks to stop, through the effect library as built and the strict scene host:
// the answer reaches the host unchanged, nothing is left checked out or running, a frame stopped
// before its first row is untouched and one stopped after its last is whole. Runs under
// ThreadSanitizer too. (Stops mid-frame reach the workers in the row runner's watch test.)

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"
#include "scenehost/world_pixels.h"

namespace nebulastra {
namespace {

using scenefile::RenderCommand;
using scenehost::Interrupt;
using scenehost::SceneHost;

constexpr std::int32_t kCancel = 517; // PF_Interrupt_CANCEL

// A tall cloud with self-shadow filling most of a 64 x 40 composition, so every row costs something.
scenefile::Scene towerScene() {
    return scenefile::parseScene(
        R"({"composition": {"width": 64, "height": 40, "frameRate": 24}, "camera": {},
      "layers": [{"name": "tower", "type": "light", "position": [32, 26, 0], "color": [1, 0.7, 0.4]}],
      "effect": {"cloudSize": 13, "tower": 100, "billow": 100, "selfShadow": 150, "density": 220}})",
        "tower");
}

// Stopped through abort before the first row, and through progress after the last: 517 comes back,
// the frame is untouched or whole, and every checkout and suite is back, at every depth and
// through both render commands.
TEST(HostInterrupt, StopBeforeTheFirstRowAndAfterTheLastAtEveryDepth) {
    for (int setup = 0; setup < 6; ++setup) {
        SceneHost host(towerScene());
        host.start();
        host.scene().render.depth = 8 << (setup % 3);
        host.scene().render.command = setup < 3 ? RenderCommand::Smart : RenderCommand::Render;
        SCOPED_TRACE(std::to_string(host.scene().render.depth) + " bits, " +
                     (setup < 3 ? "smart" : "render"));
        ASSERT_EQ(host.requestFrame(2), 0);
        const std::vector<scenehost::ArgbF> whole = testing::pixelsOf(host.output());
        const std::int32_t height = host.output().height();
        // Uninterrupted, the finished frame was reported once, whole.
        ASSERT_FALSE(host.progressReports().empty());
        EXPECT_EQ(host.progressReports().back().current, height);
        EXPECT_EQ(host.progressReports().back().total, height);

        Interrupt atStart;
        atStart.afterPolls = 1;
        host.clearRecords();
        host.setInterrupt(atStart);
        EXPECT_EQ(host.requestFrame(2), kCancel);
        EXPECT_EQ(host.output().poisonCount(), int64_t{height} * host.output().width()); // no worker started
        EXPECT_EQ(host.abortPolls(), 1);
        EXPECT_TRUE(host.progressReports().empty());
        EXPECT_TRUE(host.clean()) << host.report();

        Interrupt afterLastRow;
        afterLastRow.throughProgress = true;
        afterLastRow.afterRows = height; // the finished frame's progress report answers "stop"
        host.clearRecords();
        host.setInterrupt(afterLastRow);
        EXPECT_EQ(host.requestFrame(2), kCancel);
        EXPECT_TRUE(testing::identical(testing::pixelsOf(host.output()), whole));
        EXPECT_TRUE(host.paramsBalanced());
        EXPECT_TRUE(host.clean()) << host.report();
    }
}

// A host whose abort fails with its own error gets that error back; a host with no abort and no
// progress callback gets the whole frame.
TEST(HostInterrupt, FailingOrMissingCallbacks) {
    SceneHost host(towerScene());
    host.start();
    host.scene().render.depth = 32;
    ASSERT_EQ(host.requestFrame(1), 0);
    const std::vector<scenehost::ArgbF> whole = testing::pixelsOf(host.output());

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
    EXPECT_TRUE(testing::identical(testing::pixelsOf(host.output()), whole));
    EXPECT_TRUE(host.clean()) << host.report();
}

} // namespace
} // namespace nebulastra
