// How many lanes of the kernel's vectors do useful work: the kernel compiled once more, with a
// probe at each place where a lane mask decides which lanes' results are
// used (the march's active and lit lanes, the packed shadow batches, every noise lookup), over
// two scenes built like the examples single_white_cloud and three_lights_screen (half size,
// 240 x 135, through the default camera). Prints, per site, the calls and the share of lanes
// in use. Built twice (bench/CMakeLists.txt): for AVX-512 (32 lanes) and, with
// NEBULASTRA_OCCUPANCY_AVX2 defined, for AVX2 (16 lanes). Run by hand:
//
//     build/linux/bin/nebulastra_lane_occupancy
//     build/linux/bin/nebulastra_lane_occupancy_avx2
//
// The probes count into plain globals: one thread renders here.

#include <cstdint>
#include <cstdio>
#include <vector>

#include "../tests/render/render_fixture.h"
#include "render/cloud_field.h"
#include "render/row_bands.h"
#include "render/simd/isa.h"

namespace nebulastra::occupancy {

enum Site { kMarchActive, kMarchLit, kShadowBatch, kNoise4, kNoise4Shared, kNoise3, kNoise3Shared, kSites };
const char* const kSiteNames[kSites] = {"march step: active lanes",  "march step: lit lanes",
                                        "shadow batch: used lanes",  "gradientNoise4: live lanes",
                                        "  calls on shared corners", "perlinNoise3: live lanes",
                                        "  calls on shared corners"};

struct Counts {
    double calls[kSites];
    double lanes[kSites];
};
Counts gCounts;
int gLanes;

template <class Mask>
void count(Site site, const Mask& mask, int lanes) {
    gLanes = lanes;
    int on = 0;
    for (int l = 0; l < lanes; ++l) on += mask[l] != 0;
    gCounts.calls[site] += 1;
    gCounts.lanes[site] += on;
}

} // namespace nebulastra::occupancy

#define NEBULASTRA_LANE_PROBE(site, mask)                                                                    \
    ::nebulastra::occupancy::count(::nebulastra::occupancy::site, mask, kLanes)

#define NEBULASTRA_SIMD_NAMESPACE probe_simd
#if defined(NEBULASTRA_OCCUPANCY_AVX2)
#define NEBULASTRA_LANES 16
#define NEBULASTRA_KERNEL_ISA Isa::Avx2
#else
#define NEBULASTRA_LANES 32
#define NEBULASTRA_KERNEL_ISA Isa::Avx512
#endif
#include "render/simd/packet_kernel.inl"

namespace nebulastra::occupancy {
namespace {

void discard(unsigned char*, int32_t, int32_t, const float*, const float*, const float*, const float*) {}

// The examples' compositions at half size: 240 x 135, the default camera (a 50 mm lens on a
// 480-pixel-wide composition sits 1333 pixels in front of it).
RenderSettings halfSizeScene() {
    RenderSettings s = testing::defaultRenderSettings(480, 270);
    s.outputWidth = 240;
    s.outputHeight = 135;
    testing::setFrontCamera(s, 1333.0f);
    return s;
}

RenderSettings singleWhiteCloud() {
    RenderSettings s = halfSizeScene();
    s.cloudSizePx = 0.4f * 270.0f;
    testing::addEmitter(s, 240, 135, 0);
    return s;
}

RenderSettings threeLightsScreen() {
    RenderSettings s = halfSizeScene();
    s.cloudSizePx = 0.28f * 270.0f;
    s.density = 1.6f;
    s.overlapBlend = BlendMode::Screen;
    testing::addEmitter(s, 190, 150, 0, 1, 0.15f, 0.1f);
    testing::addEmitter(s, 290, 150, 0, 0.15f, 1, 0.2f);
    testing::addEmitter(s, 240, 95, 0, 0.15f, 0.3f, 1);
    return s;
}

void measure(const char* name, const RenderSettings& s) {
    gCounts = {};
    const CloudField field = makeCloudField(s);
    const FrameContext context{nullptr, 0, s.outputWidth, 0, 0, &field, discard};
    probe_simd::kKernel.shadeRows(RowBand{0, s.outputHeight, context});
    std::printf("%s, %d x %d, %d lanes\n", name, s.outputWidth, s.outputHeight, gLanes);
    for (int site = 0; site < kSites; ++site) {
        const double calls = gCounts.calls[site];
        const bool share = kSiteNames[site][0] == ' ';
        const double of = share ? gCounts.calls[site - 1] : calls * gLanes;
        std::printf("  %-28s %12.0f calls  %5.1f %%%s\n", kSiteNames[site], calls,
                    of > 0 ? 100.0 * (share ? calls : gCounts.lanes[site]) / of : 0.0,
                    share ? " of the calls" : " of the lanes");
    }
    const double pixels = static_cast<double>(s.outputWidth) * s.outputHeight;
    std::printf("  lookups per pixel: gradientNoise4 %.1f, perlinNoise3 %.1f\n",
                gCounts.lanes[kNoise4] / pixels, gCounts.lanes[kNoise3] / pixels);
}

} // namespace
} // namespace nebulastra::occupancy

int main() {
    using namespace nebulastra;
#if defined(NEBULASTRA_OCCUPANCY_AVX2)
    const Isa isa = Isa::Avx2;
#else
    const Isa isa = Isa::Avx512;
#endif
    if (!isaSupported(isa, readCpuFeatures())) {
        std::printf("this processor has no %s path\n", isa == Isa::Avx2 ? "AVX2" : "AVX-512");
        return 0;
    }
    occupancy::measure("single_white_cloud", occupancy::singleWhiteCloud());
    occupancy::measure("three_lights_screen", occupancy::threeLightsScreen());
    return 0;
}
