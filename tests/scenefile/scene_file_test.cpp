// Loading scene files: defaults, every class of error with its one-line message, and robustness
// against arbitrary input.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "scenefile/scene_eval.h"
#include "scenefile/scene_file.h"
#include "scenefile/scene_params.h"

namespace nebulastra::scenefile {
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

TEST(SceneFile, ReadsEverySection) {
    const Scene s = parseScene(R"({
    "composition": {"width": 1920, "height": 1080, "shutterAngle": 720, "shutterPhase": -360},
    "layer": {"width": 800},
    "camera": {"zoom": [{"t": 0, "v": 1000}, {"t": 1, "v": 2000}]},
    "layers": [
      {"name": "cloud A", "type": "light", "lightType": "spot", "color": [0.5, 0.25, 2],
       "intensity": [{"t": 0, "v": 0}, {"t": 2, "v": 200}], "shadowDarkness": null,
       "enabled": false, "inPoint": 1, "outPoint": 2, "parent": "N"},
      {"name": "N", "type": "null", "position": [10, 20, 30]},
      {"name": null, "type": "solid", "enabled": null}
    ],
    "effect": {"billowMap": 3},
    "render": {"frames": "3-7", "depth": 32, "resolution": "third", "command": "render"}
  })",
                               "s.json");
    EXPECT_EQ(std::make_tuple(s.layerWidth, s.layerHeight),
              std::make_tuple(800, 1080)); // height: the composition's
    EXPECT_EQ(std::make_pair(s.composition.shutterAngle, s.composition.shutterPhase),
              std::make_pair(720.0, -360.0));
    ASSERT_EQ(s.layers.size(), 3u);
    EXPECT_EQ(s.layers[0].lightType, LightType::Spot);
    EXPECT_EQ(lightColor(s.layers[0], 0), (Vec3{0.5, 0.25, 2}));
    EXPECT_EQ(lightIntensity(s.layers[0], 0.5), 50.0);
    EXPECT_FALSE(lightShadowDarkness(s.layers[0], 0).has_value());
    EXPECT_EQ(s.layers[0].parent, 1);
    EXPECT_FALSE(s.layers[2].name.has_value());
    EXPECT_FALSE(layerIsActive(s.layers[2], 0).has_value());
    EXPECT_EQ(s.effect.at(15).keys[0].v, 3.0); // a popup by its 1-based index
    const RenderSpec& r = s.render;
    EXPECT_EQ(std::make_tuple(r.firstFrame, r.lastFrame, r.depth, r.downsample, r.command),
              std::make_tuple(3, 7, 32, 3, RenderCommand::Render));
    // The default camera position backs away by the (animated) zoom.
    ASSERT_TRUE(s.camera.has_value());
    EXPECT_EQ(evaluateTrack3(*s.camera->position, 0.5), (Vec3{960, 540, -1500}));
}

TEST(SceneFile, TimeBaseFollowsTheFrameRate) {
    for (const auto& [rate, scale, step] : {std::tuple{"24", 24u, 1},
                                            {"30.0", 30u, 1},
                                            {"23.976", 24000u, 1001},
                                            {"29.97", 30000u, 1001},
                                            {"59.94", 60000u, 1001}}) {
        const Scene s = parseScene(std::string(R"({"composition": {"width": 4, "height": 4, "frameRate": )") +
                                       rate + "}}",
                                   "s.json");
        EXPECT_EQ(s.composition.timeBase.timeScale, scale) << rate;
        EXPECT_EQ(s.composition.timeBase.timeStep, step) << rate;
    }
}

// Each error class: the full message, or (where the tail explains a list) its beginning.
TEST(SceneFile, ErrorsNameTheFilePathAndExpectation) {
    struct Case {
        std::string text;
        std::string message;
    };
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
}

// What one scene may ask of a render machine, at the boundaries: the largest layer, frame range,
// layer count and keyframe count pass, one more is refused with a one-line message; and a message
// about an absurd value stays one short line.
std::string repeated(const std::string& item, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += (i == 0 ? "" : ",") + item;
    return out;
}

TEST(SceneFile, LargestRequestsPassAndOneMoreIsRefused) {
    struct Case {
        std::string largest, tooLarge, message;
    };
    const std::string comp = R"("composition": {"width": 8, "height": 8})";
    const Case cases[] = {
        {R"({"composition": {"width": 8192, "height": 8192}})",
         R"({"composition": {"width": 8193, "height": 8192}})",
         "s.json: /composition: the effect's layer may have at most 67108864 pixels (8192 x 8192), got 8193 "
         "x 8192"},
        {"{" + comp + R"(, "layer": {"width": 16384, "height": 4096}})",
         "{" + comp + R"(, "layer": {"width": 16384, "height": 4097}})",
         "s.json: /layer: the effect's layer may"},
        {"{" + comp + R"(, "render": {"frames": "5-100004"}})",
         "{" + comp + R"(, "render": {"frames": "5-100005"}})",
         "s.json: /render/frames: expected at most 100000 frames in one render, got 100001"},
        {"{" + comp + R"(, "layers": [)" + repeated(R"({"type": "null"})", 1000) + "]}",
         "{" + comp + R"(, "layers": [)" + repeated(R"({"type": "null"})", 1001) + "]}",
         "s.json: /layers: expected at most 1000 layers, got 1001"},
        {"{" + comp + R"(, "effect": {"density": [)" + repeated(R"({"t": 0, "v": 1})", 10000) + "]}}",
         "{" + comp + R"(, "effect": {"density": [)" + repeated(R"({"t": 0, "v": 1})", 10001) + "]}}",
         "s.json: /effect/density: expected at most 10000 keyframes, got 10001"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf(c.largest), "") << c.message;
        EXPECT_EQ(errorOf(c.tooLarge).rfind(c.message, 0), 0u) << errorOf(c.tooLarge);
    }
}

} // namespace
} // namespace nebulastra::scenefile
