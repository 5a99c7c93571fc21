// Three small frames rendered end to end, through the scene host and the effect library as built,
// compared bit for bit with reference files in tests/data: only a stored picture notices that the
// whole chain (snapshot, capture, preparation, march, compositing, output) still draws what it drew,
// and that the Windows build (which uses no platform maths whose rounding could differ) draws the
// same, on every render path (ctest runs them once per path). Changing a file is a decision: regenerate it on purpose and review the new picture with
//   NEBULASTRA_WRITE_REFERENCE=1 build/linux/bin/nebulastra_tests --gtest_filter='ReferenceFrame.*'

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "raw_frame/raw_frame.h"
#include "render/simd/isa_override.h"
#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using raw_frame::FloatFrame;
using scenehost::SceneHost;

// Three coloured clouds in Screen mode through the default camera at frame 3 (a non-zero evolution
// phase), with self-shadow, a low sun, a texture and per-cloud random scale, rotation and opacity.
const char* kCameraScene = R"({
  "composition": {"width": 40, "height": 24, "frameRate": 24}, "camera": {},
  "layers": [
    {"name": "cloud red", "type": "light", "position": [14, 14, 0], "color": [1, 0.2, 0.1]},
    {"name": "BG", "type": "solid"},
    {"name": "cloud green", "type": "light", "lightType": "spot", "position": [26, 14, 4],
     "color": [0.2, 1, 0.3], "intensity": 80},
    {"name": "cloud blue", "type": "light", "lightType": "parallel", "position": [20, 8, -3],
     "color": [0.2, 0.4, 1], "shadowDarkness": 70}],
  "effect": {"overlapBlend": "Screen", "cloudSize": 30, "density": 160, "selfShadow": 120, "sunAzimuth": 30,
             "sunElevation": 25, "textureType": "Billows", "textureStrength": 60, "scaleRandomX": 20,
             "rotationRandomY": 15, "opacityRandom": 20, "randomSeed": 7, "billowDetail": 3}
})";

// No camera: the view from z = -1e5, where the bound-sphere clip is most sensitive to operation
// order (|oc|^2 near 1e10). Quarter resolution, Average blend, Puffy billows, eroded texture.
const char* kOrthoScene = R"({
  "composition": {"width": 96, "height": 60, "frameRate": 24},
  "layers": [
    {"name": "A", "type": "light", "position": [34, 32, 0], "color": [1, 0.85, 0.6]},
    {"name": "B", "type": "light", "position": [62, 27, 6], "color": [0.5, 0.7, 1], "intensity": 120}],
  "effect": {"cloudSize": 30, "billowMap": "Puffy", "textureType": "Erosion", "qualitySteps": 32},
  "render": {"resolution": "quarter"}
})";

// Motion blur: the layer's motion blur on and the default shutter (180 degrees from -90), one light
// crossing at 16 pixels a frame and one still, at frame 2. The sub-frames are summed and divided
// by the effect itself, so this frame also holds the average to the same bits on every path and
// both systems.
const char* kBlurScene = R"({
  "composition": {"width": 40, "height": 24, "frameRate": 24}, "camera": {},
  "layer": {"motionBlur": true},
  "layers": [
    {"name": "cloud pulled", "type": "light", "position": [[{"t": 0, "v": -12}, {"t": 1, "v": 372}], 10, 0],
     "color": [1, 0.8, 0.6]},
    {"name": "cloud still", "type": "light", "position": [30, 16, 5], "color": [0.5, 0.7, 1]}],
  "effect": {"cloudSize": 25, "density": 160, "billowDetail": 3, "overlapBlend": "Lighten"}
})";

struct ReferenceCase {
    const char* name; // the file is tests/data/reference_<name>.nbrf
    const char* sceneText;
    std::int32_t frame;
};

std::string referencePath(const ReferenceCase& c) {
    return std::string(NEBULASTRA_SOURCE_DIR) + "/tests/data/reference_" + c.name + ".nbrf";
}

// One scene rendered at 32 bits (the row workers' tests hold the integer depths against it).
FloatFrame renderFloat(const ReferenceCase& c) {
    SceneHost host(scenefile::parseScene(c.sceneText, c.name));
    host.start();
    host.scene().render.depth = 32;
    EXPECT_EQ(host.requestFrame(c.frame), 0);
    const scenehost::HostWorld& out = host.output();
    EXPECT_EQ(out.poisonCount(), 0);
    EXPECT_TRUE(host.clean()) << host.report();
    FloatFrame image;
    image.width = out.width();
    image.height = out.height();
    for (std::int32_t y = 0; y < out.height(); ++y) {
        for (std::int32_t x = 0; x < out.width(); ++x) {
            const scenehost::ArgbF p = out.pixelFloat(x, y);
            image.argb.insert(image.argb.end(), {p.alpha, p.red, p.green, p.blue});
        }
    }
    return image;
}

void checkAgainstReference(const ReferenceCase& c) {
    // ctest runs these once per render path, naming it in NEBULASTRA_ISA; the effect would quietly
    // take another path where the processor lacks the one asked for, so such a run is skipped.
    const char* path = std::getenv(kIsaEnvironmentVariable);
    Isa requested;
    if (path != nullptr && parseIsa(path, requested) && !isaSupported(requested, readCpuFeatures()))
        GTEST_SKIP() << "this processor has no " << path << " path";
    const bool write = std::getenv("NEBULASTRA_WRITE_REFERENCE") != nullptr;
    const FloatFrame rendered = renderFloat(c);
    if (write) {
        raw_frame::writeRawFrame(referencePath(c), rendered);
        GTEST_SKIP() << "reference written to " << referencePath(c);
    }

    const FloatFrame reference = raw_frame::readRawFrame(referencePath(c));
    const raw_frame::FrameDifference d = raw_frame::compareFrames(rendered, reference, 0.0, 0.0);
    std::printf("[ reference ] %s %dx%d: %zu of %zu channels differ, largest absolute %.3g (pixel %d,%d "
                "channel %d), largest relative %.3g\n",
                c.name, reference.width, reference.height, d.differing, d.channels, d.maxAbsolute, d.worstX,
                d.worstY, d.worstChannel, d.maxRelative);
    if (d.differing != 0) {
        const std::string actual =
            (std::filesystem::temp_directory_path() / (std::string("reference_") + c.name + ".actual.nbrf"))
                .string();
        raw_frame::writeRawFrame(actual, rendered);
        ADD_FAILURE() << "the frame does not match " << referencePath(c)
                      << " bit for bit; the rendered frame is in " << actual;
    }

    // The reference is a picture, not a flat frame: red and blue exchanged, or the picture one
    // pixel off, change a good part of it.
    FloatFrame swapped = reference;
    for (std::size_t i = 0; i < swapped.argb.size(); i += 4)
        std::swap(swapped.argb[i + 1], swapped.argb[i + 3]);
    EXPECT_GT(raw_frame::compareFrames(swapped, reference, 0.0, 0.0).differing, reference.argb.size() / 8);
    FloatFrame shifted = reference;
    for (std::size_t i = 4; i < shifted.argb.size(); ++i) shifted.argb[i] = reference.argb[i - 4];
    EXPECT_GT(raw_frame::compareFrames(shifted, reference, 0.0, 0.0).differing, reference.argb.size() / 4);
}

TEST(ReferenceFrame, ThreeLightsThroughTheCamera) { checkAgainstReference({"camera", kCameraScene, 3}); }

TEST(ReferenceFrame, TwoLightsWithoutACamera) { checkAgainstReference({"ortho", kOrthoScene, 0}); }

TEST(ReferenceFrame, AMotionBlurredLight) { checkAgainstReference({"blur", kBlurScene, 2}); }

} // namespace
} // namespace nebulastra
