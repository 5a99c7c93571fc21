// Scene capture in-process against the scene host, as the frame driver runs it: which layers
// become clouds with which values, the camera, the "Emitters" name filter, and the fallbacks when
// the host cannot answer. The host faults on any call capture has no business making.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "host/host_abi.h"
#include "hostio/plugin_id.h"
#include "records/render_settings.h"
#include "scene/capture_scene.h"
#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using scenehost::SceneHost;

// Captures `frame` inside a host command into a record as the snapshot leaves it (all zero but
// the Emitters option).
RenderSettings captureFrame(SceneHost& host, std::int32_t frame, bool cloudPrefixOnly = false) {
    RenderSettings settings{};
    settings.cloudPrefixOnly = cloudPrefixOnly;
    host.runAsCommand(frame, [&] { captureScene(&host.inData(), settings); });
    return settings;
}

scenefile::Scene comp(const std::string& layers, const std::string& camera = "null") {
    return scenefile::parseScene(
        R"({"composition": {"width": 32, "height": 32, "frameRate": 24}, "camera": )" + camera +
            R"(, "layers": [)" + layers + "]}",
        "test scene");
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

// The effect's AEGP plug-in ID is process-wide: each test starts with the one global setup got.
class CaptureScene : public ::testing::Test {
protected:
    void SetUp() override { aegpPluginId = scenehost::kDefaultPluginId; }
    void TearDown() override { aegpPluginId = 0; }
};

TEST_F(CaptureScene, TakesTheThirtyTwoTopmostLightsAndStopsThere) {
    std::string layers;
    for (int i = 0; i < 40; ++i) layers += (i ? "," : "") + light("Light " + std::to_string(i), 10.0 * i);
    SceneHost host(comp(layers));
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
    // Other layer kinds take up indices but never reach the light or stream queries (the host
    // faults on those); ambient and environment lights never become clouds, a light whose type
    // the host cannot tell does; the emitter index counts clouds only.
    const std::string layers = R"({"type": "solid"}, )" + light("cloud a", 1, R"("lightType": "spot")") +
                               R"(, {"type": "camera"}, {"name": "N", "type": "null"}, {"type": "text"}, )" +
                               light("cloud ambient", 7, R"("lightType": "ambient")") + "," +
                               light("cloud b", 2, R"("lightType": "parallel")") +
                               R"(, {"type": "shape"}, {"type": "footage"}, )" +
                               light("cloud environment", 8, R"("lightType": "environment")") + "," +
                               light("cloud c", 3, R"("lightType": "point")") + "," +
                               light("cloud unknown", 4, R"("lightType": null)");
    SceneHost host(comp(layers));
    for (bool prefixOnly : {false, true}) {
        EXPECT_EQ(xPositions(captureFrame(host, 0, prefixOnly)), (std::vector<float>{1, 2, 3, 4}))
            << prefixOnly;
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
        SceneHost host(comp(light("L", 5, c.properties)));
        const RenderSettings s = captureFrame(host, 0);
        ASSERT_EQ(s.emitterCount, 1) << c.properties;
        const CloudEmitter& e = s.emitters[0];
        EXPECT_EQ(e.intensity, c.intensity) << c.properties;
        EXPECT_EQ(e.shadowDarkness, c.shadowDarkness) << c.properties;
        EXPECT_EQ(std::vector<float>(e.color, e.color + 3), std::vector<float>(c.color, c.color + 3))
            << c.properties;
        EXPECT_TRUE(host.clean()) << host.report();
    }

    // A host answering NaN (a broken expression) gives a cloud of no size and no opacity.
    scenefile::Scene nanScene = comp(light("L", 5));
    nanScene.layers[0].intensity = scenefile::Track{{{0.0, std::nan("")}}};
    nanScene.layers[0].shadowDarkness = scenefile::Track{{{0.0, std::nan("")}}};
    SceneHost host(nanScene);
    const RenderSettings s = captureFrame(host, 0);
    ASSERT_EQ(s.emitterCount, 1);
    EXPECT_EQ(s.emitters[0].intensity, 0.0f);
    EXPECT_EQ(s.emitters[0].shadowDarkness, 0.0f);

    // A host failing one property's query: that property alone falls back to full.
    SceneHost failing(comp(light("L", 5, R"("intensity": 250, "shadowDarkness": 40)")));
    failing.failStream(AEGP_LayerStream_SHADOW_DARKNESS, A_Err_PARAMETER);
    const RenderSettings f = captureFrame(failing, 0);
    ASSERT_EQ(f.emitterCount, 1);
    EXPECT_EQ(f.emitters[0].intensity, 2.5f);
    EXPECT_EQ(f.emitters[0].shadowDarkness, 1.0f);
    EXPECT_TRUE(failing.clean()) << failing.report();
}

TEST_F(CaptureScene, LightsTakePartOnlyWhileTheirVideoIsActive) {
    SceneHost host((comp(light("switched off", 1, R"("enabled": false)") + "," +
                         light("from one second", 2, R"("inPoint": 1)") + "," +
                         light("until half a second", 3, R"("outPoint": 0.5)") + "," +
                         light("activity unknown", 4, R"("enabled": null)") + "," + light("always", 5))));

    // 24 fps: frame 12 is the out point of the third light (active while t < out).
    EXPECT_EQ(xPositions(captureFrame(host, 0)), (std::vector<float>{3, 4, 5}));
    EXPECT_EQ(xPositions(captureFrame(host, 12)), (std::vector<float>{4, 5}));
    EXPECT_EQ(xPositions(captureFrame(host, 24)), (std::vector<float>{2, 4, 5}));
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
        scenefile::Scene sc = comp(layers, R"({"position": [0, 0, -100], "pointOfInterest": [0, 0, 0]})");
        sc.composition.timeBase = scenefile::TimeBase{24000, 1001}; // 23.976 fps: frame 5 is 5005/24000
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
        // clang-format off
        {kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1}, {kAEGPLayerSuite, kAEGPLayerSuiteVersion9},
        {kAEGPLightSuite, kAEGPLightSuiteVersion2}, {kAEGPStreamSuite, kAEGPStreamSuiteVersion6},
        {kAEGPMemorySuite, kAEGPMemorySuiteVersion1},
        // clang-format on
    };
    for (const auto& [name, version] : suites) {
        SceneHost host(comp(light("cloud a", 1) + "," + light("cloud b", 2), R"({"zoom": 100})"));
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

void expectVec(const float v[3], float x, float y, float z, const char* what) {
    EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{x, y, z})) << what;
}

// The same at full and at reduced resolution: the camera lives in full-resolution pixels.
TEST(CaptureCamera, NormalisesEachAxisByDivisionConvertsThePositionAndMakesEmptyRowsTheZAxis) {
    scenefile::Scene sc = comp(
        "",
        R"({"matrix": [[3, 4, 0, 0], [0, -2, 0, 0], [1, 1, 3, 0], [960.25, -540.5, -2666.7, 1]], "zoom": 1000})");
    for (int downsample : {1, 2}) {
        sc.render.downsample = downsample;
        SceneHost host(sc);
        const RenderSettings s = captureFrame(host, 0);
        ASSERT_TRUE(s.camera.valid) << downsample;
        expectVec(s.camera.right, 0.6f, 0.8f, 0.0f, "right");
        expectVec(s.camera.down, 0.0f, -1.0f, 0.0f, "down");
        // Dividing by the length; multiplying by its reciprocal would give 0.904534042 for z.
        expectVec(s.camera.forward, 0.301511347f, 0.301511347f, 0.904533982f, "forward");
        expectVec(s.camera.position, 960.25f, -540.5f, -2666.7f, "position");
        EXPECT_EQ(s.camera.zoom, 1000.0f);
        EXPECT_TRUE(host.clean()) << host.report();
    }
    // Rows of no length become the z axis: row 0 is zero, row 1 sits exactly at the 1e-8 limit, row
    // 2 just above it.
    SceneHost host(comp(
        "", R"({"matrix": [[0, 0, 0, 0], [1e-8, 0, 0, 0], [0, 2e-8, 0, 0], [0, 0, 0, 1]], "zoom": 1000})"));
    const RenderSettings s = captureFrame(host, 0);
    ASSERT_TRUE(s.camera.valid);
    expectVec(s.camera.right, 0, 0, 1, "right");
    expectVec(s.camera.down, 0, 0, 1, "down");
    expectVec(s.camera.forward, 0, 1, 0, "forward");
}

TEST(CaptureCamera, UnusableAnswersLeaveTheFrameWithoutACamera) {
    const std::string lookAt = R"({"position": [0, 0, -100], "pointOfInterest": [0, 0, 0], "zoom": )";
    const std::pair<const char*, scenefile::Scene> cases[] = {
        {"no camera", comp("", "null")},
        {"camera unreadable", comp("", R"({"zoom": null})")},
        {"zero distance", comp("", lookAt + "0}")},
        {"negative distance", comp("", lookAt + "-50}")},
    };
    for (const auto& [what, sc] : cases) {
        SceneHost host(sc);
        EXPECT_FALSE(captureFrame(host, 0).camera.valid) << what;
        EXPECT_TRUE(host.clean()) << host.report();
    }
    scenefile::Scene sc = comp("", lookAt + "100}");
    // The image-plane size (the composition's) only decides validity.
    for (auto [w, h] : {std::pair{0, 1080}, std::pair{1920, 0}}) {
        scenefile::Scene flat = sc;
        flat.composition.width = w;
        flat.composition.height = h;
        SceneHost host(flat);
        EXPECT_FALSE(captureFrame(host, 0).camera.valid) << w << "x" << h;
    }
    sc.camera->zoom = scenefile::Track{{{0.0, std::nan("")}}};
    SceneHost host(sc);
    EXPECT_FALSE(captureFrame(host, 0).camera.valid) << "NaN distance";
}

// The "Emitters" name filter, one light per name at x = its index; every name handle is unlocked
// and freed whatever the answer.
scenefile::Scene lightsNamed(const std::vector<std::string>& names) {
    std::string layers;
    for (std::size_t i = 0; i < names.size(); ++i) layers += (i ? "," : "") + light(names[i], double(i));
    return comp(layers);
}

std::vector<std::string> passingNames(const RenderSettings& s, const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (float x : xPositions(s)) out.push_back(names[static_cast<std::size_t>(x)]);
    return out;
}

const std::vector<std::string> kNames = {
    "Cloud 1",  "CLOUDS",     "cloudbank", "Clouds_fg",    "cLoUd", // pass
    "My cloud", "Clou",       "Light 1",   "clod",         "",
    " cloud",   "ｃｌｏｕｄ", "ÇLOUD",     "cl\xC3\xB6ud", // fail
};
const std::vector<std::string> kPassing = {"Cloud 1", "CLOUDS", "cloudbank", "Clouds_fg", "cLoUd"};

using LightNameMatches = CaptureScene;

TEST_F(LightNameMatches, OnlyNamesStartingWithCloudPassAndOnlyAsciiIsFolded) {
    SceneHost host(lightsNamed(kNames));
    // Without the option every light passes and no name is asked for.
    EXPECT_EQ(captureFrame(host, 0, false).emitterCount, static_cast<int>(kNames.size()));
    EXPECT_EQ(host.log().count("AEGP_GetLayerName"), 0u);
    EXPECT_EQ(passingNames(captureFrame(host, 0, true), kNames), kPassing);

    // A layer name and a source name handle per light, the layer name locked to be read.
    const scenehost::MemoryBalance m = host.memoryBalance();
    const int n = static_cast<int>(kNames.size());
    EXPECT_EQ(std::vector<int>({m.issued, m.frees, m.locks, m.unlocks}),
              std::vector<int>({2 * n, 2 * n, n, n}));
    EXPECT_TRUE(host.clean()) << host.report();

    // Without a plug-in ID no name can be asked for: every light passes.
    aegpPluginId = 0;
    SceneHost anonymous(lightsNamed(kNames));
    EXPECT_EQ(captureFrame(anonymous, 0, true).emitterCount, n);
    EXPECT_EQ(anonymous.suiteBalance(kAEGPMemorySuite, kAEGPMemorySuiteVersion1).acquired, 0);
    EXPECT_TRUE(anonymous.clean()) << anonymous.report();
}

TEST_F(LightNameMatches, UnobtainableNamesPassButMissingOrUnlockableOnesDoNot) {
    const std::vector<std::string> names = {"Light", "cloud", "Light", "cloud"};
    struct Case {
        const char* function;
        std::int32_t err;
        std::vector<float> passing; // x positions
        int issued, locks;
    };
    const Case cases[] = {
        {"AEGP_GetLayerName", 1, {0, 1, 2, 3}, 0, 0}, // the name cannot be had: counts as matching
        {"AEGP_GetLayerName", 0, {}, 4, 0},           // no name handle: the source handle is still freed
        {"AEGP_LockMemHandle", 1, {}, 8, 0},          // refused lock: nothing to unlock
        {"AEGP_LockMemHandle", 0, {}, 8, 4},          // locked but no text: unlocked again
    };
    for (const Case& c : cases) {
        SceneHost host(lightsNamed(names));
        host.failCall(c.function, c.err);
        const RenderSettings s = captureFrame(host, 0, true);
        const std::string what = std::string(c.function) + " err " + std::to_string(c.err);
        EXPECT_EQ(xPositions(s), c.passing) << what;
        const scenehost::MemoryBalance m = host.memoryBalance();
        EXPECT_EQ(m.issued, c.issued) << what;
        EXPECT_EQ(m.locks, c.locks) << what;
        EXPECT_TRUE(host.clean()) << what << '\n' << host.report(); // all freed, all unlocked
    }

    // A name the scene marks unreadable behaves like a failing name query.
    scenefile::Scene unnamed = lightsNamed(names);
    unnamed.layers[0].name.reset();
    SceneHost host(unnamed);
    EXPECT_EQ(captureFrame(host, 0, true).emitterCount, 3);
    EXPECT_TRUE(host.clean()) << host.report();
}

} // namespace
} // namespace nebulastra
