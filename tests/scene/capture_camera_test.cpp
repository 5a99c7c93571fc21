// The camera as scene capture stores it: unit axes divided by their lengths, the degenerate-row
// fallback, and the answers that leave the frame without a camera.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "scene/scene_capture.h"

namespace nebulastra {
namespace {

using scenehost::SceneHost;
using testing::captureFrame;
using testing::sceneFromJson;

std::string compWithCamera(const std::string& camera, int width = 1920, int height = 1080) {
    return R"({"composition": {"width": )" + std::to_string(width) + R"(, "height": )" +
           std::to_string(height) +
           R"(, "frameRate": 24}, "layer": {"width": 24, "height": 16}, "camera": )" + camera + "}";
}

void expectVec(const float v[3], float x, float y, float z, const char* what) {
    EXPECT_EQ(v[0], x) << what;
    EXPECT_EQ(v[1], y) << what;
    EXPECT_EQ(v[2], z) << what;
}

TEST(CaptureCamera, StoresTheCameraAlikeAtFullAndReducedResolution) {
    // The reference camera: at the origin, looking down +z, 2666.7 pixels to the image plane.
    scenehost::Scene sc = sceneFromJson(
        compWithCamera(R"({"position": [0, 0, 0], "pointOfInterest": [0, 0, 500], "zoom": 2666.7})"));
    for (int downsample : {1, 2}) {
        sc.render.downsample = downsample;
        SceneHost host(sc);
        const RenderSettings s = captureFrame(host, 0);
        ASSERT_TRUE(s.camera.valid) << downsample;
        expectVec(s.camera.right, 1, 0, 0, "right");
        expectVec(s.camera.down, 0, 1, 0, "down");
        expectVec(s.camera.forward, 0, 0, 1, "forward");
        expectVec(s.camera.position, 0, 0, 0, "position");
        EXPECT_EQ(s.camera.zoom, 2666.7f);
        EXPECT_TRUE(host.clean()) << host.report();
    }
}

TEST(CaptureCamera, NormalisesEachAxisByDivisionAndConvertsThePosition) {
    SceneHost host(sceneFromJson(compWithCamera(
        R"({"matrix": [[3, 4, 0, 0], [0, -2, 0, 0], [1, 1, 3, 0], [960.25, -540.5, -2666.7, 1]], "zoom": 1000})")));
    const RenderSettings s = captureFrame(host, 0);
    ASSERT_TRUE(s.camera.valid);
    expectVec(s.camera.right, 0.6f, 0.8f, 0.0f, "right");
    expectVec(s.camera.down, 0.0f, -1.0f, 0.0f, "down");
    // Dividing by the length; multiplying by its reciprocal would give 0.904534042 for z.
    expectVec(s.camera.forward, 0.301511347f, 0.301511347f, 0.904533982f, "forward");
    expectVec(s.camera.position, 960.25f, -540.5f, -2666.7f, "position");
    EXPECT_EQ(s.camera.zoom, 1000.0f);
}

TEST(CaptureCamera, RowsOfNoLengthBecomeTheZAxis) {
    // Row 0 is zero, row 1 sits exactly at the 1e-8 limit, row 2 just above it.
    SceneHost host(sceneFromJson(compWithCamera(
        R"({"matrix": [[0, 0, 0, 0], [1e-8, 0, 0, 0], [0, 2e-8, 0, 0], [0, 0, 0, 1]], "zoom": 1000})")));
    const RenderSettings s = captureFrame(host, 0);
    ASSERT_TRUE(s.camera.valid);
    expectVec(s.camera.right, 0, 0, 1, "right");
    expectVec(s.camera.down, 0, 0, 1, "down");
    expectVec(s.camera.forward, 0, 1, 0, "forward");
}

TEST(CaptureCamera, UnusableAnswersLeaveTheFrameWithoutACamera) {
    const std::string lookAt = R"({"position": [0, 0, -100], "pointOfInterest": [0, 0, 0], "zoom": )";
    struct Case {
        const char* what;
        std::string json;
    };
    const Case cases[] = {
        {"no camera", compWithCamera("null")},
        {"camera unreadable", compWithCamera(R"({"zoom": null})")},
        {"zero distance", compWithCamera(lookAt + "0}")},
        {"negative distance", compWithCamera(lookAt + "-50}")},
    };
    for (const Case& c : cases) {
        SceneHost host(sceneFromJson(c.json));
        EXPECT_FALSE(captureFrame(host, 0).camera.valid) << c.what;
        EXPECT_TRUE(host.clean()) << host.report();
    }

    scenehost::Scene sc = sceneFromJson(compWithCamera(lookAt + "100}"));
    {
        SceneHost host(sc);
        host.failCall("AEGP_GetEffectCameraMatrix", 1);
        EXPECT_FALSE(captureFrame(host, 0).camera.valid) << "host error";
    }
    // The image-plane size (the composition's) only decides validity.
    for (auto [w, h] : {std::pair{0, 1080}, std::pair{1920, 0}}) {
        scenehost::Scene flat = sc;
        flat.composition.width = w;
        flat.composition.height = h;
        SceneHost host(flat);
        EXPECT_FALSE(captureFrame(host, 0).camera.valid) << w << "x" << h;
    }
    sc.camera->zoom = scenehost::Track{{{0.0, std::nan("")}}};
    SceneHost host(sc);
    EXPECT_FALSE(captureFrame(host, 0).camera.valid) << "NaN distance";
}

} // namespace
} // namespace nebulastra
