// Every SIMD render path against the kernel at one lane (the scalar path), bit for bit: the noises
// on mixed inputs and whole frames over generated scenes that reach every parameter. All widths
// compile from one source, so what this catches is a result that depends on a lane's neighbours
// (masks, shared cells, packed batches) or on an instruction set. Paths this CPU cannot run are
// reported and skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "render/cloud_field.h"
#include "render/prepared_frame.h"
#include "render/render_fixture.h"
#include "render/render_image.h"
#include "render/render_rows.h"
#include "render/simd/isa.h"
#include "render/simd/packet_kernel.h"
#include "render/simd/simd_paths.h"

namespace nebulastra {
namespace {

using testing::sameValue;
using testing::simdPathsOfThisCpu;

/// Coordinates of every kind the noise meets or must survive: ordinary, negative, large, integer,
/// half-integer, a unit in the last place either side of an integer, and a few non-finite ones.
std::vector<float> mixedCoordinates(std::mt19937& rng, int count) {
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> kind(0, 9);
    std::vector<float> values(static_cast<std::size_t>(count));
    const float inf = std::numeric_limits<float>::infinity();
    const float special[] = {0.0f,          -0.0f,         inf, -inf, std::numeric_limits<float>::quiet_NaN(),
                             2147483520.0f, -2147483648.0f};
    for (float& v : values) {
        const float integer = std::floor(unit(rng) * 1000.0f);
        const float kinds[] = {integer,
                               integer + 0.5f,
                               std::nextafter(integer, integer + 1.0f),
                               std::nextafter(integer, integer - 1.0f),
                               unit(rng) * 3e6f,
                               unit(rng) * 2.2e9f, // beyond the int32 lattice
                               special[static_cast<unsigned>(rng()) % 7u],
                               unit(rng) * 40.0f};
        v = kinds[std::min(kind(rng), 7)]; // kinds 7 to 9: ordinary values
    }
    return values;
}

/// Points in runs of 16 (one chunk of every path) clustered as neighbouring pixels are: all in
/// one lattice cell, straddling one or two cell faces, or with one stray lane far away. The
/// paths evaluate a run that shares a cell differently from one that does not, so both kinds
/// must come out with the one-lookup bits.
struct ClusteredPoints {
    std::vector<float> x, y, z, w;
    int runsInOneCell = 0, runsInTwoCells = 0;
};

ClusteredPoints clusteredPoints(std::mt19937& rng, int count) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    ClusteredPoints p;
    std::vector<float>* axes[4] = {&p.x, &p.y, &p.z, &p.w};
    for (std::vector<float>* axis : axes) axis->resize(static_cast<std::size_t>(count));
    const float spreads[] = {0.0f, 1e-4f, 0.02f, 0.1f, 0.6f};
    for (int first = 0; first < count; first += 16) {
        const int n = std::min(16, count - first);
        const float spread = spreads[rng() % 5u];
        const unsigned straddling = rng() % 8u; // the axis whose cell face the run straddles, if below 4
        float base[4];
        for (unsigned a = 0; a < 4; ++a) {
            // Ordinary, negative, or so large that neighbouring floats are far apart.
            const float scale = (rng() % 4u == 0u) ? 5e6f : 60.0f;
            base[a] = (unit(rng) * 2.0f - 1.0f) * scale;
            if (a == straddling) base[a] = std::floor(base[a]) - spread * 0.5f;
        }
        for (int l = 0; l < n; ++l)
            for (int a = 0; a < 4; ++a) (*axes[a])[first + l] = base[a] + spread * unit(rng);
        if (rng() % 4u == 0u) p.x[first + rng() % static_cast<unsigned>(n)] += 7.0f; // a stray lane
        int cells = 1;
        for (int l = 1; l < n && cells < 3; ++l) {
            int differing = 0;
            for (int a = 0; a < 4; ++a)
                differing += std::floor((*axes[a])[first + l]) != std::floor((*axes[a])[first]) ? 1 : 0;
            if (differing > 0) cells = (cells == 1 && differing == 1) ? 2 : 3;
        }
        p.runsInOneCell += cells == 1 ? 1 : 0;
        p.runsInTwoCells += cells == 2 ? 1 : 0;
    }
    return p;
}

// The first lane where two batches differ (NaN payloads aside), or -1.
int firstMismatch(const std::vector<float>& expected, const std::vector<float>& actual) {
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (!sameValue(expected[i], actual[i])) return static_cast<int>(i);
    return -1;
}

TEST(RenderPaths, NoisesMatchTheScalarFunctionsOnClusteredAndMixedInputs) {
    std::mt19937 rng(20261206u);
    const KernelTable& scalar = kernelFor(Isa::Scalar);
    const std::vector<Isa> paths = simdPathsOfThisCpu();
    for (int32_t seed : {0, 1, -131, 200, 311, INT32_MIN, INT32_MAX, INT32_MAX - 130}) { // 8 x 16384 > 1e5
        ClusteredPoints p = clusteredPoints(rng, 4096);
        // The inputs must exercise both ways: a generator that stopped clustering would leave
        // the shared-cell evaluation untested.
        ASSERT_GT(p.runsInOneCell, 4096 / 16 / 4) << p.runsInTwoCells;
        ASSERT_GT(p.runsInTwoCells, 4096 / 16 / 10) << p.runsInOneCell;
        for (std::vector<float>* axis :
             {&p.x, &p.y, &p.z, &p.w}) { // an odd count: a partial chunk at the end
            const std::vector<float> mixed = mixedCoordinates(rng, 12288 - 3);
            axis->insert(axis->end(), mixed.begin(), mixed.end());
        }
        const int count = static_cast<int>(p.x.size());
        std::vector<float> expected4(count), expected3(count), actual(count);
        scalar.gradientNoise4Batch(p.x.data(), p.y.data(), p.z.data(), p.w.data(), seed, expected4.data(),
                                   count);
        scalar.perlinNoise3Batch(p.x.data(), p.y.data(), p.z.data(), seed, expected3.data(), count);
        for (Isa isa : paths) {
            const KernelTable& simd = kernelFor(isa);
            simd.gradientNoise4Batch(p.x.data(), p.y.data(), p.z.data(), p.w.data(), seed, actual.data(),
                                     count);
            const int i = firstMismatch(expected4, actual);
            EXPECT_EQ(i, -1) << isaName(isa) << " gradientNoise4(" << p.x[i] << ", " << p.y[i] << ", "
                             << p.z[i] << ", " << p.w[i] << ", " << seed << ") = " << actual[i] << ", scalar "
                             << expected4[i];
            simd.perlinNoise3Batch(p.x.data(), p.y.data(), p.z.data(), seed, actual.data(), count);
            const int j = firstMismatch(expected3, actual); // perlinNoise3 ignores w
            EXPECT_EQ(j, -1) << isaName(isa) << " perlinNoise3(" << p.x[j] << ", " << p.y[j] << ", " << p.z[j]
                             << ", " << seed << ") = " << actual[j] << ", scalar " << expected3[j];
        }
    }
}

/// A scene drawn from the whole parameter space: every control, both camera forms, several
/// overlapping lights, downsampled and partial outputs.
struct Scene {
    RenderSettings settings;
    int32_t originX, originY;
};

Scene randomScene(std::mt19937& rng, int index) {
    std::uniform_real_distribution<float> u(0.0f, 1.0f);
    auto pick = [&](float lo, float hi) { return lo + (hi - lo) * u(rng); };
    auto chance = [&](float p) { return u(rng) < p; };

    // 13 x 7 output pixels: odd, so every lane width leaves partial packets at the right edge, and
    // the tiles of 2 and 4 rows end in shorter, wider ones at the bottom (6 rows in a region).
    const int32_t width = 13, height = 7;
    const bool camera = index % 3 != 2;
    // Without a camera the eye is 1e5 pixels away and only large clouds survive the bound clip:
    // those scenes render a 10x downsampled 130 x 70 layer.
    const int32_t downsample = camera ? (index % 2 == 0 ? 1 : 2) : 10;
    RenderSettings s = testing::defaultRenderSettings(width * downsample, height * downsample);
    s.outputWidth = width;
    s.outputHeight = height;
    const float fullW = static_cast<float>(s.fullWidth), fullH = static_cast<float>(s.fullHeight);
    if (camera) testing::setFrontCamera(s, pick(20.0f, 60.0f) * static_cast<float>(downsample));

    s.qualitySteps = static_cast<int32_t>(pick(16.0f, 32.0f));
    s.density = pick(0.2f, 8.0f);
    s.brightness = pick(0.0f, 4.0f);
    s.cloudSizePx = camera ? pick(4.0f, 8.0f) * static_cast<float>(downsample) : pick(36.0f, 50.0f);
    s.edgeSoftness = pick(0.2f, 8.0f);
    const float azimuth = pick(-3.2f, 3.2f), elevation = pick(-1.5f, 1.5f);
    s.sunDirection[0] = std::sin(azimuth) * std::cos(elevation);
    s.sunDirection[1] = -std::sin(elevation);
    s.sunDirection[2] = std::cos(azimuth) * std::cos(elevation);
    s.sunIntensity = pick(0.0f, 4.0f);
    s.ambient = pick(0.0f, 2.0f);
    s.selfShadow = chance(0.2f) ? 0.0f : pick(0.0f, 2.0f);
    s.flattenBase = chance(0.3f) ? 0.0f : (chance(0.3f) ? 1.0f : pick(0.0f, 1.0f));
    s.tower = chance(0.3f) ? 0.0f : pick(0.0f, 1.0f);
    s.edgeErosion = chance(0.3f) ? 0.0f : pick(0.0f, 1.0f);
    s.domainWarp = chance(0.3f) ? 0.0f : pick(0.0f, 1.0f);
    s.edgeHardness = chance(0.3f) ? 0.5f : pick(0.0f, 1.0f);
    s.billowMap = static_cast<NoiseShape>(index % 5); // 4 is outside the known maps and acts as Smooth
    s.billow = pick(0.0f, 2.0f);
    s.billowSize = pick(0.1f, 20.0f);
    s.billowDetail = 1 + index % 6;
    s.billowEvolution = pick(-10.0f, 10.0f);
    s.billowSeed =
        chance(0.2f) ? INT32_MAX - static_cast<int32_t>(rng() % 400u) : static_cast<int32_t>(rng() % 10001u);
    s.worldEvolution = pick(-5.0f, 5.0f);
    s.evolutionSpeed = pick(-1.0f, 1.0f);
    s.timeSeconds = pick(0.0f, 100.0f);
    for (int a = 0; a < 3; ++a) {
        s.scale[a] = a == index % 3 ? pick(0.02f, 4.0f) : pick(0.5f, 1.5f); // one axis from the whole range
        s.rotation[a] = pick(-6.3f, 6.3f);
        s.scaleRandom[a] = pick(0.0f, 1.0f);
        s.rotationRandom[a] = pick(0.0f, 1.0f);
    }
    s.opacityRandom = pick(0.0f, 1.0f);
    s.randomSeed = static_cast<int32_t>(rng() % 10001u);
    s.saturation = chance(0.3f) ? 1.0f : pick(0.0f, 2.0f);
    s.overlapBlend = static_cast<BlendMode>(index % 6);      // 5 is outside the known modes and averages
    s.textureType = static_cast<TextureType>(1 + index % 4); // 4 is outside the known types and acts as Wisps
    s.textureStrength = chance(0.25f) ? 0.0f : pick(0.0f, 1.0f);
    s.textureScale = pick(0.1f, 100.0f);
    s.textureContrast = pick(0.0f, 2.0f);
    s.textureEvolution = pick(-10.0f, 10.0f);
    s.textureSeed = static_cast<int32_t>(rng() % 10001u);

    const int lights = index % 4 == 0 ? 1 + static_cast<int>(rng() % 2u) : 2 + static_cast<int>(rng() % 4u);
    for (int k = 0; k < lights; ++k) {
        const float spread = camera ? 0.3f : 0.15f; // keeps the bound sphere, and the march, short
        testing::addEmitter(s, fullW * pick(0.5f - spread, 0.5f + spread),
                            fullH * pick(0.5f - spread, 0.5f + spread), pick(-1.0f, 1.0f) * s.cloudSizePx,
                            pick(0.0f, 1.2f), pick(0.0f, 1.2f), pick(0.0f, 1.2f), pick(0.2f, 2.0f),
                            pick(0.3f, 1.0f));
    }
    // Some frames are a region of the layer, as the host asks for under a region of interest.
    const bool region = index % 4 == 3;
    return {s, region ? 2 : 0, region ? 1 : 0};
}

std::vector<unsigned char> renderWith(const Scene& scene, const CloudField& field, OutputDepth depth,
                                      Isa isa) {
    const RenderSettings& s = scene.settings;
    const int32_t width = s.outputWidth - scene.originX, height = s.outputHeight - scene.originY;
    const std::ptrdiff_t pixelBytes = depth == OutputDepth::Float ? 16 : depth == OutputDepth::Bits16 ? 8 : 4;
    const std::ptrdiff_t rowbytes = width * pixelBytes + 12; // padded rows
    std::vector<unsigned char> bytes(static_cast<std::size_t>(rowbytes * height), 0xA5);
    const FrameContext context{bytes.data(),        rowbytes, width, scene.originX, scene.originY, &field,
                               pixelStoreFor(depth)};
    kernelFor(isa).shadeRows(RowBand{0, height, context});
    return bytes;
}

// Every path draws the same bits, so the pictures cannot tell which build ran: each build's table
// says which instruction set it was compiled for and how many lanes its packets have (both set
// where the build is compiled), and a frame asks for the process's path.
TEST(RenderPaths, EachPathRunsItsOwnBuild) {
    const Isa isas[] = {Isa::Scalar, Isa::Sse2, Isa::Avx2, Isa::Avx512};
    const int32_t lanes[] = {1, 8, 16, 32};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(kernelFor(isas[i]).isa, isas[i]) << isaName(isas[i]);
        EXPECT_EQ(kernelFor(isas[i]).lanes, lanes[i]) << isaName(isas[i]);
    }
    const CloudField field = makeCloudField(testing::defaultRenderSettings(4, 4));
    const OutputImage image{nullptr, 0, 4, 4, 0, 0, OutputDepth::Float};
    const FrameContext context = frameContext(image, field);
    ASSERT_NE(context.kernel, nullptr);
    EXPECT_EQ(context.kernel->isa, renderIsa());
    EXPECT_TRUE(isaSupported(context.kernel->isa, readCpuFeatures()));
}

// A stop asked for while a build shades a band's rows takes effect at its next packet: the first
// store of the band asks for it, and no further packet is shaded (the rows of the first packet are
// stored, at most a tallest tile's).
std::atomic<bool> gStopAsked{false};
int gStoredRuns = 0;
void storeThenStop(unsigned char*, int32_t, int32_t, const float*, const float*, const float*, const float*) {
    ++gStoredRuns;
    gStopAsked.store(true);
}

TEST(RenderPaths, EveryPathStopsAtTheNextPacket) {
    RenderSettings s = testing::defaultRenderSettings(64, kTallestTile);
    testing::addEmitter(s, 32, 2, 0);
    const CloudField field = makeCloudField(s);
    std::vector<Isa> paths = simdPathsOfThisCpu();
    paths.push_back(Isa::Scalar);
    for (Isa isa : paths) {
        unsigned char unused = 0; // the store writes nothing: every row starts here
        FrameContext context{&unused, 0, 64, 0, 0, &field, storeThenStop};
        gStoredRuns = 0;
        gStopAsked.store(false);
        kernelFor(isa).shadeRows(RowBand{0, kTallestTile, context}); // no stop flag: every packet
        EXPECT_GE(gStoredRuns, 64 * kTallestTile / kernelFor(isa).lanes) << isaName(isa);
        context.stop = &gStopAsked;
        gStoredRuns = 0;
        gStopAsked.store(false);
        kernelFor(isa).shadeRows(RowBand{0, kTallestTile, context});
        EXPECT_GE(gStoredRuns, 1) << isaName(isa);
        EXPECT_LE(gStoredRuns, kTallestTile) << isaName(isa);
    }
}

TEST(RenderPaths, FramesMatchTheScalarKernelOverASweepOfScenes) {
    const std::vector<Isa> paths = simdPathsOfThisCpu();
    std::mt19937 rng(7u);
    int drawnPixels = 0, totalPixels = 0;
    for (int index = 0; index < 18; ++index) {
        const Scene scene = randomScene(rng, index);
        const CloudField field = makeCloudField(scene.settings);
        const std::vector<unsigned char> expected = renderWith(scene, field, OutputDepth::Float, Isa::Scalar);
        for (std::size_t i = 0; i + 16 <= expected.size(); i += 16) {
            float alpha;
            std::memcpy(&alpha, &expected[i], sizeof alpha);
            drawnPixels += alpha > 0.0f ? 1 : 0;
            ++totalPixels;
        }
        for (Isa isa : paths) {
            EXPECT_EQ(renderWith(scene, field, OutputDepth::Float, isa), expected)
                << isaName(isa) << ", scene " << index;
        }
        // The integer depths go through the same kernel; one scene in six checks their stores.
        if (index % 6 == 0) {
            for (OutputDepth depth : {OutputDepth::Bits8, OutputDepth::Bits16}) {
                const std::vector<unsigned char> integer = renderWith(scene, field, depth, Isa::Scalar);
                for (Isa isa : paths) {
                    EXPECT_EQ(renderWith(scene, field, depth, isa), integer)
                        << isaName(isa) << ", scene " << index;
                }
            }
        }
    }
    // The sweep means something only if the clouds cover a fair share of the pixels.
    std::printf("[ sweep    ] %d of %d pixels drawn\n", drawnPixels, totalPixels);
    EXPECT_GT(drawnPixels, totalPixels / 4);
}

} // namespace
} // namespace nebulastra
