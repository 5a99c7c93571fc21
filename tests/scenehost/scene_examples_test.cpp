// The example scenes shipped in examples/ load, and say what their names promise.
#include <gtest/gtest.h>

#include <string>

#include "scenehost/scene_eval.h"
#include "scenehost/scene_file.h"
#include "scenehost/scene_params.h"

namespace nebulastra::scenehost {
namespace {

Scene example(const std::string& name) {
    return loadSceneFile(std::string(NEBULASTRA_SOURCE_DIR) + "/examples/" + name);
}

TEST(SceneExamples, EveryExampleLoadsAsDescribed) {
    const Scene white = example("single_white_cloud.json");
    ASSERT_EQ(white.layers.size(), 1u);
    EXPECT_EQ(lightColor(white.layers[0], 0), (Vec3{1, 1, 1}));
    EXPECT_TRUE(cameraAt(white, 0).has_value());

    const Scene screen = example("three_lights_screen.json");
    EXPECT_EQ(evaluateStepped(screen.effect.at(findEffectKey("overlapBlend")->index), 0), 3.0); // Screen
    int lights = 0;
    for (const Layer& layer : screen.layers) lights += layer.type == LayerType::Light;
    EXPECT_EQ(lights, 3);

    const Scene sunset = example("sunset_tower.json");
    auto value = [&](const char* key) {
        return evaluateTrack(sunset.effect.at(findEffectKey(key)->index), 0);
    };
    EXPECT_LT(value("sunElevation"), 15.0); // a low sun
    EXPECT_GT(value("selfShadow"), 100.0);
    EXPECT_GT(value("tower"), 80.0);
    EXPECT_EQ(sunset.render.depth, 32);

    const Scene ortho = example("ortho_erosion.json");
    EXPECT_FALSE(ortho.camera.has_value());
    EXPECT_EQ(evaluateStepped(ortho.effect.at(findEffectKey("textureType")->index), 0), 3.0); // Erosion

    const Scene drifting = example("drifting_pair.json");
    EXPECT_EQ(drifting.render.lastFrame, 11);
    const double t = secondsOf(frameCurrentTime(drifting.composition.timeBase, 6),
                               drifting.composition.timeBase.timeScale);
    const auto position = layerWorldPosition(drifting, 0, t);
    ASSERT_TRUE(position.has_value());
    EXPECT_GT((*position)[0], 130.0); // carried right by its parent
}

} // namespace
} // namespace nebulastra::scenehost
