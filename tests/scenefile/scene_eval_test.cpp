// Evaluating a scene at a time: keyframes, parenting, the camera and the effect values in host
// units. (Layer activity and the default camera are seen through scene capture and the reference
// frames.)
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <tuple>

#include "host/host_abi.h"
#include "scenefile/scene_eval.h"
#include "scenefile/scene_file.h"
#include "scenefile/scene_params.h"
#include "scenehost/scene_host.h"

namespace nebulastra::scenefile {
namespace {

using scenehost::SceneHost;

Scene load(const std::string& members) {
    return parseScene(R"({"composition": {"width": 1920, "height": 1080}, )" + members + "}", "s.json");
}

void expectVec(const Vec3& got, const Vec3& want, double tolerance = 1e-12) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << "component " << i;
}

// Linear between keys, held before the first and after the last; two keys at one time jump to the
// later. Stepped evaluation holds the earlier key.
TEST(SceneEval, KeyframesInterpolateAndHold) {
    const Track track{{{1.0, 10.0}, {3.0, 30.0}, {3.0, 50.0}, {4.0, 60.0}}};
    for (auto [t, linear, stepped] :
         {std::tuple{0.0, 10.0, 10.0}, std::tuple{2.5, 25.0, 10.0}, std::tuple{3.0, 50.0, 50.0},
          std::tuple{3.5, 55.0, 50.0}, std::tuple{9.0, 60.0, 60.0}}) {
        EXPECT_EQ(evaluateTrack(track, t), linear) << t;
        EXPECT_EQ(evaluateStepped(track, t), stepped) << t;
    }
}

TEST(SceneEval, ParentsAddTheirPositionsNested) {
    const Scene s = load(R"("layers": [
      {"name": "light", "position": [1, 2, 3], "parent": "inner"},
      {"name": "inner", "type": "null", "parent": "outer",
       "position": [{"t": 0, "v": [0, 0, 0]}, {"t": 2, "v": [100, 0, 0]}]},
      {"name": "outer", "type": "null", "position": [0, [{"t": 0, "v": 10}, {"t": 1, "v": 20}], 0]},
      {"name": "outer", "type": "null", "position": [999, 999, 999]},
      {"name": "orphan", "parent": "broken"},
      {"name": "broken", "type": "null", "position": null}
  ])");
    expectVec(*layerWorldPosition(s, 0, 1.0), {51, 22, 3}); // the topmost "outer" is the parent
    expectVec(*layerWorldPosition(s, 0, 5.0), {101, 22, 3});
    EXPECT_FALSE(layerWorldPosition(s, 4, 0.0).has_value()); // unreadable parent position
    EXPECT_FALSE(layerWorldPosition(s, 6, 0.0).has_value());
    EXPECT_FALSE(layerWorldPosition(s, -1, 0.0).has_value());
}

TEST(SceneEval, CameraAnimatesAndCanBeUnreadable) {
    const Scene s = load(R"("camera": {"position": [{"t": 0, "v": [0, 0, -100]}, {"t": 2, "v": [0, 0, -300]}],
                               "pointOfInterest": [0, 0, 0]})");
    EXPECT_EQ(cameraAt(s, 1.0)->matrix[3][2], -200.0);

    for (const char* camera :
         {R"("camera": null)", R"("camera": {"zoom": null})", R"("camera": {"position": null})",
          R"("camera": {"pointOfInterest": null})", R"("camera": {"matrix": null})"}) {
        EXPECT_FALSE(cameraAt(load(camera), 0.0).has_value()) << camera;
    }
    EXPECT_FALSE(cameraAt(parseScene(R"({"composition": {"width": 4, "height": 4}})", "s"), 0.0).has_value());

    // An axis without a direction is reported as zeros: looking straight down the y axis leaves no
    // right axis, hence no down axis; the point of interest on the camera leaves none at all.
    const auto down =
        cameraAt(load(R"("camera": {"position": [0, -100, 0], "pointOfInterest": [0, 0, 0]})"), 0.0);
    const auto onIt =
        cameraAt(load(R"("camera": {"position": [5, 5, 5], "pointOfInterest": [5, 5, 5]})"), 0.0);
    ASSERT_TRUE(down.has_value() && onIt.has_value());
    for (int r = 0; r < 3; ++r) {
        expectVec({down->matrix[r][0], down->matrix[r][1], down->matrix[r][2]}, {0, r == 2 ? 1.0 : 0.0, 0});
        expectVec({onIt->matrix[r][0], onIt->matrix[r][1], onIt->matrix[r][2]}, {0, 0, 0});
    }
}

// Scene keys follow the names of the effect's controls: a key ends with its control's name in
// lower case without spaces or brackets ("Seed" is randomSeed or textureSeed), so a key bound to
// the wrong parameter shows. The "Emitters" checkbox is the one exception: its key says what it
// does.
TEST(SceneEval, KeysNameTheControlsTheyReach) {
    for (const EffectKey& k : effectKeys()) {
        EXPECT_EQ(findEffectKey(k.key), &k) << k.key;
        if (k.index == kParamEmitters) continue;
        std::string key, name;
        for (char c : k.key) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const char* c = paramSpec(k.index).name; *c != '\0'; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c))) name += static_cast<char>(std::tolower(*c));
        EXPECT_TRUE(key.size() >= name.size() &&
                    key.compare(key.size() - name.size(), name.size(), name) == 0)
            << k.key << " reaches \"" << paramSpec(k.index).name << "\"";
    }
}

// The host hands out the scene's values in the type the effect declared, converted but never
// clamped: checked out of a started host at 0.5 s (frame 12) and 1 s (frame 24).
TEST(SceneEval, HostValuesConvertUnitsWithoutClamping) {
    SceneHost host(load(R"("effect": {
      "qualitySteps": -0.5, "billowDetail": 2.5, "rotateX": 765, "rotateY": -7.62939453125e-06,
      "rotateZ": [{"t": 0, "v": 0}, {"t": 2, "v": 90}], "overlapBlend": 9, "billowMap": "Clumps",
      "density": 1234.5678, "cloudSize": -3, "textureType": [{"t": 0, "v": "Billows"}, {"t": 1, "v": 3}],
      "cloudPrefixOnly": [{"t": 0, "v": false}, {"t": 1, "v": true}]})"));
    host.start();
    EXPECT_EQ(host.paramAt(2, 12).u.sd.value, -1); // halves round away from zero
    EXPECT_EQ(host.paramAt(18, 12).u.sd.value, 3);
    EXPECT_EQ(host.paramAt(36, 12).u.ad.value, 50135040); // several turns stay as given
    EXPECT_EQ(host.paramAt(37, 12).u.ad.value, -1);       // -0.5 / 65536 degrees: away from zero
    EXPECT_EQ(host.paramAt(38, 12).u.ad.value, 1474560);  // 22.5 degrees: interpolated in degrees
    EXPECT_EQ(host.paramAt(9, 12).u.pd.value, 9);         // the host does not clamp
    EXPECT_EQ(host.paramAt(15, 12).u.pd.value, 4);
    EXPECT_EQ(host.paramAt(3, 12).u.fs_d.value, 1234.5678);
    EXPECT_EQ(host.paramAt(12, 12).u.fs_d.value, -3.0);
    EXPECT_EQ(host.paramAt(51, 12).u.pd.value, 2); // popups and the checkbox hold the earlier key
    EXPECT_EQ(host.paramAt(7, 12).u.bd.value, 0);
    EXPECT_EQ(host.paramAt(38, 24).u.ad.value, 2949120);
    EXPECT_EQ(host.paramAt(51, 24).u.pd.value, 3);
    EXPECT_EQ(host.paramAt(7, 24).u.bd.value, 1);
    EXPECT_EQ(host.paramAt(4, 24).u.fs_d.value, 100.0); // unset: the declared default
    EXPECT_TRUE(host.clean()) << host.report();

    EXPECT_EQ(roundToInt32(1e300), 2147483647);
    EXPECT_EQ(roundToInt32(-1e300), -2147483647 - 1);
}

} // namespace
} // namespace nebulastra::scenefile
