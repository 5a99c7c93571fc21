// Several frames at once, as a host that renders on several threads calls the effect: instances
// of the effect, each driven by its own strict host on its own thread, at every depth, through
// pre-render and smart render or the plain render command, interleaved however the threads fall,
// one of them having a frame stopped half way. Every frame must equal, byte for byte, the same
// frame rendered alone, and no host may see a call from a thread that is not its command's. Under
// ThreadSanitizer this is also the check that the effect keeps no state frames could share.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"

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

std::vector<std::uint8_t> pixels(scenehost::HostWorld& w) {
    std::vector<std::uint8_t> bytes;
    for (std::int32_t y = 0; y < w.height(); ++y) {
        const std::uint8_t* row = w.firstPixelByte() + static_cast<std::ptrdiff_t>(y) * w.rowbytes();
        bytes.insert(bytes.end(), row, row + static_cast<std::size_t>(w.width()) * w.bytesPerPixel());
    }
    return bytes;
}

TEST(ConcurrentFrames, EqualTheSameFramesRenderedOneAtATime) {
    constexpr int kInstanceCount = sizeof kInstances / sizeof kInstances[0];
    std::vector<std::unique_ptr<SceneHost>> hosts;
    std::vector<std::vector<std::vector<std::uint8_t>>> alone(kInstanceCount);
    for (const Instance& instance : kInstances) {
        hosts.push_back(std::make_unique<SceneHost>(scenefile::parseScene(kScene, "concurrent")));
        SceneHost& host = *hosts.back();
        host.start();
        host.scene().render.depth = instance.depth;
        host.scene().render.command = instance.command;
    }
    for (int i = 0; i < kInstanceCount; ++i) {
        for (std::int32_t frame : kInstances[i].frames) {
            ASSERT_EQ(hosts[static_cast<std::size_t>(i)]->requestFrame(frame), 0);
            alone[static_cast<std::size_t>(i)].push_back(
                pixels(hosts[static_cast<std::size_t>(i)]->output()));
        }
    }
    // One more instance whose frames are all stopped after their first poll, while the others run.
    SceneHost stopped(scenefile::parseScene(kScene, "concurrent"));
    stopped.start();
    scenehost::Interrupt interrupt;
    interrupt.afterPolls = 2;
    stopped.setInterrupt(interrupt);

    constexpr int kRounds = 3;
    std::atomic<int> ready{0};
    std::vector<std::vector<std::vector<std::uint8_t>>> together(kInstanceCount);
    std::vector<std::vector<std::int32_t>> results(kInstanceCount + 1);
    std::vector<std::thread> threads;
    for (int i = 0; i <= kInstanceCount; ++i) {
        threads.emplace_back([&, i] {
            ++ready;
            while (ready.load() <= kInstanceCount) std::this_thread::yield(); // start together
            for (int round = 0; round < kRounds; ++round) {
                if (i == kInstanceCount) {
                    results[static_cast<std::size_t>(i)].push_back(stopped.requestFrame(round));
                    continue;
                }
                SceneHost& host = *hosts[static_cast<std::size_t>(i)];
                for (std::int32_t frame : kInstances[i].frames) {
                    results[static_cast<std::size_t>(i)].push_back(host.requestFrame(frame));
                    together[static_cast<std::size_t>(i)].push_back(pixels(host.output()));
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (int i = 0; i < kInstanceCount; ++i) {
        SCOPED_TRACE("instance " + std::to_string(i));
        const auto& frames = alone[static_cast<std::size_t>(i)];
        for (std::size_t k = 0; k < together[static_cast<std::size_t>(i)].size(); ++k) {
            EXPECT_EQ(results[static_cast<std::size_t>(i)][k], 0);
            EXPECT_TRUE(together[static_cast<std::size_t>(i)][k] == frames[k % frames.size()])
                << "frame " << kInstances[i].frames[k % frames.size()]
                << " differs from the one rendered alone";
        }
        EXPECT_TRUE(hosts[static_cast<std::size_t>(i)]->clean())
            << hosts[static_cast<std::size_t>(i)]->report();
    }
    for (std::int32_t result : results[kInstanceCount]) EXPECT_EQ(result, 517);
    EXPECT_TRUE(stopped.clean()) << stopped.report();
}

} // namespace
} // namespace nebulastra
