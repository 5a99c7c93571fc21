// Cost per call of the noise primitives that sit in the ray marcher's innermost loop. Inputs walk
// through a range of coordinates so neither the compiler nor the branch predictor sees a constant.

#include <benchmark/benchmark.h>

#include <vector>

#include "render/noise/noise.h"
#include "render/simd/isa.h"
#include "render/simd/packet_kernel.h"

namespace nebulastra {
namespace {

struct Walker {
    float x = 0.13f, y = -2.71f, z = 5.37f, w = 0.29f;
    float stride = 1.0f;
    void step() {
        x += 0.3719f * stride;
        y += 0.2113f * stride;
        z -= 0.1571f * stride;
        w += 0.0137f * stride;
        if (x > 64.0f) {
            x -= 128.0f;
        }
    }
};

void BM_GradientNoise4(benchmark::State& state) {
    Walker p;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gradientNoise4(p.x, p.y, p.z, p.w, 200));
        p.step();
    }
}
BENCHMARK(BM_GradientNoise4);

void BM_PerlinNoise3(benchmark::State& state) {
    Walker p;
    for (auto _ : state) {
        benchmark::DoNotOptimize(perlinNoise3(p.x, p.y, p.z, 71));
        p.step();
    }
}
BENCHMARK(BM_PerlinNoise3);

void BM_FbmNoise4_4Octaves(benchmark::State& state) {
    Walker p;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fbmNoise4(p.x, p.y, p.z, p.w, 4, 0));
        p.step();
    }
}
BENCHMARK(BM_FbmNoise4_4Octaves);

void BM_ShapedFbmNoise4_4Octaves(benchmark::State& state) {
    Walker p;
    int shape = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(shapedFbmNoise4(static_cast<NoiseShape>(shape), p.x, p.y, p.z, p.w, 4, 0));
        p.step();
        shape = (shape + 1) & 3;
    }
}
BENCHMARK(BM_ShapedFbmNoise4_4Octaves);

void BM_MeasureNoiseStats_4Octaves(benchmark::State& state) {
    int32_t seed = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(measureNoiseStats(NoiseShape::Puffy, 4, seed));
        ++seed;
    }
}
BENCHMARK(BM_MeasureNoiseStats_4Octaves)->Unit(benchmark::kMicrosecond);

// The batch noises of each render path: one lookup per lane, 1024 lookups a call; the time per
// lookup is the time per call over 1024 (items_per_second in the output is lookups per second).
constexpr int kBatch = 1024;

struct BatchInputs {
    std::vector<float> x, y, z, w, out;
    explicit BatchInputs(float stride = 1.0f) : x(kBatch), y(kBatch), z(kBatch), w(kBatch), out(kBatch) {
        Walker p;
        p.stride = stride;
        for (int i = 0; i < kBatch; ++i, p.step()) {
            x[i] = p.x;
            y[i] = p.y;
            z[i] = p.z;
            w[i] = p.w;
        }
    }
};

/// One batch benchmark: the path in range(0), lookups `stride` walk steps apart.
template <class Lookup>
void batchLookups(benchmark::State& state, float stride, Lookup lookup) {
    const Isa isa = static_cast<Isa>(state.range(0));
    if (!isaSupported(isa, readCpuFeatures())) {
        state.SkipWithError("not supported by this CPU");
        return;
    }
    state.SetLabel(isaName(isa));
    const KernelTable& noise = kernelFor(isa);
    BatchInputs in(stride);
    for (auto _ : state) {
        lookup(noise, in);
        benchmark::DoNotOptimize(in.out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void gradientLookups(const KernelTable& noise, BatchInputs& in) {
    noise.gradientNoise4Batch(in.x.data(), in.y.data(), in.z.data(), in.w.data(), 200, in.out.data(), kBatch);
}
void perlinLookups(const KernelTable& noise, BatchInputs& in) {
    noise.perlinNoise3Batch(in.x.data(), in.y.data(), in.z.data(), 71, in.out.data(), kBatch);
}

void BM_GradientNoise4Batch(benchmark::State& state) { batchLookups(state, 1.0f, gradientLookups); }
BENCHMARK(BM_GradientNoise4Batch)->DenseRange(0, 3);
void BM_PerlinNoise3Batch(benchmark::State& state) { batchLookups(state, 1.0f, perlinLookups); }
BENCHMARK(BM_PerlinNoise3Batch)->DenseRange(0, 3);

// The same on lookups as close together as neighbouring pixels' (range(1): the stride in
// hundredths of the walk above): runs of lanes fall in one or a few lattice cells, as in a frame.
void BM_GradientNoise4BatchClustered(benchmark::State& state) {
    batchLookups(state, static_cast<float>(state.range(1)) / 100.0f, gradientLookups);
}
BENCHMARK(BM_GradientNoise4BatchClustered)->ArgsProduct({{1, 2, 3}, {3, 10, 30}});
void BM_PerlinNoise3BatchClustered(benchmark::State& state) {
    batchLookups(state, static_cast<float>(state.range(1)) / 100.0f, perlinLookups);
}
BENCHMARK(BM_PerlinNoise3BatchClustered)->ArgsProduct({{1, 2, 3}, {3, 10, 30}});

} // namespace
} // namespace nebulastra
