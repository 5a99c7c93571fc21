// Parts of the layer, as a host asks for them (region of interest, layer partly outside the comp,
// mask): each region's pixels must be, bit for bit, the whole-layer render's at the same place,
// or a wrong mapping (origin ignored, doubled or on the wrong axis, rays spanning the world
// instead of the layer) shows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_abi.h"
#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"
#include "scenehost/world_pixels.h"

namespace nebulastra {
namespace {

using scenehost::ArgbF;
using scenehost::HostWorld;
using scenehost::SceneHost;

using Rect = PF_LRect;

// Two clouds off the centre, so no mirrored or shifted region can match; cheap to render.
scenefile::Scene cloudScene(int32_t width, int32_t height, bool camera, int downsample, int depth) {
    auto at = [&](double x, double y) {
        return std::to_string(width * x) + ", " + std::to_string(height * y);
    };
    scenefile::Scene s = scenefile::parseScene(
        R"({"composition": {"width": )" + std::to_string(width) + R"(, "height": )" + std::to_string(height) +
            R"(, "frameRate": 24},)" + (camera ? R"("camera": {},)" : "") + R"("layers": [
        {"name": "a", "type": "light", "position": [)" +
            at(0.4, 0.45) + R"(, 0], "color": [1, 0.7, 0.4]},
        {"name": "b", "type": "light", "position": [)" +
            at(0.7, 0.6) + R"(, 5], "color": [0.4, 0.6, 1], "intensity": 70}],
      "effect": {"cloudSize": 45, "qualitySteps": 16, "billowDetail": 1, "textureStrength": 0, "selfShadow": 0, "domainWarp": 0}})",
        "region scene");
    s.render.downsample = downsample;
    s.render.depth = depth;
    return s;
}

// Every pixel of the world is written, and each one over the layer is the whole frame's pixel at
// the world's origin plus its own position.
void expectPlaced(SceneHost& host, const std::vector<ArgbF>& whole, const std::string& label) {
    const HostWorld& out = host.output();
    EXPECT_EQ(out.poisonCount(), 0) << label;
    for (int32_t y = 0; y < out.height(); ++y) {
        for (int32_t x = 0; x < out.width(); ++x) {
            const int32_t lx = out.originX() + x, ly = out.originY() + y;
            if (lx < 0 || ly < 0 || lx >= host.frameWidth() || ly >= host.frameHeight()) continue;
            const ArgbF got = out.pixel(x, y), want = whole[ly * host.frameWidth() + lx];
            ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << label << ": world pixel " << x << "," << y;
        }
    }
    EXPECT_TRUE(host.clean()) << label << '\n' << host.report();
}

// The frame rendered whole, then each region (the world must be the request cut to the layer),
// then into a buffer a host hands out reaching past the layer on every side.
void checkRegions(SceneHost& host, const std::vector<Rect>& requests, const std::string& what) {
    const int32_t width = host.frameWidth();
    const int32_t height = host.frameHeight();
    ASSERT_EQ(host.requestFrame(1), 0) << what;
    ASSERT_EQ(host.output().width(), width) << what;
    ASSERT_EQ(host.output().height(), height) << what;
    EXPECT_EQ(host.output().originX(), 0) << what;
    const std::vector<ArgbF> whole = testing::pixelsOf(host.output());
    int covered = 0;
    for (const ArgbF& p : whole) covered += p.alpha > 0.2f ? 1 : 0;
    ASSERT_GT(covered, width * height / 5) << what << ": the clouds should cover much of the frame";

    for (const Rect& r : requests) {
        const std::string label = what + ", request " + std::to_string(r.left) + "," + std::to_string(r.top) +
                                  " - " + std::to_string(r.right) + "," + std::to_string(r.bottom);
        host.setRequestRect(r.left, r.top, r.right, r.bottom);
        ASSERT_EQ(host.requestFrame(1), 0) << label;
        const HostWorld& out = host.output();
        const int32_t left = std::max(r.left, 0), top = std::max(r.top, 0);
        const int32_t right = std::min(r.right, width), bottom = std::min(r.bottom, height);
        if (left >= right || top >= bottom) {
            EXPECT_EQ(int64_t{out.width()} * out.height(), 0) << label;
        } else {
            ASSERT_EQ(out.originX(), left) << label;
            ASSERT_EQ(out.originY(), top) << label;
            ASSERT_EQ(out.width(), right - left) << label;
            ASSERT_EQ(out.height(), bottom - top) << label;
        }
        expectPlaced(host, whole, label);
    }
    host.clearRequestRect();
    host.setOutputRect(-3, -2, width + 4, height + 1);
    ASSERT_EQ(host.requestFrame(1), 0) << what;
    ASSERT_EQ(host.output().originX(), -3);
    ASSERT_EQ(host.output().originY(), -2);
    ASSERT_EQ(host.output().width(), width + 7);
    expectPlaced(host, whole, what + ", world past the layer");
}

// Quadrants (meeting at a point that is not the centre for odd sizes), one pixel, a region over
// the bottom-left and one over the top-right edge, and requests that miss the layer.
std::vector<Rect> regionsOf(int32_t w, int32_t h) {
    const int32_t mx = w / 2, my = h / 2;
    // clang-format off
    return {{0, 0, mx, my}, {mx, 0, w, my}, {0, my, mx, h}, {mx, my, w, h}, {w - 2, my, w - 1, my + 1},
            {-3, h - 4, 5, h + 6}, {w - 5, -2, w + 3, 3}, {w, 0, w + 4, h}, {2, -6, 9, 0}};
    // clang-format on
}

// Float frames show one ulp of a misplaced ray; each integer depth has its own row worker.
TEST(RegionRender, EveryRegionMatchesTheWholeLayerBitForBit) {
    struct Config {
        bool camera;
        int32_t width, height;
        int downsample, depth;
    };
    std::vector<Config> configs = {{false, 25, 17, 3, 8}, {true, 25, 17, 3, 16}};
    for (bool camera : {true, false})
        for (auto [width, height] : {std::pair{24, 16}, std::pair{25, 17}})
            for (int downsample : {1, 2, 3}) configs.push_back({camera, width, height, downsample, 32});
    for (const Config& c : configs) {
        SceneHost host(cloudScene(c.width, c.height, c.camera, c.downsample, c.depth));
        host.start();
        checkRegions(host, regionsOf(host.frameWidth(), host.frameHeight()),
                     std::string(c.camera ? "camera" : "no camera") + ", " + std::to_string(c.width) + "x" +
                         std::to_string(c.height) + " at 1/" + std::to_string(c.downsample) + ", " +
                         std::to_string(c.depth) + " bits");
    }
}

} // namespace
} // namespace nebulastra
