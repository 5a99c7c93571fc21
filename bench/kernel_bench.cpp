// Cost of the renderer kernel at the effect's defaults: one light at the centre of a 64 x 36
// layer, no camera. Density samples are taken along the centre pixel's line of sight, where the
// march takes them; the whole-frame benchmarks go through the row workers and their threads.

#include <benchmark/benchmark.h>

#include <thread>
#include <vector>

#include "../tests/render/render_fixture.h"
#include "render/cloud_field.h"
#include "render/cloud_look.h"
#include "render/density_field.h"
#include "render/render_image.h"
#include "render/render_rows.h"
#include "render/row_bands.h"
#include "render/shade_pixel.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 64;
constexpr int32_t kHeight = 36;

RenderSettings centreCloud() {
    RenderSettings s = testing::defaultRenderSettings(kWidth, kHeight);
    testing::addEmitter(s, 32, 18, 0, 1.0f, 0.8f, 0.6f);
    return s;
}

// 64 points through the cloud along the view direction, spanning the emitter's reach.
std::vector<float> lineOfSight(const CloudField& field) {
    std::vector<float> points;
    const float reach = look::kCloudReach * field.prepared.emitterRadius[0];
    for (int i = 0; i < 64; ++i) {
        points.push_back(31.5f);
        points.push_back(17.5f);
        points.push_back(-reach + 2.0f * reach * (static_cast<float>(i) + 0.5f) / 64.0f);
    }
    return points;
}

void BM_SampleCloudDensity(benchmark::State& state) {
    const RenderSettings s = centreCloud();
    const CloudField field = makeCloudField(s);
    const std::vector<float> points = lineOfSight(field);
    float shares[kMaxEmitters];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sampleCloudDensity(&points[i], field, shares));
        i = (i + 3) % points.size();
    }
}
BENCHMARK(BM_SampleCloudDensity);

void BM_SampleShadowDensity(benchmark::State& state) {
    const RenderSettings s = centreCloud();
    const CloudField field = makeCloudField(s);
    const std::vector<float> points = lineOfSight(field);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sampleShadowDensity(&points[i], field));
        i = (i + 3) % points.size();
    }
}
BENCHMARK(BM_SampleShadowDensity);

void BM_ShadePixelThroughTheCloud(benchmark::State& state) {
    const RenderSettings s = centreCloud();
    const CloudField field = makeCloudField(s);
    float r, g, b, a;
    for (auto _ : state) {
        shadePixel(31, 17, field, r, g, b, a);
        benchmark::DoNotOptimize(a);
    }
}
BENCHMARK(BM_ShadePixelThroughTheCloud);

std::thread startThread(int32_t, std::function<void()> work) { return std::thread(std::move(work)); }

// A whole 64 x 36 float frame through the row workers, on 1 thread and on the machine's threads.
void BM_RenderFrame64x36(benchmark::State& state) {
    const RenderSettings s = centreCloud();
    std::vector<float> pixels(kWidth * kHeight * 4);
    const CloudField field = makeCloudField(s);
    const FrameContext context = frameContext({reinterpret_cast<unsigned char*>(pixels.data()), kWidth * 16,
                                               kWidth, kHeight, 0, 0, OutputDepth::Float},
                                              field);
    const int32_t threads = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        if (threads == 0) {
            runRowBands(kHeight, context, kernelFor(Isa::Scalar).shadeRows);
        } else {
            runRowBandsWith(threads, kHeight, context, kernelFor(Isa::Scalar).shadeRows, startThread);
        }
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_RenderFrame64x36)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace nebulastra
