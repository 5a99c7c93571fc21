// The example scenes shipped in examples/ load, and say what their names promise.
#include <gtest/gtest.h>

#include <string>

#include "scenehost/scene_eval.h"
#include "scenehost/scene_file.h"
#include "scenehost/scene_params.h"

namespace nebulastra::scene {
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
    EXPECT_EQ(hostParamValues(screen, 0)[findEffectKey("overlapBlend")->index].intValue, 3);
    int lights = 0;
    for (const Layer& layer : screen.layers) lights += layer.type == LayerType::Light;
    EXPECT_EQ(lights, 3);

    const Scene sunset = example("sunset_tower.json");
    const auto values = hostParamValues(sunset, 0);
    EXPECT_LT(values[findEffectKey("sunElevation")->index].intValue, 15 * 65536); // a low sun
    EXPECT_GT(values[findEffectKey("selfShadow")->index].floatValue, 100.0);
    EXPECT_GT(values[findEffectKey("tower")->index].floatValue, 80.0);
    EXPECT_EQ(sunset.render.depth, 32);

    const Scene ortho = example("ortho_erosion.json");
    EXPECT_FALSE(ortho.camera.has_value());
    EXPECT_EQ(hostParamValues(ortho, 0)[findEffectKey("textureType")->index].intValue, 3);

    const Scene drifting = example("drifting_pair.json");
    EXPECT_EQ(drifting.render.lastFrame, 11);
    const double t = secondsOf(frameCurrentTime(drifting.composition.timeBase, 6),
                               drifting.composition.timeBase.timeScale);
    const auto position = layerWorldPosition(drifting, 0, t);
    ASSERT_TRUE(position.has_value());
    EXPECT_GT((*position)[0], 130.0); // carried right by its parent
}

} // namespace
} // namespace nebulastra::scene
