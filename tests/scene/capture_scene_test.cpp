// The light walk: which layers become clouds, in which order, with which values, and what the
// frame gets when the host cannot answer. Everything runs against the scene host, which faults on
// any call the walk has no business making (a light query on a non-light, a foreign handle, an
// unbalanced suite or memory handle), so every test also ends with host.clean().
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

#include "host/host_abi.h"
#include "scene/scene_capture.h"

namespace nebulastra {
namespace {

using scenehost::SceneHost;
using testing::captureFrame;
using testing::sceneFromJson;
using testing::ScopedPluginId;

std::string comp(const std::string& layers, const std::string& camera = "null") {
    return R"({"composition": {"width": 32, "height": 32, "frameRate": 24}, "camera": )" + camera +
           R"(, "layers": [)" + layers + "]}";
}

std::string light(const std::string& name, double x, const std::string& extra = "") {
    return R"({"name": ")" + name + R"(", "type": "light", "position": [)" + std::to_string(x) + ", 0, 0]" +
           (extra.empty() ? "" : ", " + extra) + "}";
}

std::vector<float> xPositions(const RenderSettings& s) {
    std::vector<float> xs;
    for (int k = 0; k < s.emitterCount; ++k) xs.push_back(s.emitters[k].position[0]);
    return xs;
}

class CaptureScene : public ::testing::Test {
protected:
    ScopedPluginId pluginId{scenehost::kDefaultPluginId};
};

TEST_F(CaptureScene, TakesTheThirtyTwoTopmostLightsAndStopsThere) {
    std::string layers;
    for (int i = 0; i < 40; ++i) layers += (i ? "," : "") + light("Light " + std::to_string(i), 10.0 * i);
    SceneHost host(sceneFromJson(comp(layers)));
    const RenderSettings s = captureFrame(host, 0);

    ASSERT_EQ(s.emitterCount, kMaxEmitters);
    for (int k = 0; k < kMaxEmitters; ++k) EXPECT_EQ(s.emitters[k].position[0], 10.0f * k) << k;
    // Layers below the 32nd light are never asked about.
    EXPECT_EQ(host.log().count("AEGP_GetCompLayerByIndex"), 32u);
    EXPECT_EQ(host.log().count("AEGP_GetCompLayerByIndex", 32), 0u);
    // One cache for the whole walk: each suite is acquired once, however many lights there are.
    EXPECT_EQ(host.suiteBalances().size(), 4u);
    for (const auto& [key, balance] : host.suiteBalances()) EXPECT_EQ(balance.acquired, 1) << key.first;
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST_F(CaptureScene, CountsOnlyQualifyingLightsFromTheTop) {
    // Other layer kinds take up indices; they never reach the light or stream queries (the host
    // faults on those), and the emitter index counts lights only.
    const std::string layers = R"({"type": "solid"}, )" + light("A", 1, R"("lightType": "spot")") +
                               R"(, {"type": "camera"}, {"name": "N", "type": "null"}, {"type": "text"}, )" +
                               light("B", 2, R"("lightType": "parallel")") +
                               R"(, {"type": "shape"}, {"type": "footage"}, )" +
                               light("C", 3, R"("lightType": "point")");
    SceneHost host(sceneFromJson(comp(layers)));
    const RenderSettings s = captureFrame(host, 0);

    EXPECT_EQ(xPositions(s), (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(host.log().count("AEGP_GetLightType"), 3u);
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST_F(CaptureScene, AmbientAndEnvironmentLightsNeverBecomeClouds) {
    SceneHost host(sceneFromJson(comp(light("cloud ambient", 1, R"("lightType": "ambient")") + "," +
                                      light("cloud environment", 2, R"("lightType": "environment")") + "," +
                                      light("cloud spot", 3, R"("lightType": "spot")") + "," +
                                      light("cloud unknown type", 4, R"("lightType": null)"))));

    for (bool prefixOnly : {false, true}) {
        const RenderSettings s = captureFrame(host, 0, prefixOnly);
        // A light whose type the host cannot tell still qualifies.
        EXPECT_EQ(xPositions(s), (std::vector<float>{3, 4})) << "prefix " << prefixOnly;
    }
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST_F(CaptureScene, ReadsColourIntensityAndShadowDarknessWithTheirBounds) {
    struct Case {
        const char* properties;
        float intensity, shadowDarkness;
        float color[3];
    };
    const Case cases[] = {
        {R"("intensity": 100, "shadowDarkness": 100)", 1.0f, 1.0f, {1, 1, 1}},
        {R"("intensity": -50, "shadowDarkness": 0)", 0.0f, 0.0f, {1, 1, 1}}, // stored all the same
        {R"("intensity": 250, "shadowDarkness": 150)", 2.5f, 1.0f, {1, 1, 1}},
        {R"("intensity": 0, "shadowDarkness": -20)", 0.0f, 0.0f, {1, 1, 1}},
        // Scaled in double and rounded once: scaling in float would give 0.00129999989 and
        // 0.00090000004.
        {R"("intensity": 0.13, "shadowDarkness": 0.09)", 0.0013f, 0.0009f, {1, 1, 1}},
        {R"("intensity": null, "shadowDarkness": null, "color": null)", 1.0f, 1.0f, {1, 1, 1}},
        {R"("color": [2, -0.5, 0.25])", 1.0f, 1.0f, {2.0f, -0.5f, 0.25f}}, // never clamped
    };
    for (const Case& c : cases) {
        SceneHost host(sceneFromJson(comp(light("L", 5, c.properties))));
        const RenderSettings s = captureFrame(host, 0);
        ASSERT_EQ(s.emitterCount, 1) << c.properties;
        const CloudEmitter& e = s.emitters[0];
        EXPECT_EQ(e.intensity, c.intensity) << c.properties;
        EXPECT_EQ(e.shadowDarkness, c.shadowDarkness) << c.properties;
        EXPECT_EQ(e.color[0], c.color[0]) << c.properties;
        EXPECT_EQ(e.color[1], c.color[1]) << c.properties;
        EXPECT_EQ(e.color[2], c.color[2]) << c.properties;
        EXPECT_TRUE(host.clean()) << host.report();
    }

    // A host answering NaN (a broken expression) gives a cloud of no size and no opacity.
    scenehost::Scene nanScene = sceneFromJson(comp(light("L", 5)));
    nanScene.layers[0].intensity = scenehost::Track{{{0.0, std::nan("")}}};
    nanScene.layers[0].shadowDarkness = scenehost::Track{{{0.0, std::nan("")}}};
    SceneHost host(nanScene);
    const RenderSettings s = captureFrame(host, 0);
    ASSERT_EQ(s.emitterCount, 1);
    EXPECT_EQ(s.emitters[0].intensity, 0.0f);
    EXPECT_EQ(s.emitters[0].shadowDarkness, 0.0f);
}

TEST_F(CaptureScene, LightsTakePartOnlyWhileTheirVideoIsActive) {
    SceneHost host(
        sceneFromJson(comp(light("switched off", 1, R"("enabled": false)") + "," +
                           light("from one second", 2, R"("inPoint": 1)") + "," +
                           light("until half a second", 3, R"("outPoint": 0.5)") + "," +
                           light("activity unknown", 4, R"("enabled": null)") + "," + light("always", 5))));

    // 24 fps: frame 12 is the out point of the third light (active while t < out).
    EXPECT_EQ(xPositions(captureFrame(host, 0)), (std::vector<float>{3, 4, 5}));
    EXPECT_EQ(xPositions(captureFrame(host, 12)), (std::vector<float>{4, 5}));
    EXPECT_EQ(xPositions(captureFrame(host, 24)), (std::vector<float>{2, 4, 5}));
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST_F(CaptureScene, ParentedAndAnimatedLightsAreReadInWorldSpaceAtTheFrameTime) {
    SceneHost host(sceneFromJson(comp(
        R"({"name": "cloud child", "type": "light", "position": [10, 20, 30], "parent": "Mover",
            "intensity": [{"t": 0, "v": 0}, {"t": 1, "v": 200}]},
           {"name": "Mover", "type": "null",
            "position": [[{"t": 0, "v": 0}, {"t": 1, "v": 240}], -8, [{"t": 0, "v": 0}, {"t": 1, "v": -100}]]})")));
    for (int frame : {0, 6, 24, 48}) {
        const RenderSettings s = captureFrame(host, frame);
        ASSERT_EQ(s.emitterCount, 1);
        const double t = std::min(frame / 24.0, 1.0);
        EXPECT_EQ(s.emitters[0].position[0], static_cast<float>(10 + 240 * t)) << frame;
        EXPECT_EQ(s.emitters[0].position[1], 12.0f) << frame;
        EXPECT_EQ(s.emitters[0].position[2], static_cast<float>(30 - 100 * t)) << frame;
        EXPECT_EQ(s.emitters[0].intensity, static_cast<float>(2 * t)) << frame;
    }
    EXPECT_TRUE(host.clean()) << host.report();
}

TEST_F(CaptureScene, PremiereSeesNoLightsAndNoCameraAndIsNeverAsked) {
    SceneHost host(sceneFromJson(comp(light("cloud", 1), R"({"zoom": 50})")));
    host.setApplId(scenehost::kApplIdPremiere);
    RenderSettings s{};
    s.emitterCount = 7; // whatever the record held before, the frame starts empty
    s.camera.valid = true;
    host.runAsCommand(0, [&] { captureScene(&host.inData(), s); });
    EXPECT_EQ(s.emitterCount, 0);
    EXPECT_FALSE(s.camera.valid);
    EXPECT_EQ(host.log().size(), 0u) << host.log().dump();
    EXPECT_TRUE(host.clean()) << host.report();
}

// One failing host answer at a time, on a composition with a camera and three lights (layer 1 is
// a solid).
TEST_F(CaptureScene, EachFailingQueryFallsBackAsDocumented) {
    struct Case {
        const char* function;
        std::int32_t err;
        std::int32_t layer;
        std::vector<float> emitters; // x positions
        bool cameraValid;
    };
    const std::int32_t any = scenehost::kAnyLayer;
    const Case cases[] = {
        {"AEGP_ConvertEffectToCompTime", 1, any, {1, 3, 4}, true},
        {"AEGP_GetEffectCameraMatrix", 1, any, {1, 3, 4}, false},
        {"AEGP_GetEffectLayer", 1, any, {}, true}, // the camera was read before the walk
        {"AEGP_GetEffectLayer", 0, any, {}, true}, // succeeds with no layer
        {"AEGP_GetLayerParentComp", 1, any, {}, true},
        {"AEGP_GetLayerParentComp", 0, any, {}, true},
        {"AEGP_GetCompNumLayers", 1, any, {}, true},
        {"AEGP_GetCompLayerByIndex", 1, 2, {1, 4}, true},
        {"AEGP_GetCompLayerByIndex", 0, 0, {3, 4}, true},
        {"AEGP_GetLayerObjectType", 1, 3, {1, 3}, true},
        {"AEGP_IsVideoActive", 1, any, {1, 3, 4}, true}, // unknown activity counts as active
        {"AEGP_GetLightType", 1, any, {1, 3, 4}, true},  // unknown type counts as a light
        {"AEGP_GetLayerToWorldXform", 1, 0, {3, 4}, true},
    };
    const std::string layers =
        light("a", 1) + R"(, {"type": "solid"}, )" + light("b", 3) + "," + light("c", 4);
    for (const Case& c : cases) {
        scenehost::Scene sc =
            sceneFromJson(comp(layers, R"({"position": [0, 0, -100], "pointOfInterest": [0, 0, 0]})"));
        sc.composition.timeBase = scenehost::TimeBase{24000, 1001}; // 23.976 fps: frame 5 is 5005/24000
        SceneHost host(sc);
        host.failCall(c.function, c.err, c.layer);
        const RenderSettings s = captureFrame(host, 5);
        const std::string what = std::string(c.function) + " err " + std::to_string(c.err);
        EXPECT_EQ(xPositions(s), c.emitters) << what;
        EXPECT_EQ(s.camera.valid, c.cameraValid) << what;
        EXPECT_TRUE(host.clean()) << what << '\n' << host.report();
        // The camera is read before the walk, and every query is at the frame's own time, also
        // when the conversion to composition time fails.
        EXPECT_LT(host.log().first("AEGP_GetEffectCameraMatrix"), host.log().first("AEGP_GetEffectLayer"))
            << what;
        for (const auto& call : host.log().calls()) {
            if (call.function == "AEGP_GetEffectCameraMatrix" ||
                call.function == "AEGP_GetLayerToWorldXform") {
                EXPECT_EQ(call.text, "t=5005/24000") << what;
            }
        }
    }
}

TEST_F(CaptureScene, ARefusedSuiteLeavesNoEmittersAndNoCamera) {
    const std::pair<const char*, std::int32_t> suites[] = {
        {kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1},
        {kAEGPLayerSuite, kAEGPLayerSuiteVersion9},
        {kAEGPLightSuite, kAEGPLightSuiteVersion2},
        {kAEGPStreamSuite, kAEGPStreamSuiteVersion6},
        {kAEGPMemorySuite, kAEGPMemorySuiteVersion1},
    };
    for (const auto& [name, version] : suites) {
        SceneHost host(
            sceneFromJson(comp(light("cloud a", 1) + "," + light("cloud b", 2), R"({"zoom": 100})")));
        host.refuseSuite(name, version);
        const RenderSettings s = captureFrame(host, 0, /*cloudPrefixOnly=*/true);
        EXPECT_EQ(s.emitterCount, 0) << name;
        EXPECT_FALSE(s.camera.valid) << name;
        EXPECT_EQ(host.suiteBalance(name, version).refused, 1) << name;
        EXPECT_EQ(host.memoryBalance().issued, 0) << name; // no handle stranded by the refusal
        EXPECT_TRUE(host.suitesBalanced()) << name << '\n' << host.report();
    }
}

// Only the host saying no degrades to a cloudless frame: an exhausted heap during capture must
// reach the dispatcher (which reports it as out of memory), not pass for an empty composition.
SPErr acquireWithoutMemory(const char*, std::int32_t, const void**) { throw std::bad_alloc(); }
SPErr releaseNothing(const char*, std::int32_t) { return kSPNoError; }

TEST_F(CaptureScene, AnExhaustedHeapIsNotSwallowed) {
    SPBasicSuite basic{};
    basic.AcquireSuite = acquireWithoutMemory;
    basic.ReleaseSuite = releaseNothing;
    PF_InData in_data{};
    in_data.pica_basicP = &basic;
    RenderSettings s{};
    EXPECT_THROW(captureScene(&in_data, s), std::bad_alloc);
}

} // namespace
} // namespace nebulastra
