#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "render/noise/noise.h"

namespace nebulastra {
namespace {

// Every worker of a frame evaluates the same noise; a hidden shared state or an uninitialised
// read would show up as results that differ between threads.
std::vector<float> evaluateBatch() {
    std::vector<float> out;
    for (int i = 0; i < 64; ++i) {
        const float x = -4.0f + 0.173f * static_cast<float>(i);
        const float y = 2.5f - 0.091f * static_cast<float>(i);
        const float z = 0.37f * static_cast<float>(i % 11) - 1.0f;
        out.push_back(perlinNoise3(x, y, z, i - 30));
        out.push_back(gradientNoise4(x, y, z, 0.1f * static_cast<float>(i), 200 + i));
        out.push_back(fbmNoise4(x, y, z, 0.5f, 4, i));
        out.push_back(shapedFbmNoise4(static_cast<NoiseShape>(i % 5), x, y, z, 0.5f, 3, -i));
    }
    const NoiseStats stats = measureNoiseStats(NoiseShape::Puffy, 2, 9);
    out.push_back(stats.mean);
    out.push_back(stats.stddev);
    return out;
}

TEST(NoiseThreads, BitIdenticalOnEveryThread) {
    const std::vector<float> reference = evaluateBatch();
    constexpr int kThreads = 4;
    std::vector<std::vector<float>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&results, t] { results[t] = evaluateBatch(); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(results[t].size(), reference.size());
        EXPECT_EQ(std::memcmp(results[t].data(), reference.data(), reference.size() * sizeof(float)), 0) << t;
    }
}

} // namespace
} // namespace nebulastra
