// Host paths end to end through the built library: the legacy PF_Cmd_RENDER, a host without a
// pixel format, the "Emitters" option from global setup to a render. Every frame must be written
// whole and nowhere else. (Frames rendered again by one host, alone and among others, are held
// equal in the concurrent-frames test.)

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "effectlib/effect_module.h"
#include "host/host_abi.h"
#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"
#include "scenehost/world_pixels.h"

namespace nebulastra {
namespace {

using scenehost::ArgbF;
using scenehost::SceneHost;

using testing::identical;
using testing::pixelsOf;

double meanDifference(const std::vector<ArgbF>& a, const std::vector<ArgbF>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (float ArgbF::*c : {&ArgbF::alpha, &ArgbF::red, &ArgbF::green, &ArgbF::blue})
            sum += std::fabs(a[i].*c - b[i].*c);
    return sum / static_cast<double>(4 * a.size());
}

// One frame through `host`, which must come back clean with every pixel written.
std::vector<ArgbF> renderChecked(SceneHost& host, int32_t frame, const std::string& what) {
    EXPECT_EQ(host.requestFrame(frame), 0) << what;
    EXPECT_EQ(host.output().poisonCount(), 0) << what;
    EXPECT_TRUE(host.clean()) << what << '\n' << host.report();
    return pixelsOf(host.output());
}

// A float frame (one ulp of difference shows) of a small composition seen through a camera.
scenefile::Scene comp(const std::string& layers, const std::string& effect) {
    scenefile::Scene s = scenefile::parseScene(
        R"({"composition": {"width": 20, "height": 14, "frameRate": 24}, "camera": {}, "layers": [)" +
            layers +
            R"(], "effect": {"cloudSize": 45, "qualitySteps": 16, "billowDetail": 1, "domainWarp": 0, )" +
            effect + "}}",
        "host paths");
    s.render.depth = 32;
    return s;
}

const char* kLight = R"({"name": "cloud", "type": "light", "position": [9, 7, 0], "color": [1, 0.8, 0.5]})";

// PF_Cmd_RENDER reads the host's params array where smart render checks parameters out: the same
// values draw the same picture at every depth and downsample, and the values matter.
TEST(HostPaths, LegacyRenderDrawsWhatSmartRenderDraws) {
    const scenefile::Scene tuned = comp(kLight, R"("density": 420, "brightness": 55)");
    std::vector<ArgbF> legacyFloat;
    for (auto [depth, downsample] : {std::pair{32, 1}, std::pair{16, 1}, std::pair{8, 1}, std::pair{32, 2}}) {
        const std::string what = std::to_string(depth) + " bits, downsample 1/" + std::to_string(downsample);
        scenefile::Scene s = tuned;
        s.render.depth = depth;
        s.render.downsample = downsample;
        SceneHost host(s);
        host.start();
        const std::vector<ArgbF> smart = renderChecked(host, 2, what + ", smart");
        host.scene().render.command = scenefile::RenderCommand::Render;
        host.clearRecords();
        const std::vector<ArgbF> legacy = renderChecked(host, 2, what + ", legacy");
        EXPECT_EQ(host.log().count("checkout_param"), 0u) << what;
        EXPECT_TRUE(identical(legacy, smart)) << what;
        if (legacyFloat.empty()) legacyFloat = legacy; // 32 bits, full resolution
    }

    scenefile::Scene plain = comp(kLight, R"("brightness": 100)");
    plain.render.command = scenefile::RenderCommand::Render;
    SceneHost defaults(plain);
    defaults.start();
    const std::vector<ArgbF> untuned = renderChecked(defaults, 2, "default density");
    EXPECT_GT(meanDifference(legacyFloat, untuned), 0.01) << "density and brightness were not applied";
}

// A host that cannot say what the output's pixel format is (world suite refused, or the query
// failing) gets 8-bit pixels: in the padded, guarded 8-bit world a wider write would show, and the
// frame must be the one drawn when the host answers.
TEST(HostPaths, WithoutAPixelFormatTheFrameIsEightBit) {
    scenefile::Scene s = comp(kLight, R"("brightness": 100)");
    s.render.depth = 8;
    SceneHost answered(s);
    answered.start();
    const std::vector<ArgbF> want = renderChecked(answered, 0, "answered");
    for (bool refuse : {true, false}) {
        SceneHost host(s);
        host.start();
        if (refuse) {
            host.refuseSuite(kPFWorldSuite, kPFWorldSuiteVersion2);
        } else {
            host.failCall("PF_GetPixelFormat", PF_Err_BAD_CALLBACK_PARAM);
        }
        EXPECT_TRUE(identical(renderChecked(host, 0, refuse ? "refused" : "failing"), want)) << refuse;
    }
}

// The name filter needs the plug-in ID global setup obtained, so this runs on a private copy of
// the library whose ID comes from this host alone. Filtered out, the fill light above the clouds
// leaves the frame of a composition holding only them (their indices, hence shapes, unchanged).
TEST(HostPaths, EmittersOptionFiltersLightsByNameInARender) {
    const std::string clouds = R"({"name": "Cloud left", "type": "light", "position": [6, 8, 0]},
        {"name": "cloudy", "type": "light", "position": [13, 9, 4], "color": [0.5, 0.6, 1]})";
    const std::string lights =
        R"({"name": "Fill", "type": "light", "position": [14, 5, 0], "color": [0.3, 1, 0.3]}, )" + clouds;
    const std::shared_ptr<effectlib::EffectModule> effect = effectlib::EffectModule::freshCopy();
    auto render = [&](const std::string& layers, bool emitters) {
        SceneHost host(comp(layers, std::string(R"("cloudPrefixOnly": )") + (emitters ? "true" : "false")),
                       effect);
        host.setPluginId(29);
        host.start();
        const std::vector<ArgbF> pixels = renderChecked(host, 0, emitters ? "filtered" : "all lights");
        if (emitters) {
            EXPECT_EQ(host.log().count("AEGP_GetLayerName"), 3u) << host.log().dump();
        }
        return pixels;
    };
    const std::vector<ArgbF> filtered = render(lights, true);
    EXPECT_TRUE(identical(filtered, render(clouds, false)));
    EXPECT_GT(meanDifference(filtered, render(lights, false)), 0.005)
        << "the fill light should show without the filter";
}

} // namespace
} // namespace nebulastra
