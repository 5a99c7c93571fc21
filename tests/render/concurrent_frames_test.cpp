// Several frames at once, as a host rendering on several threads calls the effect: instances, each
// driven by its own strict host on its own thread, at every depth and through both render commands,
// one having a frame stopped half way. Every frame must equal the same frame rendered alone; under
// ThreadSanitizer this also checks that the effect keeps no state frames could share.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"
#include "scenehost/world_pixels.h"

namespace nebulastra {
namespace {

using scenefile::RenderCommand;
using scenehost::SceneHost;

// Two lights, a camera, self-shadow and evolution (frames differ from one another).
const char* kScene = R"({
  "composition": {"width": 40, "height": 26, "frameRate": 24}, "camera": {},
  "layers": [
    {"name": "cloud a", "type": "light", "position": [14, 15, 0], "color": [1, 0.5, 0.3]},
    {"name": "cloud b", "type": "light", "lightType": "spot", "position": [27, 12, 5], "color": [0.3, 0.6, 1]}],
  "effect": {"cloudSize": 24, "density": 180, "selfShadow": 120, "overlapBlend": "Add",
             "evolutionSpeed": 40, "billowDetail": 3}
})";

struct Instance {
    int depth;
    RenderCommand command;
    std::vector<std::int32_t> frames;
};

const Instance kInstances[] = {{8, RenderCommand::Smart, {0, 5}},
                               {16, RenderCommand::Render, {3, 0}},
                               {32, RenderCommand::Smart, {7, 2}},
                               {32, RenderCommand::Render, {1, 6}}};

TEST(ConcurrentFrames, EqualTheSameFramesRenderedOneAtATime) {
    constexpr std::size_t kCount = sizeof kInstances / sizeof kInstances[0];
    std::vector<std::unique_ptr<SceneHost>> hosts;
    std::vector<std::vector<std::vector<scenehost::ArgbF>>> alone(kCount), together(kCount);
    for (const Instance& instance : kInstances) {
        hosts.push_back(std::make_unique<SceneHost>(scenefile::parseScene(kScene, "concurrent")));
        SceneHost& host = *hosts.back();
        host.start();
        host.scene().render.depth = instance.depth;
        host.scene().render.command = instance.command;
        for (std::int32_t frame : instance.frames) {
            EXPECT_EQ(host.requestFrame(frame), 0);
            alone[hosts.size() - 1].push_back(testing::pixelsOf(host.output()));
        }
    }
    // One more instance whose frames are all stopped after their first poll, while the others run.
    SceneHost stopped(scenefile::parseScene(kScene, "concurrent"));
    stopped.start();
    scenehost::Interrupt interrupt;
    interrupt.afterPolls = 2;
    stopped.setInterrupt(interrupt);

    constexpr int kRounds = 3;
    std::atomic<std::size_t> ready{0};
    std::vector<std::vector<std::int32_t>> results(kCount + 1);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i <= kCount; ++i) {
        threads.emplace_back([&, i] {
            ++ready;
            while (ready.load() <= kCount) std::this_thread::yield(); // start together
            for (int round = 0; round < kRounds; ++round) {
                if (i == kCount) {
                    results[i].push_back(stopped.requestFrame(round));
                    continue;
                }
                for (std::int32_t frame : kInstances[i].frames) {
                    results[i].push_back(hosts[i]->requestFrame(frame));
                    together[i].push_back(testing::pixelsOf(hosts[i]->output()));
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (std::size_t i = 0; i < kCount; ++i) {
        SCOPED_TRACE("instance " + std::to_string(i));
        for (std::size_t k = 0; k < together[i].size(); ++k) {
            EXPECT_EQ(results[i][k], 0);
            EXPECT_TRUE(testing::identical(together[i][k], alone[i][k % alone[i].size()]))
                << "frame " << kInstances[i].frames[k % alone[i].size()]
                << " differs from the one rendered alone";
        }
        EXPECT_TRUE(hosts[i]->clean()) << hosts[i]->report();
    }
    for (std::int32_t result : results[kCount]) EXPECT_EQ(result, 517);
    EXPECT_TRUE(stopped.clean()) << stopped.report();
}

} // namespace
} // namespace nebulastra
