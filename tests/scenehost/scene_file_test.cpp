// Loading scene files: defaults, every class of error with its one-line message, and robustness
// against arbitrary input.
#include <gtest/gtest.h>

#include <string>

#include "scenehost/scene_eval.h"
#include "scenehost/scene_file.h"
#include "scenehost/scene_params.h"

namespace nebulastra::scenehost {
namespace {

// The loader's message for `text`, or "" when it loads.
std::string errorOf(const std::string& text) {
    try {
        parseScene(text, "s.json");
    } catch (const SceneError& e) {
        return e.what();
    }
    return "";
}

// A scene with a composition and the given extra top-level members.
std::string withComp(const std::string& members) {
    return R"({"composition": {"width": 64, "height": 32, "frameRate": 24})" +
           (members.empty() ? "" : ", " + members) + "}";
}

TEST(SceneFile, MinimalSceneTakesEveryDefault) {
    const Scene s = parseScene(withComp(R"("layers": [{}])"), "s.json");
    EXPECT_EQ(s.layerWidth, 64);
    EXPECT_EQ(s.layerHeight, 32);
    EXPECT_FALSE(s.camera.has_value());
    EXPECT_EQ(s.render.firstFrame, 0);
    EXPECT_EQ(s.render.lastFrame, 0);
    EXPECT_EQ(s.render.depth, 8);
    EXPECT_EQ(s.render.downsample, 1);
    EXPECT_EQ(s.render.command, RenderCommand::Smart);
    EXPECT_TRUE(s.effect.empty());

    ASSERT_EQ(s.layers.size(), 1u);
    const Layer& light = s.layers[0];
    EXPECT_EQ(light.type, LayerType::Light);
    EXPECT_EQ(light.name, std::string());
    EXPECT_EQ(light.lightType, LightType::Point);
    EXPECT_EQ(lightColor(light, 3.0), (Vec3{1, 1, 1}));
    EXPECT_EQ(lightIntensity(light, 3.0), 100.0);
    EXPECT_EQ(lightShadowDarkness(light, 3.0), 100.0);
    EXPECT_EQ(layerWorldPosition(s, 0, 3.0), (Vec3{0, 0, 0}));
    EXPECT_EQ(layerIsActive(light, -1e9), true);
    EXPECT_EQ(light.parent, -1);
}

TEST(SceneFile, ReadsEverySection) {
    const Scene s = parseScene(R"({
    "composition": {"width": 1920, "height": 1080, "frameRate": 29.97},
    "layer": {"width": 800},
    "camera": {"zoom": [{"t": 0, "v": 1000}, {"t": 1, "v": 2000}]},
    "layers": [
      {"name": "cloud A", "type": "light", "lightType": "spot", "color": [0.5, 0.25, 2],
       "intensity": [{"t": 0, "v": 0}, {"t": 2, "v": 200}], "shadowDarkness": null,
       "enabled": false, "inPoint": 1, "outPoint": 2, "parent": "N"},
      {"name": "N", "type": "null", "position": [10, 20, 30]},
      {"name": null, "type": "solid", "enabled": null}
    ],
    "effect": {"density": 150, "overlapBlend": "Screen", "billowMap": 3, "cloudPrefixOnly": true},
    "render": {"frames": "3-7", "depth": 32, "resolution": "third", "command": "render"}
  })",
                               "s.json");
    EXPECT_EQ(s.composition.timeBase.timeScale, 30000u);
    EXPECT_EQ(s.composition.timeBase.timeStep, 1001);
    EXPECT_EQ(s.layerWidth, 800);
    EXPECT_EQ(s.layerHeight, 1080);
    ASSERT_EQ(s.layers.size(), 3u);
    EXPECT_EQ(s.layers[0].lightType, LightType::Spot);
    EXPECT_EQ(lightColor(s.layers[0], 0), (Vec3{0.5, 0.25, 2}));
    EXPECT_EQ(lightIntensity(s.layers[0], 0.5), 50.0);
    EXPECT_FALSE(lightShadowDarkness(s.layers[0], 0).has_value());
    EXPECT_EQ(s.layers[0].parent, 1);
    EXPECT_FALSE(s.layers[2].name.has_value());
    EXPECT_FALSE(layerIsActive(s.layers[2], 0).has_value());
    EXPECT_EQ(s.effect.at(3).keys[0].v, 150.0);
    EXPECT_EQ(s.effect.at(9).keys[0].v, 3.0); // "Screen"
    EXPECT_EQ(s.effect.at(15).keys[0].v, 3.0);
    EXPECT_EQ(s.effect.at(7).keys[0].v, 1.0);
    EXPECT_EQ(s.render.firstFrame, 3);
    EXPECT_EQ(s.render.lastFrame, 7);
    EXPECT_EQ(s.render.depth, 32);
    EXPECT_EQ(s.render.downsample, 3);
    EXPECT_EQ(s.render.command, RenderCommand::Render);
    // The default camera position backs away by the (animated) zoom.
    ASSERT_TRUE(s.camera.has_value());
    EXPECT_EQ(evaluateTrack3(*s.camera->position, 0.5), (Vec3{960, 540, -1500}));
}

TEST(SceneFile, TimeBaseFollowsTheFrameRate) {
    struct Case {
        const char* rate;
        std::uint32_t scale;
        std::int32_t step;
    };
    for (const Case& c : {Case{"24", 24, 1}, Case{"30.0", 30, 1}, Case{"23.976", 24000, 1001},
                          Case{"29.97", 30000, 1001}, Case{"59.94", 60000, 1001}}) {
        const Scene s = parseScene(std::string(R"({"composition": {"width": 4, "height": 4, "frameRate": )") +
                                       c.rate + "}}",
                                   "s.json");
        EXPECT_EQ(s.composition.timeBase.timeScale, c.scale) << c.rate;
        EXPECT_EQ(s.composition.timeBase.timeStep, c.step) << c.rate;
    }
    EXPECT_EQ(frameCurrentTime({24000, 1001}, 5), 5005);
    EXPECT_DOUBLE_EQ(secondsOf(5005, 24000), 5005.0 / 24000.0);
}

// Each error class: the full message, or (where the tail explains a list) its beginning.
TEST(SceneFile, ErrorsNameTheFilePathAndExpectation) {
    struct Case {
        std::string text;
        std::string message;
    };
    const std::string light = R"("type": "light")";
    const Case cases[] = {
        {"{\"composition\": ", "s.json: malformed JSON: parse error at line 1"},
        {"[]", "s.json: /: expected a scene object, got an array of 0 elements"},
        {"{}", "s.json: /: missing composition"},
        {R"({"composition": {}})", "s.json: /composition: missing width"},
        {withComp(R"("camra": null)"), "s.json: /camra: unknown key (expected one of version, composition"},
        {R"({"composition": {"width": 0, "height": 4}})",
         "s.json: /composition/width: expected a width in pixels, an integer from 1 to 30000, got 0"},
        {R"({"composition": {"width": "4", "height": 4}})",
         "s.json: /composition/width: expected a width in pixels, an integer, got a string"},
        {R"({"composition": {"width": 4.5, "height": 4}})", "s.json: /composition/width: expected a width"},
        {withComp(R"("layer": {"height": 0})"), "s.json: /layer/height: expected a height"},
        {R"({"composition": {"width": 4, "height": 4, "frameRate": 0}})",
         "s.json: /composition/frameRate: expected a frame rate above 0"},
        {R"({"composition": {"width": 4, "height": 4, "frameRate": 25.5}})",
         "s.json: /composition/frameRate: expected a whole number of frames per second or one of 23.976, "
         "29.97, 59.94"},
        {withComp(R"("render": {"depth": 12})"),
         "s.json: /render/depth: expected 8, 16 or 32 bits per channel, got 12"},
        {withComp(R"("render": {"resolution": "double"})"),
         "s.json: /render/resolution: unknown resolution \"double\" (expected one of \"full\""},
        {withComp(R"("render": {"command": "draw"})"), "s.json: /render/command: unknown render command"},
        {withComp(R"("render": {"frames": "5-2"})"), "s.json: /render/frames: expected a frame number"},
        {withComp(R"("render": {"frames": "-3"})"), "s.json: /render/frames: expected a frame number"},
        {withComp(R"("render": {"frames": 2.5})"), "s.json: /render/frames: expected a frame number"},
        {withComp(R"("layers": [{"lightType": "laser"}])"),
         "s.json: /layers/0/lightType: unknown light type \"laser\" (expected one of \"parallel\""},
        {withComp(R"("layers": [{"type": "camera", "color": [1, 1, 1]}])"),
         "s.json: /layers/0/color: only light layers have this property"},
        {withComp(R"("layers": [{}, {}, {"parent": "Null 9"}])"),
         "s.json: /layers/2/parent: unknown parent \"Null 9\""},
        {withComp(R"("layers": [{"name": "a", "parent": "b"}, {"name": "b", "parent": "a"}])"),
         "s.json: /layers/0/parent: parent cycle through \"b\""},
        {withComp(R"("layers": [{"name": "a", "parent": "a"}])"), "s.json: /layers/0/parent: parent cycle"},
        {withComp(R"("layers": [{"position": [{"t": 1, "v": [0, 0, 0]}, {"t": 0, "v": [1, 1, 1]}]}])"),
         "s.json: /layers/0/position/1/t: keyframe times must not decrease"},
        {withComp(R"("layers": [{"intensity": [{"t": 0}]}])"),
         "s.json: /layers/0/intensity/0: missing \"v\""},
        {withComp(R"("layers": [{"color": [1, 1]}])"),
         "s.json: /layers/0/color: expected an array of 3 numbers or keyframe lists, got an array of 2 "
         "elements"},
        {withComp(R"("camera": {"matrix": [[1,0,0,0],[0,1,0,0],[0,0,1,0],[0,0,0,1]], "position": [0,0,0]})"),
         "s.json: /camera: both a matrix and position/pointOfInterest given (expected one form)"},
        {withComp(R"("camera": {"matrix": [[1,0,0,0]]})"),
         "s.json: /camera/matrix: expected 4 rows of 4 numbers"},
        {withComp(R"("effect": {"density": null})"),
         "s.json: /effect/density: null value for effect key \"density\""},
        {withComp(R"("effect": {"densty": 1})"), "s.json: /effect/densty: unknown effect key \"densty\""},
        {withComp(R"("effect": {"overlapBlend": "Multiply"})"),
         "s.json: /effect/overlapBlend: unknown choice \"Multiply\" (expected one of \"Average\", \"Add\", "
         "\"Screen\", \"Lighten\", \"Darken\")"},
        {withComp(R"("effect": {"cloudPrefixOnly": 1})"),
         "s.json: /effect/cloudPrefixOnly: expected true or false, got a number"},
        {withComp(R"("effect": {"density": [{"t": 0, "v": "x"}]})"),
         "s.json: /effect/density/0/v: expected a number, got a string"},
        {withComp(R"("version": 2)"), "s.json: /version: expected 1"},
    };
    for (const Case& c : cases) {
        const std::string message = errorOf(c.text);
        EXPECT_EQ(message.substr(0, c.message.size()), c.message) << c.text;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
}

TEST(SceneFile, MessagesStayOnOneLineWhateverTheKeys) {
    const std::string message = errorOf(withComp("\"bad\\nkey\\u0007\": 1"));
    EXPECT_EQ(message.rfind("s.json: /bad?key?: unknown key", 0), 0u) << message;
}

TEST(SceneFile, MissingFileIsASceneError) {
    try {
        loadSceneFile("/nonexistent/dir/scene.json");
        FAIL() << "loaded a missing file";
    } catch (const SceneError& e) {
        EXPECT_STREQ(e.what(), "/nonexistent/dir/scene.json: cannot open the scene file");
    }
}

TEST(SceneFile, OverridesReadLikeTheFile) {
    Scene s = parseScene(withComp(""), "s.json");
    applyEffectOverride(s, "overlapBlend=Screen");
    applyEffectOverride(s, "textureType=\"Erosion\"");
    applyEffectOverride(s, "density=150.5");
    applyEffectOverride(s, "cloudPrefixOnly=true");
    applyEffectOverride(s, R"(sunAzimuth=[{"t": 0, "v": 0}, {"t": 2, "v": 90}])");
    EXPECT_EQ(s.effect.at(9).keys[0].v, 3.0);
    EXPECT_EQ(s.effect.at(51).keys[0].v, 3.0);
    EXPECT_EQ(s.effect.at(3).keys[0].v, 150.5);
    EXPECT_EQ(s.effect.at(7).keys[0].v, 1.0);
    EXPECT_EQ(evaluateTrack(s.effect.at(26), 1.0), 45.0);

    auto overrideError = [&](const std::string& assignment) {
        try {
            applyEffectOverride(s, assignment);
        } catch (const SceneError& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(overrideError("bogus=1"), "--set bogus: unknown effect key \"bogus\"");
    EXPECT_EQ(overrideError("density"), "--set density: expected key=value");
    EXPECT_EQ(overrideError("density=high"), "--set density: expected a number, got a string");
    EXPECT_EQ(overrideError("density=null"), "--set density: null value for effect key \"density\"");

    applyRenderOverride(s, "frames", "4-6");
    applyRenderOverride(s, "depth", "16");
    applyRenderOverride(s, "resolution", "quarter");
    EXPECT_EQ(s.render.firstFrame, 4);
    EXPECT_EQ(s.render.lastFrame, 6);
    EXPECT_EQ(s.render.depth, 16);
    EXPECT_EQ(s.render.downsample, 4);
    try {
        applyRenderOverride(s, "depth", "10");
        ADD_FAILURE() << "accepted depth 10";
    } catch (const SceneError& e) {
        EXPECT_STREQ(e.what(), "--depth: expected 8, 16 or 32 bits per channel, got 10");
    }
}

// Whatever the bytes, loading ends in a Scene or a SceneError: every prefix of a full scene and
// every single-byte corruption of it.
TEST(SceneFile, NeverCrashesOnDamagedInput) {
    const std::string full = R"({"composition": {"width": 8, "height": 8, "frameRate": 23.976},
    "camera": {"position": [0, 0, -100], "pointOfInterest": [{"t": 0, "v": [0, 0, 0]}], "zoom": 50},
    "layers": [{"name": "a", "parent": "b", "color": [1, [{"t": 0, "v": 2}], 3]}, {"name": "b", "type": "null"}],
    "effect": {"overlapBlend": [{"t": 0, "v": "Add"}], "sunAzimuth": 45, "cloudPrefixOnly": false},
    "render": {"frames": "0-2", "depth": 16, "resolution": "half", "command": "smart"}})";
    ASSERT_EQ(errorOf(full), "");
    int errors = 0;
    for (std::size_t n = 0; n < full.size(); ++n) {
        errors += !errorOf(full.substr(0, n)).empty();
        for (char c : {'"', '{', ']', '0', '-', ','}) {
            std::string damaged = full;
            damaged[n] = c;
            errorOf(damaged);
        }
    }
    EXPECT_EQ(errors, static_cast<int>(full.size())); // no prefix is a complete scene
}

} // namespace
} // namespace nebulastra::scenehost
