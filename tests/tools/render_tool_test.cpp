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
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "render/reference_image.h"
#include "render/simd/isa.h"
#include "render_tool/isa_option.h"
#include "scenehost/scene_file.h"
#include "scenehost/scene_host.h"

namespace nebulastra {
namespace {

namespace fs = std::filesystem;

// A cloud filling the middle of a 24 x 16 frame seen through the default camera.
const char* kTinyScene = R"({
  "composition": {"width": 24, "height": 16, "frameRate": 24},
  "camera": {},
  "layers": [{"name": "cloud", "type": "light", "position": [12, 8, 0], "color": [1, 0.6, 0.3]}],
  "effect": {"cloudSize": 40, "qualitySteps": 16}
})";

fs::path toolPath() { return fs::read_symlink("/proc/self/exe").parent_path() / "nebulastra-render"; }

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "nebulastra-render-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

std::string readText(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs the tool with `args`; returns its exit status and its stderr in `errors`.
int runTool(const TempDir& dir, const std::string& args, std::string* errors = nullptr) {
    const fs::path errFile = dir.path / "stderr.txt";
    const std::string command = toolPath().string() + " " + args + " 2> " + errFile.string();
    const int status = std::system(command.c_str());
    if (errors != nullptr) *errors = readText(errFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The frame as the scene host renders it in this process.
scenehost::HostWorld renderHere(int depth) {
    scenehost::Scene s = scenehost::parseScene(kTinyScene, "tiny.json");
    s.render.depth = depth;
    scenehost::SceneHost host(s);
    host.start();
    EXPECT_EQ(host.requestFrame(0), 0);
    return std::move(host.output());
}

struct PngImage {
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    std::vector<png_byte> bytes; // rows top to bottom, samples as stored (16-bit big-endian)
    bool ok = false;
};

// libpng's own reader, nothing of the tool's code.
PngImage readPng(const fs::path& path) {
    PngImage image;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return image;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        image.ok = false;
        return image;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_get_IHDR(png, info, &image.width, &image.height, &image.bitDepth, &image.colorType, nullptr, nullptr,
                 nullptr);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    image.bytes.resize(rowBytes * image.height);
    rows.resize(image.height);
    for (png_uint_32 y = 0; y < image.height; ++y) rows[y] = image.bytes.data() + rowBytes * y;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    image.ok = true;
    return image;
}

// Straight colour from premultiplied: round(c * full / a), at most full, 0 where a = 0.
unsigned straight(unsigned c, unsigned a, unsigned full) {
    return a == 0 ? 0u : std::min(full, (c * full + a / 2) / a);
}

TEST(RenderTool, IntegerFramesBecomeStraightRgbaPngAtTheirDepth) {
    TempDir dir;
    writeText(dir.path / "tiny.json", kTinyScene);
    for (int depth : {8, 16}) {
        SCOPED_TRACE(std::to_string(depth) + "-bit");
        // The 16-bit output name has no extension: the tool adds it.
        const std::string out = (dir.path / (depth == 8 ? "out8.png" : "out16")).string();
        std::string errors;
        ASSERT_EQ(
            runTool(dir,
                    (dir.path / "tiny.json").string() + " --depth " + std::to_string(depth) + " -o " + out,
                    &errors),
            0)
            << errors;
        const PngImage png = readPng(depth == 8 ? out : out + ".png");
        ASSERT_TRUE(png.ok);
        EXPECT_EQ(png.width, 24u);
        EXPECT_EQ(png.height, 16u);
        EXPECT_EQ(png.bitDepth, depth);
        EXPECT_EQ(png.colorType, PNG_COLOR_TYPE_RGB_ALPHA);

        // The host's 16-bit full scale is 32768; PNG's is 65535.
        const scenehost::HostWorld world = renderHere(depth);
        ASSERT_GT(world.pixel(12, 8).alpha, 0.0f) << "the cloud should cover the middle";
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 24; ++x) {
                unsigned want[4], got[4];
                if (depth == 8) {
                    const scenehost::Argb8 p = world.pixel8(x, y);
                    const unsigned a = p.alpha;
                    const unsigned w[4] = {straight(p.red, a, 255), straight(p.green, a, 255),
                                           straight(p.blue, a, 255), a};
                    std::copy(w, w + 4, want);
                    for (int c = 0; c < 4; ++c) got[c] = png.bytes[(y * 24 + x) * 4 + c];
                } else {
                    const scenehost::Argb16 p = world.pixel16(x, y);
                    const unsigned a = p.alpha;
                    const unsigned w[4] = {straight(p.red, a, 65535), straight(p.green, a, 65535),
                                           straight(p.blue, a, 65535),
                                           std::min(65535u, (a * 65535u + 16384u) / 32768u)};
                    std::copy(w, w + 4, want);
                    const png_byte* q = &png.bytes[(y * 24 + x) * 8];
                    for (int c = 0; c < 4; ++c) got[c] = q[2 * c] * 256u + q[2 * c + 1];
                }
                for (int c = 0; c < 4; ++c) ASSERT_EQ(got[c], want[c]) << x << "," << y << " channel " << c;
            }
        }
    }
}

// OpenEXR's reader: channel types, size, and every premultiplied sample.
void expectExrMatches(const fs::path& path, Imf::PixelType type, const scenehost::HostWorld& world) {
    Imf::InputFile file(path.c_str());
    const Imath::Box2i window = file.header().dataWindow();
    ASSERT_EQ(window.max.x - window.min.x + 1, 24);
    ASSERT_EQ(window.max.y - window.min.y + 1, 16);
    std::vector<float> rgba(24 * 16 * 4);
    Imf::FrameBuffer frame;
    const char* names[4] = {"R", "G", "B", "A"};
    int channels = 0;
    for (auto it = file.header().channels().begin(); it != file.header().channels().end(); ++it) ++channels;
    EXPECT_EQ(channels, 4);
    for (int c = 0; c < 4; ++c) {
        const Imf::Channel* channel = file.header().channels().findChannel(names[c]);
        ASSERT_NE(channel, nullptr) << names[c];
        EXPECT_EQ(channel->type, type);
        frame.insert(names[c], Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(rgba.data() + c),
                                          4 * sizeof(float), 4 * sizeof(float) * 24));
    }
    file.setFrameBuffer(frame);
    file.readPixels(window.min.y, window.max.y);
    ASSERT_GT(world.pixelFloat(12, 8).alpha, 0.0f);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 24; ++x) {
            const scenehost::ArgbF p = world.pixelFloat(x, y);
            const float want[4] = {p.red, p.green, p.blue, p.alpha};
            for (int c = 0; c < 4; ++c) {
                const float expected = type == Imf::HALF ? static_cast<float>(half(want[c])) : want[c];
                ASSERT_EQ(rgba[(y * 24 + x) * 4 + c], expected) << x << "," << y << " channel " << c;
            }
        }
    }
}

TEST(RenderTool, FloatFramesBecomePremultipliedExr) {
    TempDir dir;
    writeText(dir.path / "tiny.json", kTinyScene);
    const std::string scene = (dir.path / "tiny.json").string();
    std::string errors;
    ASSERT_EQ(runTool(dir, scene + " --depth 32 -o " + (dir.path / "f.exr").string(), &errors), 0) << errors;
    ASSERT_EQ(runTool(dir, scene + " --depth 32 --half -o " + (dir.path / "h.exr").string(), &errors), 0)
        << errors;
    const scenehost::HostWorld world = renderHere(32);
    expectExrMatches(dir.path / "f.exr", Imf::FLOAT, world);
    expectExrMatches(dir.path / "h.exr", Imf::HALF, world);
}

// Raw float frames hold the rendered samples' bits, alpha first, whichever render path drew them.
TEST(RenderTool, RawFloatFramesHoldTheSamplesOfEveryRenderPath) {
    TempDir dir;
    writeText(dir.path / "tiny.json", kTinyScene);
    const scenehost::HostWorld world = renderHere(32);
    ASSERT_GT(world.pixelFloat(12, 8).alpha, 0.0f);
    const CpuFeatures cpu = readCpuFeatures();
    for (const char* isa : {"auto", "scalar", "sse2", "avx2", "avx512"}) {
        Isa parsed = Isa::Scalar;
        if (parseIsa(isa, parsed) && !isaSupported(parsed, cpu)) continue;
        SCOPED_TRACE(isa);
        const fs::path out = dir.path / (std::string(isa) + ".nbrf");
        std::string errors;
        ASSERT_EQ(
            runTool(dir,
                    (dir.path / "tiny.json").string() + " --depth 32 --isa " + isa + " -o " + out.string(),
                    &errors),
            0)
            << errors;
        const testing::FloatImage image = testing::readReferenceImage(out.string());
        ASSERT_EQ(image.width, 24);
        ASSERT_EQ(image.height, 16);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 24; ++x) {
                const scenehost::ArgbF p = world.pixelFloat(x, y);
                const float* got = &image.argb[(y * 24 + x) * 4];
                const float want[4] = {p.alpha, p.red, p.green, p.blue};
                for (int c = 0; c < 4; ++c)
                    ASSERT_EQ(std::memcmp(&got[c], &want[c], 4), 0) << x << "," << y << " channel " << c;
            }
        }
    }
}

TEST(RenderTool, IsaOptionRefusesPathsTheProcessorLacks) {
    CpuFeatures sse2Only;
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
}

TEST(RenderTool, SeveralFramesFollowTheHashPattern) {
    TempDir dir;
    writeText(dir.path / "tiny.json", kTinyScene);
    const std::string scene = (dir.path / "tiny.json").string();
    std::string errors;
    ASSERT_EQ(runTool(dir, scene + " --frames 8-10 --resolution half -o " + (dir.path / "f_##.png").string(),
                      &errors),
              0)
        << errors;
    EXPECT_EQ(errors, ""); // no progress output when stderr is not a terminal
    for (const char* name : {"f_08.png", "f_09.png", "f_10.png"}) {
        const PngImage png = readPng(dir.path / name);
        ASSERT_TRUE(png.ok) << name;
        EXPECT_EQ(png.width, 12u); // half resolution
        EXPECT_EQ(png.height, 8u);
    }
    EXPECT_FALSE(fs::exists(dir.path / "f_07.png"));
    EXPECT_FALSE(fs::exists(dir.path / "f_11.png"));
}

TEST(RenderTool, UserErrorsExitWithStatusTwoAndOneLine) {
    TempDir dir;
    writeText(dir.path / "tiny.json", kTinyScene);
    writeText(dir.path / "broken.json", R"({"composition": {"width": 24, "height": 16}, "layers": [)");
    writeText(dir.path / "orphan.json",
              R"({"composition": {"width": 24, "height": 16}, "layers": [{"parent": "Null 9"}]})");
    const std::string tiny = (dir.path / "tiny.json").string();
    const std::string out = " -o " + (dir.path / "out.png").string();
    struct Case {
        std::string args;
        std::string start;
    };
    const Case cases[] = {
        {(dir.path / "broken.json").string() + out, (dir.path / "broken.json").string() + ": malformed JSON"},
        {(dir.path / "orphan.json").string() + out,
         (dir.path / "orphan.json").string() + ": /layers/0/parent: unknown parent \"Null 9\""},
        {(dir.path / "missing.json").string() + out, (dir.path / "missing.json").string() + ": cannot open"},
        {tiny + " --set densty=3" + out, "--set densty: unknown effect key \"densty\""},
        {tiny + " --depth 12" + out, "--depth: expected 8, 16 or 32"},
        {tiny + " --frames 0-3" + out,
         (dir.path / "out.png").string() + ": several frames need a run of '#'"},
        {tiny + " --depth 32" + out, (dir.path / "out.png").string() + ": a 32-bit frame is written as .exr"},
        {tiny + " -o " + (dir.path / "out.exr").string(),
         (dir.path / "out.exr").string() + ": an 8-bit frame is written as .png"},
        {tiny + " --depth 32 --half -o " + (dir.path / "out.nbrf").string(),
         (dir.path / "out.nbrf").string() + ": --half applies to OpenEXR output only"},
        {tiny + " --isa avx3" + out, "--isa avx3: expected auto, scalar, sse2, avx2 or avx512"},
        {tiny + " --region 1,2,3" + out, "--region 1,2,3: expected X,Y,W,H"},
        {tiny + " --region 1,2,0,4" + out, "--region 1,2,0,4: expected X,Y,W,H"},
        {tiny + " --region 1,2,x,4" + out, "--region 1,2,x,4: expected X,Y,W,H"},
        {tiny + " --region 24,0,4,4" + out, "--region 24,0,4,4: lies outside the 24 x 16 frame"},
        {tiny + " --resolution half --region 0,8,4,4" + out,
         "--region 0,8,4,4: lies outside the 12 x 8 frame"},
        {tiny + " --command render --region 0,0,4,4" + out, "--region: only the smart render command"},
    };
    for (const Case& c : cases) {
        std::string errors;
        EXPECT_EQ(runTool(dir, c.args, &errors), 2) << c.args;
        EXPECT_EQ(errors.rfind(c.start, 0), 0u) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
    EXPECT_FALSE(fs::exists(dir.path / "out.png"));
    EXPECT_FALSE(fs::exists(dir.path / "out.exr"));
    EXPECT_FALSE(fs::exists(dir.path / "out.nbrf"));
}

// A file OpenEXR's own reader opens: its windows and its samples over the data window, as floats.
struct ExrImage {
    Imath::Box2i display, data;
    std::vector<float> rgba; // data window, rows top to bottom
    int width() const { return data.max.x - data.min.x + 1; }
    int height() const { return data.max.y - data.min.y + 1; }
};

ExrImage readExr(const fs::path& path) {
    Imf::InputFile file(path.c_str());
    ExrImage image;
    image.display = file.header().displayWindow();
    image.data = file.header().dataWindow();
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

// --region renders only part of the frame: OpenEXR keeps the frame as display window and the
// region (cut to the frame) as data window; PNG holds the region alone. Its pixels are the whole
// frame's at the same place.
TEST(RenderTool, RegionWritesPartOfTheFrameInPlace) {
    TempDir dir;
    writeText(dir.path / "tiny.json", kTinyScene);
    const std::string scene = (dir.path / "tiny.json").string();
    const scenehost::HostWorld whole = renderHere(32);
    struct Case {
        std::string region;
        int left, top, right, bottom;
    }; // expected data window, inclusive
    for (const Case& c :
         {Case{"5,3,10,7", 5, 3, 14, 9}, Case{"-4,10,9,20", 0, 10, 4, 15}, Case{"23,0,1,1", 23, 0, 23, 0}}) {
        SCOPED_TRACE(c.region);
        const fs::path out = dir.path / "region.exr";
        std::string errors;
        ASSERT_EQ(runTool(dir, scene + " --depth 32 --region " + c.region + " -o " + out.string(), &errors),
                  0)
            << errors;
        const ExrImage exr = readExr(out);
        EXPECT_EQ(exr.display.min, Imath::V2i(0, 0));
        EXPECT_EQ(exr.display.max, Imath::V2i(23, 15));
        ASSERT_EQ(exr.data.min, Imath::V2i(c.left, c.top));
        ASSERT_EQ(exr.data.max, Imath::V2i(c.right, c.bottom));
        for (int y = 0; y < exr.height(); ++y) {
            for (int x = 0; x < exr.width(); ++x) {
                const scenehost::ArgbF p = whole.pixelFloat(c.left + x, c.top + y);
                const float want[4] = {p.red, p.green, p.blue, p.alpha};
                for (int k = 0; k < 4; ++k)
                    ASSERT_EQ(exr.rgba[(y * exr.width() + x) * 4 + k], want[k]) << x << "," << y;
            }
        }
    }

    const scenehost::HostWorld whole8 = renderHere(8);
    const fs::path png = dir.path / "region.png";
    std::string errors;
    ASSERT_EQ(runTool(dir, scene + " --region 5,3,10,7 -o " + png.string(), &errors), 0) << errors;
    const PngImage image = readPng(png);
    ASSERT_TRUE(image.ok);
    ASSERT_EQ(image.width, 10u);
    ASSERT_EQ(image.height, 7u);
    int covered = 0;
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 10; ++x) {
            const scenehost::Argb8 p = whole8.pixel8(5 + x, 3 + y);
            const unsigned want[4] = {straight(p.red, p.alpha, 255), straight(p.green, p.alpha, 255),
                                      straight(p.blue, p.alpha, 255), p.alpha};
            for (int k = 0; k < 4; ++k)
                ASSERT_EQ(image.bytes[(y * 10 + x) * 4 + k], want[k]) << x << "," << y;
            covered += p.alpha > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(covered, 10) << "the region should show part of the cloud";
}

// Status 1 is the effect's or the file system's failure, not the user's: one line on stderr, no
// file left behind.
TEST(RenderTool, EffectAndFileFailuresExitWithStatusOne) {
    TempDir dir;
    writeText(dir.path / "tiny.json", kTinyScene);
    const std::string tiny = (dir.path / "tiny.json").string();
    const fs::path failing = toolPath().parent_path() / "failing_effect.so";
    ASSERT_TRUE(fs::exists(failing));
    const fs::path missingDir = dir.path / "no" / "such" / "dir";
    struct Case {
        std::string args;
        std::string says;
    };
    const Case cases[] = {
        {tiny + " --effect " + failing.string() + " -o " + (dir.path / "f.png").string(),
         "frame 0: the effect returned error 4"},
        {tiny + " --effect " + (dir.path / "missing.so").string() + " -o " + (dir.path / "f.png").string(),
         (dir.path / "missing.so").string()},
        {tiny + " -o " + (missingDir / "f.png").string(), (missingDir / "f.png").string()},
        {tiny + " --depth 32 -o " + (missingDir / "f.exr").string(), (missingDir / "f.exr").string()},
    };
    for (const Case& c : cases) {
        std::string errors;
        EXPECT_EQ(runTool(dir, c.args, &errors), 1) << c.args;
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
    EXPECT_FALSE(fs::exists(dir.path / "f.png"));
}

} // namespace
} // namespace nebulastra

#endif // _WIN32
