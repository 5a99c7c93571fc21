// The lean host's own commands and worlds against the strict host's: the same scene gives the same
// pixels through both, for every depth, both render commands, a camera, keyframed values, a region
// and motion blur; and the interrupt callbacks reach whoever runs the lean host.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "host/host_abi.h"
#include "leanhost/lean_host.h"
#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"
#include "tools/tool_process.h"

namespace nebulastra::tool_test {
namespace {

// The pixels of a world without its row padding, with its size and origin in front.
std::vector<std::uint8_t> pixelsOf(const PF_LayerDef& world, int depth) {
    const std::int32_t head[4] = {world.width, world.height, world.origin_x, world.origin_y};
    std::vector<std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(head),
                                    reinterpret_cast<const std::uint8_t*>(head) + sizeof head);
    const std::size_t row = static_cast<std::size_t>(world.width) * (depth == 32 ? 16 : depth == 16 ? 8 : 4);
    for (std::int32_t y = 0; y < world.height; ++y) {
        const auto* start =
            static_cast<const std::uint8_t*>(world.data) + static_cast<std::ptrdiff_t>(y) * world.rowbytes;
        bytes.insert(bytes.end(), start, start + row);
    }
    return bytes;
}

const char* kScene = R"({
  "composition": {"width": 24, "height": 16, "frameRate": 24},
  "camera": {"position": [12, 8, -40], "pointOfInterest": [12, 8, 0]},
  "layers": [
    {"name": "cloud warm", "type": "light", "position": [[{"t": 0, "v": 8}, {"t": 1, "v": 16}], 8, 0],
     "color": [1, 0.6, 0.3]},
    {"name": "key", "type": "light", "lightType": "parallel", "position": [4, 4, 10]},
    {"name": "cloud cool", "type": "light", "position": [16, 10, 5], "color": [0.3, 0.6, 1],
     "intensity": [{"t": 0, "v": 50}, {"t": 1, "v": 150}]}
  ],
  "effect": {"cloudSize": 30, "qualitySteps": 12, "evolutionSpeed": 100, "overlapBlend": "Screen",
             "sunAzimuth": [{"t": 0, "v": 0}, {"t": 1, "v": 90}]}
})";

TEST(LeanHost, RendersTheFramesTheStrictHostRenders) {
    const scenefile::Scene base = scenefile::parseScene(kScene, "scene.json");
    struct Case {
        int depth;
        scenefile::RenderCommand command;
        bool region;
        bool motionBlur = false; // and the warm light crossing at 10 pixels a frame
    };
    for (const Case c :
         {Case{8, scenefile::RenderCommand::Smart, false}, Case{16, scenefile::RenderCommand::Render, false},
          Case{32, scenefile::RenderCommand::Smart, false}, Case{32, scenefile::RenderCommand::Smart, true},
          Case{32, scenefile::RenderCommand::Smart, false, true},
          Case{8, scenefile::RenderCommand::Render, true, true}}) {
        scenefile::Scene scene = base;
        if (c.motionBlur) {
            scene.layerMotionBlur = true;
            (*scene.layers[0].position)[0].keys = {{0.0, 0.0}, {1.0, 240.0}};
        }
        scene.render.depth = c.depth;
        scene.render.command = c.command;
        scenehost::SceneHost strict(scene);
        leanhost::LeanHost lean(scene);
        strict.start();
        lean.start();
        if (c.region) {
            strict.setRequestRect(5, 3, 19, 30);
            lean.setRequestRect(5, 3, 19, 30);
        }
        for (std::int32_t frame : {0, 17}) {
            ASSERT_EQ(strict.requestFrame(frame), 0);
            ASSERT_EQ(lean.requestFrame(frame), 0);
            EXPECT_EQ(pixelsOf(lean.output(), c.depth), pixelsOf(*strict.output().world(), c.depth))
                << c.depth << "-bit frame " << frame << (c.region ? " with a region" : "")
                << (c.motionBlur ? " with motion blur" : "");
            if (c.motionBlur) { // the lean host opened the shutter too
                scenefile::Scene sharp = scene;
                sharp.layerMotionBlur = false;
                leanhost::LeanHost unblurred(sharp);
                unblurred.start();
                ASSERT_EQ(unblurred.requestFrame(frame), 0);
                EXPECT_NE(pixelsOf(unblurred.output(), c.depth), pixelsOf(lean.output(), c.depth)) << frame;
            }
        }
        EXPECT_TRUE(strict.clean()) << strict.report();
    }
}

TEST(LeanHost, ServesInterruptsToAnEffectThatPollsThem) {
    const auto effect = std::make_shared<effectlib::EffectModule>(
        (toolPath().parent_path() / "interrupting_effect.so").string());
    leanhost::LeanHost host(scenehost::SceneHost::smallScene(8, 6), effect);
    host.start();
    std::vector<std::pair<std::int32_t, std::int32_t>> reports;
    bool stop = false;
    leanhost::Interrupts interrupts;
    interrupts.stopRequested = [&] { return stop; };
    interrupts.progress = [&](std::int32_t current, std::int32_t total) {
        reports.emplace_back(current, total);
        if (current == 3) stop = true;
    };
    host.setInterrupts(interrupts);
    EXPECT_EQ(host.requestFrame(0), PF_Interrupt_CANCEL);
    EXPECT_EQ(reports, (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 6}, {2, 6}, {3, 6}}));
}

} // namespace
} // namespace nebulastra::tool_test

#endif
