// nebulastra-render end to end: the built program renders a tiny scene, and its files are read
// back with libpng's and OpenEXR's own readers (and the raw float frames with the reference-frame
// reader) and compared with the same frame rendered in this process through the scene host.
// Native only: the Windows tool is held against the native one by windows_frame_check.sh.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <Imath/half.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <tuple>

#include "raw_frame/raw_frame.h"
#include "render/simd/isa.h"
#include "render/simd/isa_override.h"
#include "render_tool/isa_option.h"
#include "scenefile/scene_file.h"
#include "scenehost/scene_host.h"
#include "tools/tool_process.h"

namespace nebulastra::tool_test {
namespace {

// A cloud filling the middle of a 24 x 16 frame seen through the default camera.
const char* kTinyScene = R"({
  "composition": {"width": 24, "height": 16, "frameRate": 24},
  "camera": {},
  "layers": [{"name": "cloud", "type": "light", "position": [12, 8, 0], "color": [1, 0.6, 0.3]}],
  "effect": {"cloudSize": 40, "qualitySteps": 16}
})";

// A scratch folder holding the tiny scene; `scene` is its path.
struct SceneDir : TempDir {
    std::string scene = (path / "tiny.json").string();
    SceneDir() { std::ofstream(scene) << kTinyScene; }
};

// The frame as the scene host renders it in this process.
scenehost::HostWorld renderHere(int depth) {
    scenefile::Scene s = scenefile::parseScene(kTinyScene, "tiny.json");
    s.render.depth = depth;
    scenehost::SceneHost host(s);
    host.start();
    EXPECT_EQ(host.requestFrame(0), 0);
    EXPECT_GT(host.output().pixel(12, 8).alpha, 0.0f) << "the cloud should cover the middle";
    return std::move(host.output());
}

// Straight colour from premultiplied: round(c * full / a), at most full, 0 where a = 0.
unsigned straight(unsigned c, unsigned a, unsigned full) {
    return a == 0 ? 0u : std::min(full, (c * full + a / 2) / a);
}

// A PNG holds the world's pixels from (left, top) on as straight RGBA at the world's depth (the
// host's 16-bit full scale is 32768, PNG's 65535).
void expectPngShows(const PngImage& png, const scenehost::HostWorld& world, int left, int top) {
    ASSERT_TRUE(png.ok);
    for (int y = 0; y < static_cast<int>(png.height); ++y) {
        for (int x = 0; x < static_cast<int>(png.width); ++x) {
            unsigned want[4], got[4];
            if (png.bitDepth == 8) {
                const scenehost::Argb8 p = world.pixel8(left + x, top + y);
                const unsigned w[4] = {straight(p.red, p.alpha, 255), straight(p.green, p.alpha, 255),
                                       straight(p.blue, p.alpha, 255), p.alpha};
                std::copy(w, w + 4, want);
                for (int c = 0; c < 4; ++c) got[c] = png.bytes[(y * png.width + x) * 4 + c];
            } else {
                const scenehost::Argb16 p = world.pixel16(left + x, top + y);
                const unsigned a = p.alpha;
                const unsigned w[4] = {straight(p.red, a, 65535), straight(p.green, a, 65535),
                                       straight(p.blue, a, 65535),
                                       std::min(65535u, (a * 65535u + 16384u) / 32768u)};
                std::copy(w, w + 4, want);
                const png_byte* q = &png.bytes[(y * png.width + x) * 8];
                for (int c = 0; c < 4; ++c) got[c] = q[2 * c] * 256u + q[2 * c + 1];
            }
            for (int c = 0; c < 4; ++c) ASSERT_EQ(got[c], want[c]) << x << "," << y << " channel " << c;
        }
    }
}

TEST(RenderTool, IntegerFramesBecomeStraightRgbaPngAtTheirDepth) {
    SceneDir dir;
    for (int depth : {8, 16}) {
        SCOPED_TRACE(std::to_string(depth) + "-bit");
        // The 16-bit output name has no extension: the tool adds it.
        const std::string out = (dir.path / (depth == 8 ? "out8.png" : "out16")).string();
        std::string errors;
        ASSERT_EQ(runTool(dir, dir.scene + " --depth " + std::to_string(depth) + " -o " + out, &errors), 0)
            << errors;
        const PngImage png = readPng(depth == 8 ? out : out + ".png");
        EXPECT_EQ(std::make_tuple(png.width, png.height, png.bitDepth, png.colorType),
                  std::make_tuple(24u, 16u, depth, PNG_COLOR_TYPE_RGB_ALPHA));
        expectPngShows(png, renderHere(depth), 0, 0);
    }
}

// A file OpenEXR's own reader opens: its windows, its channels and their samples over the data
// window, as floats.
struct ExrImage {
    Imath::Box2i display, data;
    std::vector<std::tuple<std::string, Imf::PixelType>> channels;
    std::vector<float> rgba; // data window, rows top to bottom
    int width() const { return data.max.x - data.min.x + 1; }
    int height() const { return data.max.y - data.min.y + 1; }
};

ExrImage readExr(const fs::path& path) {
    Imf::InputFile file(path.c_str());
    ExrImage image;
    image.display = file.header().displayWindow();
    image.data = file.header().dataWindow();
    for (auto it = file.header().channels().begin(); it != file.header().channels().end(); ++it)
        image.channels.emplace_back(it.name(), it.channel().type);
    image.rgba.assign(static_cast<std::size_t>(image.width()) * image.height() * 4, -1.0f);
    Imf::FrameBuffer frame;
    const char* names[4] = {"R", "G", "B", "A"};
    for (int c = 0; c < 4; ++c) {
        frame.insert(names[c], Imf::Slice::Make(Imf::FLOAT, image.rgba.data() + c, image.data,
                                                4 * sizeof(float), 4 * sizeof(float) * image.width()));
    }
    file.setFrameBuffer(frame);
    file.readPixels(image.data.min.y, image.data.max.y);
    return image;
}

// The data window holds the float world's premultiplied samples at the same place.
void expectExrShows(const ExrImage& exr, const scenehost::HostWorld& world, bool halfFloats) {
    for (int y = 0; y < exr.height(); ++y) {
        for (int x = 0; x < exr.width(); ++x) {
            const scenehost::ArgbF p = world.pixelFloat(exr.data.min.x + x, exr.data.min.y + y);
            const float want[4] = {p.red, p.green, p.blue, p.alpha};
            for (int c = 0; c < 4; ++c) {
                const float expected = halfFloats ? static_cast<float>(half(want[c])) : want[c];
                ASSERT_EQ(exr.rgba[(y * exr.width() + x) * 4 + c], expected)
                    << x << "," << y << " channel " << c;
            }
        }
    }
}

TEST(RenderTool, FloatFramesBecomePremultipliedExr) {
    SceneDir dir;
    const scenehost::HostWorld world = renderHere(32);
    for (const auto& [flag, type] : {std::pair{"", Imf::FLOAT}, std::pair{" --half", Imf::HALF}}) {
        SCOPED_TRACE(flag);
        std::string errors;
        const fs::path out = dir.path / "f.exr";
        ASSERT_EQ(runTool(dir, dir.scene + " --depth 32" + flag + " -o " + out.string(), &errors), 0)
            << errors;
        const ExrImage exr = readExr(out);
        using Channels = std::vector<std::tuple<std::string, Imf::PixelType>>;
        EXPECT_EQ(exr.channels, (Channels{{"A", type}, {"B", type}, {"G", type}, {"R", type}}));
        ASSERT_EQ(exr.data, Imath::Box2i({0, 0}, {23, 15}));
        expectExrShows(exr, world, type == Imf::HALF);
    }
}

// --scene-linear: alpha is the effect's to the bit, and encoding each straight colour again
// (the curve's other direction) and premultiplying gives back the effect's display values.
TEST(RenderTool, SceneLinearExrRoundTripsToTheEffectsValues) {
    SceneDir dir;
    const scenehost::HostWorld world = renderHere(32);
    const fs::path out = dir.path / "linear.exr";
    std::string errors;
    ASSERT_EQ(runTool(dir, dir.scene + " --depth 32 --scene-linear -o " + out.string(), &errors), 0)
        << errors;
    const ExrImage exr = readExr(out);
    const auto encode = [](double v) {
        return v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055;
    };
    int partlyCovered = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            const scenehost::ArgbF p = world.pixelFloat(x, y);
            const float* q = &exr.rgba[(y * 24 + x) * 4];
            ASSERT_EQ(q[3], p.alpha) << x << "," << y;
            const float display[3] = {p.red, p.green, p.blue};
            for (int c = 0; c < 3; ++c) {
                const double back = p.alpha > 0 ? encode(q[c] / p.alpha) * p.alpha : encode(q[c]);
                ASSERT_NEAR(back, display[c], 2e-6) << x << "," << y << " channel " << c;
                if (display[c] > 0.05f && display[c] < 0.95f * p.alpha) { // straight colour within 0..1
                    EXPECT_LT(q[c], display[c]) << "linear light is below its display value";
                }
            }
            partlyCovered += p.alpha > 0.05f && p.alpha < 0.95f;
        }
    }
    EXPECT_GT(partlyCovered, 0) << "the scene should have soft edges to un-premultiply";
}

// --background: every pixel opaque; where the effect drew nothing, the backdrop's own colour
// (the sky's top colour on the top row, its bottom colour on the bottom row); elsewhere the
// clouds over it.
TEST(RenderTool, BackgroundMakesAnOpaquePreview) {
    SceneDir dir;
    const scenehost::HostWorld world = renderHere(8);
    ASSERT_EQ(world.pixel8(0, 0).alpha, 0);
    ASSERT_EQ(world.pixel8(0, 15).alpha, 0);
    std::string errors;
    const fs::path plain = dir.path / "plain.png", sky = dir.path / "sky.png";
    ASSERT_EQ(runTool(dir, dir.scene + " --background #336699 -o " + plain.string(), &errors), 0) << errors;
    ASSERT_EQ(runTool(dir, dir.scene + " --background sky -o " + sky.string(), &errors), 0) << errors;
    const PngImage png = readPng(plain);
    ASSERT_TRUE(png.ok);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            const png_byte* q = &png.bytes[(y * 24 + x) * 4];
            const scenehost::Argb8 p = world.pixel8(x, y);
            ASSERT_EQ(q[3], 255);
            const int behind[3] = {0x33, 0x66, 0x99};
            const int drawn[3] = {p.red, p.green, p.blue};
            for (int c = 0; c < 3; ++c) {
                // premultiplied colour + backdrop x (1 - alpha), rounded, at most white
                ASSERT_NEAR(q[c], std::min(255.0, drawn[c] + behind[c] * (255 - p.alpha) / 255.0), 0.5)
                    << x << "," << y;
            }
        }
    }
    const PngImage gradient = readPng(sky);
    ASSERT_TRUE(gradient.ok);
    const png_byte* top = &gradient.bytes[0];
    const png_byte* bottom = &gradient.bytes[15 * 24 * 4];
    EXPECT_EQ(std::vector<int>(top, top + 4), (std::vector<int>{0x2c, 0x5a, 0x8c, 255}));
    EXPECT_EQ(std::vector<int>(bottom, bottom + 4), (std::vector<int>{0x9f, 0xc3, 0xe6, 255}));

    // OpenEXR: the same over, in float.
    const fs::path exrPath = dir.path / "grey.exr";
    ASSERT_EQ(runTool(dir, dir.scene + " --depth 32 --background grey -o " + exrPath.string(), &errors), 0);
    const scenehost::HostWorld floats = renderHere(32);
    const ExrImage exr = readExr(exrPath);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            const scenehost::ArgbF p = floats.pixelFloat(x, y);
            const float* q = &exr.rgba[(y * 24 + x) * 4];
            ASSERT_EQ(q[3], 1.0f);
            ASSERT_NEAR(q[0], p.red + 0.5 * (1 - p.alpha), 1e-6) << x << "," << y;
        }
    }
}

// Raw float frames hold the rendered samples' bits, alpha first.
TEST(RenderTool, RawFloatFramesHoldTheRenderedBits) {
    SceneDir dir;
    const fs::path out = dir.path / "f.nbrf";
    std::string errors;
    ASSERT_EQ(runTool(dir, dir.scene + " --depth 32 -o " + out.string(), &errors), 0) << errors;
    const raw_frame::FloatFrame image = raw_frame::readRawFrame(out.string());
    ASSERT_EQ(image.width, 24);
    ASSERT_EQ(image.height, 16);
    const scenehost::HostWorld world = renderHere(32);
    for (int i = 0; i < 24 * 16; ++i) {
        const scenehost::ArgbF p = world.pixelFloat(i % 24, i / 24);
        const float want[4] = {p.alpha, p.red, p.green, p.blue};
        ASSERT_EQ(std::memcmp(&image.argb[i * 4], want, sizeof want), 0)
            << "pixel " << i % 24 << "," << i / 24;
    }
}

TEST(RenderTool, IsaOptionRefusesPathsTheProcessorLacks) {
    render_tool::IsaSupport sse2Only;
    sse2Only.sse2 = true;
    EXPECT_EQ(render_tool::isaVariableFor("auto", sse2Only), nullptr);
    EXPECT_STREQ(render_tool::isaVariableFor("scalar", sse2Only), "scalar");
    EXPECT_STREQ(render_tool::isaVariableFor("sse2", sse2Only), "sse2");
    try {
        render_tool::isaVariableFor("avx2", sse2Only);
        ADD_FAILURE() << "avx2 accepted on an SSE2-only processor";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "--isa avx2: this processor (or its operating system) cannot run the avx2 path; "
                     "it can run scalar, sse2");
    }
    // The tool steers the library through the variable the library reads.
    EXPECT_STREQ(render_tool::kIsaVariable, kIsaEnvironmentVariable);
    // The processor's own answer agrees with the effect's reading of it.
    const render_tool::IsaSupport here = render_tool::processorIsaSupport();
    const CpuFeatures cpu = readCpuFeatures();
    EXPECT_EQ(here.sse2, isaSupported(Isa::Sse2, cpu));
    EXPECT_EQ(here.avx2, isaSupported(Isa::Avx2, cpu));
    EXPECT_EQ(here.avx512, isaSupported(Isa::Avx512, cpu));
}

// Status 2 is the user's mistake (scene file, command line), status 1 the effect's or the file
// system's failure; either way one line on stderr that names what failed, and no file left behind.
TEST(RenderTool, FailuresExitWithTheirStatusAndOneLine) {
    SceneDir dir;
    std::ofstream(dir.path / "orphan.json")
        << R"({"composition": {"width": 24, "height": 16}, "layers": [{"parent": "Null 9"}]})";
    const std::string tiny = dir.scene;
    const std::string png = (dir.path / "out.png").string(), out = " -o " + png;
    const std::string failing = (toolPath().parent_path() / "failing_effect.so").string();
    const std::string missingDir = (dir.path / "no" / "such" / "dir" / "f.png").string();
    const std::string noSuchFile = std::strerror(ENOENT);
    fs::create_directory(dir.path / "folder.png");
    // With the failing effect, a check made after rendering would report the effect's error.
    const std::string failFast = " --effect " + failing + " -o ";
    struct Case {
        std::string args;
        int status;
        std::string start;
    };
    const Case cases[] = {
        {(dir.path / "orphan.json").string() + out, 2,
         (dir.path / "orphan.json").string() + ": /layers/0/parent: unknown parent \"Null 9\""},
        {(dir.path / "missing.json").string() + out, 2,
         (dir.path / "missing.json").string() + ": cannot open the scene file: " + noSuchFile},
        {dir.path.string() + out, 2,
         dir.path.string() + ": cannot read the scene file: " + std::strerror(EISDIR)},
        {tiny + " --set Seed=3" + out, 2,
         "--set Seed: unknown effect key \"Seed\" (did you mean \"billowSeed\" or \"randomSeed\" or "
         "\"textureSeed\"?)"},
        {tiny + " --set fog=3" + out, 2,
         "--set fog: unknown effect key \"fog\" (docs/scene-format.md lists the keys)"},
        {tiny + " --scene-linear" + out, 2, png + ": --scene-linear applies to OpenEXR output only"},
        {tiny + " --background skies" + out, 2, "--background: expected sky, black, white, grey or"},
        {tiny + " --depth 32 --background sky -o " + (dir.path / "out.nbrf").string(), 2,
         (dir.path / "out.nbrf").string() + ": --background applies to PNG and OpenEXR output"},
        {tiny + " --set density" + out, 2, "--set density: expected key=value"},
        {tiny + " --depth 12" + out, 2, "--depth: expected 8, 16 or 32"},
        {tiny + " --frames 0-3" + out, 2, png + ": several frames need a run of '#'"},
        {tiny + " --depth 32" + out, 2, png + ": a 32-bit frame is written as .exr"},
        {tiny + " -o " + (dir.path / "out.exr").string(), 2,
         (dir.path / "out.exr").string() + ": an 8-bit frame is written as .png"},
        {tiny + " --depth 32 --half -o " + (dir.path / "out.nbrf").string(), 2,
         (dir.path / "out.nbrf").string() + ": --half applies to OpenEXR output only"},
        {tiny + " --isa avx3" + out, 2, "--isa avx3: expected auto, scalar, sse2, avx2 or avx512"},
        {tiny + " --region 1,2,3" + out, 2, "--region 1,2,3: expected X,Y,W,H"},
        {tiny + " --region 1,2,0,4" + out, 2, "--region 1,2,0,4: expected X,Y,W,H"},
        {tiny + " --region 24,0,4,4" + out, 2, "--region 24,0,4,4: lies outside the 24 x 16 frame"},
        {tiny + " --resolution half --region 0,8,4,4" + out, 2,
         "--region 0,8,4,4: lies outside the 12 x 8 frame"},
        {tiny + " --command render --region 0,0,4,4" + out, 2, "--region: only the smart render command"},
        {tiny + " --effect " + failing + out, 1, tiny + ": frame 0: the effect returned error 4"},
        {tiny + " --effect " + (dir.path / "missing.so").string() + out, 1,
         "cannot load effect " + (dir.path / "missing.so").string()},
        {tiny + failFast + missingDir, 1,
         missingDir + ": cannot create files in " + (dir.path / "no" / "such" / "dir").string() + ": " +
             noSuchFile},
        {tiny + failFast + (dir.path / "folder.png").string(), 1,
         (dir.path / "folder.png").string() + ": is a folder"},
        {tiny + " -o " + dir.path.string(), 2, dir.path.string() + ": is a folder"},
    };
    for (const Case& c : cases) {
        std::string errors;
        EXPECT_EQ(runTool(dir, c.args, &errors), c.status) << c.args;
        EXPECT_EQ(errors.rfind(c.start, 0), 0u) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
    for (const char* name : {"out.png", "out.exr", "out.nbrf"}) EXPECT_FALSE(fs::exists(dir.path / name));
}

// --region renders only part of the frame: OpenEXR keeps the frame as display window and the
// region (cut to the frame) as data window; PNG holds the region alone. Its pixels are the whole
// frame's at the same place.
TEST(RenderTool, RegionWritesPartOfTheFrameInPlace) {
    SceneDir dir;
    const scenehost::HostWorld whole = renderHere(32);
    struct Case {
        std::string region;
        Imath::Box2i data; // expected data window, inclusive
    };
    for (const Case& c : {Case{"5,3,10,7", {{5, 3}, {14, 9}}}, Case{"-4,10,9,20", {{0, 10}, {4, 15}}},
                          Case{"23,0,1,1", {{23, 0}, {23, 0}}}}) {
        SCOPED_TRACE(c.region);
        const fs::path out = dir.path / "region.exr";
        std::string errors;
        ASSERT_EQ(
            runTool(dir, dir.scene + " --depth 32 --region " + c.region + " -o " + out.string(), &errors), 0)
            << errors;
        const ExrImage exr = readExr(out);
        EXPECT_EQ(exr.display, Imath::Box2i({0, 0}, {23, 15}));
        ASSERT_EQ(exr.data, c.data);
        expectExrShows(exr, whole, false);
    }

    const fs::path png = dir.path / "region.png";
    std::string errors;
    ASSERT_EQ(runTool(dir, dir.scene + " --region 5,3,10,7 -o " + png.string(), &errors), 0) << errors;
    const PngImage image = readPng(png);
    ASSERT_EQ(image.width, 10u);
    ASSERT_EQ(image.height, 7u);
    expectPngShows(image, renderHere(8), 5, 3);
}

} // namespace
} // namespace nebulastra::tool_test

#endif // _WIN32
