// Host paths end to end, through the scene host and the effect library as built, that the
// smaller tests cannot see: the legacy PF_Cmd_RENDER drawing real clouds from the host's params
// array, the "Emitters" option from global setup's plug-in ID to the name filter in a render,
// and consecutive frames of one host. Each frame is checked to be written whole and nowhere
// outside the output world's own rows and columns (poison, padding and guards).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "scenehost/effect_module.h"
#include "scenehost/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using scenehost::ArgbF;
using scenehost::HostWorld;
using scenehost::SceneHost;

std::vector<ArgbF> pixelsOf(const HostWorld& world) {
    std::vector<ArgbF> pixels;
    for (int32_t y = 0; y < world.height(); ++y)
        for (int32_t x = 0; x < world.width(); ++x) pixels.push_back(world.pixel(x, y));
    return pixels;
}

bool identical(const std::vector<ArgbF>& a, const std::vector<ArgbF>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(ArgbF)) == 0;
}

// Mean absolute difference over all four channels.
double meanDifference(const std::vector<ArgbF>& a, const std::vector<ArgbF>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        sum += std::fabs(a[i].alpha - b[i].alpha) + std::fabs(a[i].red - b[i].red) +
               std::fabs(a[i].green - b[i].green) + std::fabs(a[i].blue - b[i].blue);
    }
    return sum / static_cast<double>(4 * a.size());
}

// One frame through `host`, which must come back clean with every pixel written.
std::vector<ArgbF> renderChecked(SceneHost& host, int32_t frame, const std::string& what) {
    EXPECT_EQ(host.requestFrame(frame), 0) << what;
    EXPECT_EQ(host.output().poisonCount(), 0) << what;
    EXPECT_TRUE(host.clean()) << what << '\n' << host.report();
    return pixelsOf(host.output());
}

std::string comp(const std::string& layers, const std::string& effect) {
    return R"({"composition": {"width": 20, "height": 14, "frameRate": 24}, "camera": {}, "layers": [)" +
           layers +
           R"(], "effect": {"cloudSize": 45, "qualitySteps": 16, "billowDetail": 1, "domainWarp": 0, )" +
           effect + "}}";
}

const char* kLight = R"({"name": "cloud", "type": "light", "position": [9, 7, 0], "color": [1, 0.8, 0.5]})";

// PF_Cmd_RENDER reads the host's params array where smart render checks parameters out: the
// same values must draw the same picture, at every depth and downsample, and the values must
// matter (density and brightness away from their defaults change it).
TEST(HostPaths, LegacyRenderDrawsWhatSmartRenderDraws) {
    const scenehost::Scene tuned =
        scenehost::parseScene(comp(kLight, R"("density": 420, "brightness": 55)"), "tuned");
    struct Case {
        int depth, downsample;
    };
    std::vector<ArgbF> legacyFloat;
    for (const Case& c : {Case{32, 1}, Case{16, 1}, Case{8, 1}, Case{32, 2}}) {
        const std::string what =
            std::to_string(c.depth) + " bits, downsample 1/" + std::to_string(c.downsample);
        scenehost::Scene s = tuned;
        s.render.depth = c.depth;
        s.render.downsample = c.downsample;
        SceneHost host(s);
        host.start();
        const std::vector<ArgbF> smart = renderChecked(host, 2, what + ", smart");
        host.scene().render.command = scenehost::RenderCommand::Render;
        host.clearRecords();
        const std::vector<ArgbF> legacy = renderChecked(host, 2, what + ", legacy");
        EXPECT_EQ(host.log().count("checkout_param"), 0u) << what;
        EXPECT_TRUE(identical(legacy, smart)) << what;
        if (c.depth == 32 && c.downsample == 1) legacyFloat = legacy;
    }

    scenehost::Scene plain = scenehost::parseScene(comp(kLight, R"("brightness": 100)"), "defaults");
    plain.render.depth = 32;
    plain.render.command = scenehost::RenderCommand::Render;
    SceneHost defaults(plain);
    defaults.start();
    const std::vector<ArgbF> untuned = renderChecked(defaults, 2, "default density");
    EXPECT_GT(meanDifference(legacyFloat, untuned), 0.01) << "density and brightness were not applied";
}

// With "Emitters" on, only lights named "cloud..." become clouds. The filter needs the AEGP
// plug-in ID global setup obtained (without one every light passes), so this runs on a private
// copy of the library whose ID starts at 0 and comes from this host alone. A light that is not
// a cloud sits above the cloud lights: filtered out, the clouds keep their indices, and the frame
// is the frame of a composition holding only them.
TEST(HostPaths, EmittersOptionFiltersLightsByNameInARender) {
    const std::string lights =
        R"({"name": "Fill", "type": "light", "position": [14, 5, 0], "color": [0.3, 1, 0.3]},
        {"name": "Cloud left", "type": "light", "position": [6, 8, 0]},
        {"name": "cloudy", "type": "light", "position": [13, 9, 4], "color": [0.5, 0.6, 1]})";
    const std::string cloudsOnly = R"({"name": "Cloud left", "type": "light", "position": [6, 8, 0]},
        {"name": "cloudy", "type": "light", "position": [13, 9, 4], "color": [0.5, 0.6, 1]})";
    const std::shared_ptr<scenehost::EffectModule> effect = scenehost::EffectModule::freshCopy();
    auto render = [&](const std::string& layers, bool emitters) {
        scenehost::Scene s = scenehost::parseScene(
            comp(layers, emitters ? R"("cloudPrefixOnly": true)" : R"("cloudPrefixOnly": false)"),
            "emitters");
        s.render.depth = 32;
        SceneHost host(s, effect);
        host.setPluginId(29);
        host.start();
        const std::vector<ArgbF> pixels = renderChecked(host, 0, emitters ? "filtered" : "all lights");
        if (emitters) {
            EXPECT_EQ(host.log().count("AEGP_GetLayerName"), 3u) << host.log().dump();
        }
        return pixels;
    };
    const std::vector<ArgbF> filtered = render(lights, true);
    EXPECT_TRUE(identical(filtered, render(cloudsOnly, false)));
    EXPECT_GT(meanDifference(filtered, render(lights, false)), 0.005)
        << "the fill light should show without the filter";
}

// Frames rendered one after another by one host: nothing carries over from one frame to the
// next, without evolution the frames are identical, and with it they change a little per frame,
// more over half a second.
TEST(HostPaths, ConsecutiveFramesEvolveSmoothlyOrNotAtAll) {
    scenehost::Scene still = scenehost::parseScene(comp(kLight, R"("evolutionSpeed": 0)"), "still");
    still.render.depth = 32;
    SceneHost stillHost(still);
    stillHost.start();
    const std::vector<ArgbF> first = renderChecked(stillHost, 0, "still");
    for (int32_t frame : {1, 47}) {
        EXPECT_TRUE(identical(renderChecked(stillHost, frame, "still"), first)) << "frame " << frame;
    }

    scenehost::Scene moving = scenehost::parseScene(comp(kLight, R"("evolutionSpeed": 100)"), "moving");
    moving.render.depth = 32;
    SceneHost host(moving);
    host.start();
    std::vector<std::vector<ArgbF>> frames;
    for (int32_t frame = 0; frame <= 2; ++frame) frames.push_back(renderChecked(host, frame, "moving"));
    const std::vector<ArgbF> halfSecond = renderChecked(host, 12, "moving");
    EXPECT_TRUE(identical(renderChecked(host, 1, "moving"), frames[1])) << "frame 1 again";
    const double far = meanDifference(frames[0], halfSecond);
    for (std::size_t f = 1; f < frames.size(); ++f) {
        const double step = meanDifference(frames[f - 1], frames[f]);
        EXPECT_GT(step, 0.0) << "frame " << f;
        EXPECT_LT(step, far / 4) << "frame " << f << ": a jump, not a smooth change";
    }
    // The change follows time, not the order of rendering: two frames apart is about twice one.
    EXPECT_GT(meanDifference(frames[0], frames[2]), meanDifference(frames[0], frames[1]) * 1.3);
}

} // namespace
} // namespace nebulastra
