// Parts of the layer, as a host asks for them with a region of interest, a layer partly outside
// the composition or a mask: through the scene host and the effect library, every region's
// pixels must be, bit for bit, the pixels of the whole-layer render at the same place. A wrong
// mapping (the region squeezed into the world, an origin ignored, added twice or on the wrong
// axis, the rays spanning the world instead of the layer) moves or rescales the picture and
// shows here.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "scenehost/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using scenehost::ArgbF;
using scenehost::HostWorld;
using scenehost::SceneHost;

struct Rect {
    int32_t left, top, right, bottom;
};

// Two clouds off the centre, so the picture has no symmetry a mirrored or shifted region could
// match; few steps and octaves to keep the many small renders cheap.
scenehost::Scene cloudScene(int32_t width, int32_t height, bool camera) {
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);
    std::string json = R"({"composition": {"width": )" + w + R"(, "height": )" + h + R"(, "frameRate": 24},)";
    if (camera) json += R"("camera": {},)";
    json += R"("layers": [
        {"name": "a", "type": "light", "position": [)" +
            std::to_string(width * 0.4) + ", " + std::to_string(height * 0.45) +
            R"(, 0], "color": [1, 0.7, 0.4]},
        {"name": "b", "type": "light", "position": [)" +
            std::to_string(width * 0.7) + ", " + std::to_string(height * 0.6) +
            R"(, 5], "color": [0.4, 0.6, 1], "intensity": 70}],
      "effect": {"cloudSize": 45, "qualitySteps": 16, "billowDetail": 1, "textureStrength": 0, "selfShadow": 0, "domainWarp": 0}})";
    return scenehost::parseScene(json, "region scene");
}

// Every pixel of the world as the host reads it back (any depth), row by row.
std::vector<ArgbF> pixelsOf(const HostWorld& world) {
    std::vector<ArgbF> pixels;
    for (int32_t y = 0; y < world.height(); ++y)
        for (int32_t x = 0; x < world.width(); ++x) pixels.push_back(world.pixel(x, y));
    return pixels;
}

bool samePixel(const ArgbF& a, const ArgbF& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The frame rendered whole, then each region: every region pixel equals the whole frame's pixel
// at the world's origin plus its own position, and every world pixel is written, nothing beyond.
void checkRegions(SceneHost& host, const std::vector<Rect>& requests, const std::string& what) {
    const int32_t width = host.frameWidth();
    const int32_t height = host.frameHeight();
    host.clearRequestRect();
    ASSERT_EQ(host.requestFrame(1), 0) << what;
    ASSERT_EQ(host.output().width(), width) << what;
    ASSERT_EQ(host.output().height(), height) << what;
    EXPECT_EQ(host.output().originX(), 0) << what;
    const std::vector<ArgbF> whole = pixelsOf(host.output());
    int covered = 0;
    for (const ArgbF& p : whole) covered += p.alpha > 0.2f ? 1 : 0;
    ASSERT_GT(covered, width * height / 5) << what << ": the clouds should cover much of the frame";

    for (const Rect& r : requests) {
        const std::string label = what + ", request " + std::to_string(r.left) + "," + std::to_string(r.top) +
                                  " - " + std::to_string(r.right) + "," + std::to_string(r.bottom);
        host.setRequestRect(r.left, r.top, r.right, r.bottom);
        ASSERT_EQ(host.requestFrame(1), 0) << label;
        const HostWorld& out = host.output();
        // The world is the request cut to the layer.
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
        EXPECT_EQ(out.poisonCount(), 0) << label;
        for (int32_t y = 0; y < out.height(); ++y) {
            for (int32_t x = 0; x < out.width(); ++x) {
                const ArgbF& want = whole[(out.originY() + y) * width + out.originX() + x];
                ASSERT_TRUE(samePixel(out.pixel(x, y), want)) << label << ": world pixel " << x << "," << y;
            }
        }
        EXPECT_TRUE(host.clean()) << label << '\n' << host.report();
    }
}

// Quadrants (meeting at a point that is not the centre for odd sizes), one pixel, a region over
// the bottom-left and one over the top-right edge, and requests that miss the layer.
std::vector<Rect> regionsOf(int32_t w, int32_t h) {
    const int32_t mx = w / 2, my = h / 2;
    return {{0, 0, mx, my},
            {mx, 0, w, my},
            {0, my, mx, h},
            {mx, my, w, h},
            {w - 2, my, w - 1, my + 1},
            {-3, h - 4, 5, h + 6},
            {w - 5, -2, w + 3, 3},
            {w, 0, w + 4, h},
            {2, -6, 9, 0}};
}

TEST(RegionRender, EveryRegionMatchesTheWholeLayerBitForBit) {
    for (bool camera : {true, false}) {
        for (auto [layerWidth, layerHeight] : {std::pair{24, 16}, std::pair{25, 17}}) {
            for (int downsample : {1, 2, 3}) {
                scenehost::Scene s = cloudScene(layerWidth, layerHeight, camera);
                s.render.downsample = downsample;
                s.render.depth = 32; // float: one ulp of a misplaced ray shows
                SceneHost host(s);
                host.start();
                const std::string what = std::string(camera ? "camera" : "no camera") + ", layer " +
                                         std::to_string(layerWidth) + "x" + std::to_string(layerHeight) +
                                         ", downsample 1/" + std::to_string(downsample);
                checkRegions(host, regionsOf(host.frameWidth(), host.frameHeight()), what);
            }
        }
    }
}

// Each depth has its own row worker, and each must place the region.
TEST(RegionRender, IntegerDepthsPlaceRegionsToo) {
    for (int depth : {8, 16}) {
        scenehost::Scene s = cloudScene(25, 17, depth == 16);
        s.render.downsample = 3;
        s.render.depth = depth;
        SceneHost host(s);
        host.start();
        const int32_t w = host.frameWidth(), h = host.frameHeight();
        checkRegions(host,
                     {{0, 0, w / 2, h / 2}, {w / 2, 0, w, h / 2}, {0, h / 2, w / 2, h}, {w / 2, h / 2, w, h}},
                     std::to_string(depth) + " bits, downsample 1/3");
    }
}

// A host may hand out a buffer larger than the result, reaching past the layer on every side:
// the pixels over the layer are still the whole render's, and every pixel is written.
TEST(RegionRender, AWorldReachingPastTheLayerIsFilledAndPlaced) {
    for (bool camera : {true, false}) {
        scenehost::Scene s = cloudScene(25, 17, camera);
        s.render.downsample = 2;
        s.render.depth = 32;
        SceneHost host(s);
        host.start();
        const int32_t w = host.frameWidth(), h = host.frameHeight();
        ASSERT_EQ(host.requestFrame(0), 0);
        const std::vector<ArgbF> whole = pixelsOf(host.output());

        host.setOutputRect(-3, -2, w + 4, h + 1);
        ASSERT_EQ(host.requestFrame(0), 0);
        const HostWorld& out = host.output();
        ASSERT_EQ(out.originX(), -3);
        ASSERT_EQ(out.originY(), -2);
        ASSERT_EQ(out.width(), w + 7);
        EXPECT_EQ(out.poisonCount(), 0);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                ASSERT_TRUE(samePixel(out.pixel(x + 3, y + 2), whole[y * w + x])) << x << "," << y;
        EXPECT_TRUE(host.clean()) << host.report();
    }
}

} // namespace
} // namespace nebulastra
