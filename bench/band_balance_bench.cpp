// How evenly the row bands of a frame share the work. Bands are fixed up front with no work
// stealing, so a frame renders no faster than its slowest band: the top and bottom halves of the
// 64 x 36 frame of kernel_bench, rendered on the calling thread, show the split of the two-thread
// case.

#include <benchmark/benchmark.h>

#include <vector>

#include "../tests/render/render_fixture.h"
#include "render/cloud_field.h"
#include "render/render_image.h"
#include "render/render_rows.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 64;
constexpr int32_t kHeight = 36;

// Argument: 0 renders rows 0-17 (the first of two bands), 1 rows 18-35.
void BM_RenderHalfFrame64x36(benchmark::State& state) {
    RenderSettings s = testing::defaultRenderSettings(kWidth, kHeight);
    testing::addEmitter(s, 32, 18, 0, 1.0f, 0.8f, 0.6f);
    std::vector<float> pixels(kWidth * kHeight * 4);
    const CloudField field = makeCloudField(s);
    const FrameContext context = frameContext({reinterpret_cast<unsigned char*>(pixels.data()), kWidth * 16,
                                               kWidth, kHeight, 0, 0, OutputDepth::Float},
                                              field);
    const int32_t first = state.range(0) == 0 ? 0 : kHeight / 2;
    const RowBand band{first, first + kHeight / 2, context};
    for (auto _ : state) {
        kernelFor(Isa::Scalar).shadeRows(band);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_RenderHalfFrame64x36)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace nebulastra
