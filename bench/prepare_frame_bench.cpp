// Cost of the once-per-frame preparation with a full set of 32 emitters and every random amount
// on; dominated by the two noise-statistics measurements.

#include <benchmark/benchmark.h>

#include "render/prepared_frame.h"

namespace nebulastra {
namespace {

void BM_PrepareFrame_32Emitters(benchmark::State& state) {
    RenderSettings s{};
    s.cloudSizePx = 180.0f;
    s.intensitySizeWeight = 1.0f;
    s.edgeSoftness = 0.5f;
    s.billowSize = 2.0f;
    s.billowMap = static_cast<NoiseShape>(state.range(0));
    s.billowDetail = 4;
    s.textureScale = 1.0f;
    for (int axis = 0; axis < 3; ++axis) {
        s.scale[axis] = 1.0f;
        s.scaleRandom[axis] = 0.3f;
        s.rotationRandom[axis] = 0.5f;
    }
    s.opacityRandom = 0.2f;
    s.emitterCount = kMaxEmitters;
    for (int k = 0; k < kMaxEmitters; ++k) {
        CloudEmitter& e = s.emitters[k];
        e.position[0] = 37.0f * static_cast<float>(k);
        e.position[1] = -11.0f * static_cast<float>(k);
        e.position[2] = 5.0f * static_cast<float>(k % 7);
        e.color[0] = 1.0f;
        e.color[1] = 0.03f * static_cast<float>(k);
        e.color[2] = 0.5f;
        e.intensity = 0.5f + 0.05f * static_cast<float>(k);
        e.shadowDarkness = 0.8f;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(prepareFrame(s));
        ++s.randomSeed;
        ++s.billowSeed;
    }
}
// Argument: the billow map. Smooth measures the noise once, the other maps twice.
BENCHMARK(BM_PrepareFrame_32Emitters)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace nebulastra
