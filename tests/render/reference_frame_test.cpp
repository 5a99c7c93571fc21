// Two small frames rendered end to end, through the scene host and the effect library as built,
// compared with reference files in tests/data.
//
// Why a reference file: every other renderer test checks one stage against a rule. Only a stored
// picture notices that the whole chain (snapshot, scene capture, frame preparation, the march,
// compositing, output) still draws what it drew before a refactor, and that the Windows build
// draws what the native build draws. The files pin the picture; changing them is a decision, made
// by regenerating them on purpose and reviewing the new picture.
//
// Every build must match the references bit for bit: the render uses no C library maths function
// whose rounding could differ between platforms (exp, pow, cbrt, sin and cos are our own,
// correctly rounded, and square roots are IEEE exact), so the native library and the Windows
// plug-in under Wine draw identical frames.
//
// Regenerate the references (from any build; the native one is the quickest):
//   NEBULASTRA_WRITE_REFERENCE=1 build/linux/bin/nebulastra_tests --gtest_filter='ReferenceFrame.*'
// This writes tests/data/reference_*.nbrf in the source tree and skips the comparison.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "reference_image.h"
#include "scenehost/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

using scenehost::SceneHost;
using testing::FloatImage;

// Three coloured clouds overlapping in Screen mode, seen through the default camera at frame 3
// (so the evolution phase is not zero), with self-shadow, a low sun, a texture, and per-cloud
// random scale, rotation and opacity (which put sinf/cosf into the cloud frames). Three octaves
// instead of four keep the three renders of this frame cheap under the sanitizers.
const char* kCameraScene = R"({
  "composition": {"width": 40, "height": 24, "frameRate": 24},
  "camera": {},
  "layers": [
    {"name": "cloud red", "type": "light", "position": [14, 14, 0], "color": [1, 0.2, 0.1]},
    {"name": "BG", "type": "solid"},
    {"name": "cloud green", "type": "light", "lightType": "spot", "position": [26, 14, 4],
     "color": [0.2, 1, 0.3], "intensity": 80},
    {"name": "cloud blue", "type": "light", "lightType": "parallel", "position": [20, 8, -3],
     "color": [0.2, 0.4, 1], "shadowDarkness": 70}
  ],
  "effect": {"overlapBlend": "Screen", "cloudSize": 30, "density": 160, "selfShadow": 120,
             "sunAzimuth": 30, "sunElevation": 25, "textureType": "Billows",
             "textureStrength": 60, "scaleRandomX": 20, "rotationRandomY": 15,
             "opacityRandom": 20, "randomSeed": 7, "billowDetail": 3}
})";

// No camera: the orthographic view from z = -100000, where the clip to the bound sphere is most
// sensitive to operation order (|oc|^2 is about 1e10, float spacing 1024, so how the pixel's own
// offsets are added in decides the entry point; the pixels here lie far enough off the centre for
// that to show). Quarter resolution, Average blend, Puffy billows, eroded texture.
const char* kOrthoScene = R"({
  "composition": {"width": 96, "height": 60, "frameRate": 24},
  "layers": [
    {"name": "A", "type": "light", "position": [34, 32, 0], "color": [1, 0.85, 0.6]},
    {"name": "B", "type": "light", "position": [62, 27, 6], "color": [0.5, 0.7, 1], "intensity": 120}
  ],
  "effect": {"cloudSize": 30, "billowMap": "Puffy", "textureType": "Erosion", "qualitySteps": 32},
  "render": {"resolution": "quarter"}
})";

struct ReferenceCase {
    const char* name; // the file is tests/data/reference_<name>.nbrf
    const char* sceneText;
    std::int32_t frame;
};

const ReferenceCase kCameraCase = {"camera", kCameraScene, 3};
const ReferenceCase kOrthoCase = {"ortho", kOrthoScene, 0};

std::string referencePath(const ReferenceCase& c) {
    return std::string(NEBULASTRA_SOURCE_DIR) + "/tests/data/reference_" + c.name + ".nbrf";
}

// toChannel8 / toChannel16 as the output formats define them: clamp to [0, 1] (NaN and negatives
// to 0), scale, add a half in single precision and truncate.
std::uint32_t toChannel(float c, float fullScale) {
    const float clamped = c >= 0.0f ? (c < 1.0f ? c : 1.0f) : 0.0f;
    return static_cast<std::uint32_t>(clamped * fullScale + 0.5f);
}

// The three renders of one scene, at 32, 16 and 8 bits, from one host.
struct Renders {
    FloatImage floats;
    std::vector<scenehost::Argb16> deep;
    std::vector<scenehost::Argb8> bytes;
};

Renders renderAllDepths(const ReferenceCase& c) {
    SceneHost host(scene::parseScene(c.sceneText, c.name));
    host.start();
    Renders r;
    for (int depth : {32, 16, 8}) {
        host.scene().render.depth = depth;
        EXPECT_EQ(host.renderFrame(c.frame), 0) << depth << " bits";
        const scenehost::HostWorld& out = host.output();
        EXPECT_EQ(out.poisonCount(), 0) << depth << " bits";
        EXPECT_TRUE(host.clean()) << host.report();
        for (std::int32_t y = 0; y < out.height(); ++y) {
            for (std::int32_t x = 0; x < out.width(); ++x) {
                if (depth == 32) {
                    const scenehost::ArgbF p = out.pixelFloat(x, y);
                    r.floats.argb.insert(r.floats.argb.end(), {p.alpha, p.red, p.green, p.blue});
                } else if (depth == 16) {
                    r.deep.push_back(out.pixel16(x, y));
                } else {
                    r.bytes.push_back(out.pixel8(x, y));
                }
            }
        }
        if (depth == 32) {
            r.floats.width = out.width();
            r.floats.height = out.height();
        }
    }
    return r;
}

// The integer renders hold exactly the float render's channels converted: the kernel is the same
// at every depth, so nothing but the conversion may differ.
void expectIntegerRendersMatchFloat(const Renders& r) {
    const std::size_t pixels = r.floats.argb.size() / 4;
    ASSERT_EQ(r.bytes.size(), pixels);
    ASSERT_EQ(r.deep.size(), pixels);
    int mismatches = 0;
    for (std::size_t i = 0; i < r.bytes.size(); ++i) {
        const float* f = &r.floats.argb[i * 4];
        const scenehost::Argb8& p8 = r.bytes[i];
        const scenehost::Argb16& p16 = r.deep[i];
        const std::uint32_t got8[4] = {p8.alpha, p8.red, p8.green, p8.blue};
        const std::uint32_t got16[4] = {p16.alpha, p16.red, p16.green, p16.blue};
        for (int ch = 0; ch < 4; ++ch) {
            const bool ok = got8[ch] == toChannel(f[ch], 255.0f) && got16[ch] == toChannel(f[ch], 32768.0f);
            if (!ok && ++mismatches <= 5) {
                ADD_FAILURE() << "pixel " << i % r.floats.width << "," << i / r.floats.width << " channel "
                              << ch << ": float " << f[ch] << " stored as " << got8[ch] << " (8-bit), "
                              << got16[ch] << " (16-bit)";
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Renders one case at every depth and holds its float frame against the reference file (or, with
// NEBULASTRA_WRITE_REFERENCE set, writes the reference file instead).
void checkAgainstReference(const ReferenceCase& c) {
    const bool write = std::getenv("NEBULASTRA_WRITE_REFERENCE") != nullptr;
    const Renders r = renderAllDepths(c);
    expectIntegerRendersMatchFloat(r);
    if (write) {
        testing::writeReferenceImage(referencePath(c), r.floats);
        GTEST_SKIP() << "reference written to " << referencePath(c);
    }

    const FloatImage reference = testing::readReferenceImage(referencePath(c));
    const testing::FrameDifference d = testing::compareFrames(r.floats, reference, 0.0, 0.0);
    std::printf("[ reference ] %s %dx%d: %zu of %zu channels differ, largest absolute %.3g (pixel %d,%d "
                "channel %d), largest relative %.3g\n",
                c.name, reference.width, reference.height, d.differing, d.channels, d.maxAbsolute, d.worstX,
                d.worstY, d.worstChannel, d.maxRelative);
    if (d.differing != 0) {
        // The frame as rendered, for a look at what changed (same format as the reference).
        const std::string actual =
            (std::filesystem::temp_directory_path() / (std::string("reference_") + c.name + ".actual.nbrf")).string();
        testing::writeReferenceImage(actual, r.floats);
        ADD_FAILURE() << "the frame does not match " << referencePath(c)
                      << " bit for bit; the rendered frame is in " << actual;
    }

    // The reference is a picture, not a blank or flat frame: red and blue exchanged, or the
    // picture one pixel off, change a good part of it.
    FloatImage swapped = reference;
    for (std::size_t i = 0; i < swapped.argb.size(); i += 4) std::swap(swapped.argb[i + 1], swapped.argb[i + 3]);
    EXPECT_GT(testing::compareFrames(swapped, reference, 0.0, 0.0).differing, reference.argb.size() / 8);
    FloatImage shifted = reference;
    for (std::size_t i = 4; i < shifted.argb.size(); ++i) shifted.argb[i] = reference.argb[i - 4];
    EXPECT_GT(testing::compareFrames(shifted, reference, 0.0, 0.0).differing, reference.argb.size() / 4);
}

TEST(ReferenceFrame, ThreeLightsThroughTheCamera) { checkAgainstReference(kCameraCase); }

TEST(ReferenceFrame, TwoLightsWithoutACamera) { checkAgainstReference(kOrthoCase); }

} // namespace
} // namespace nebulastra
