// Densities built from the emitter shapes: edge profile, detail, opacity, size thinning, the
// texture, and the per-emitter shares.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "render/density_field.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

using testing::addEmitter;
using testing::handPreparedFrame;
using testing::plainShapeSettings;

constexpr float kRadius = 20.0f;

TEST(DensityField, CentreOfAPlainCloudIsOpacityTimesSizeOverRadius) {
    RenderSettings s = plainShapeSettings(); // cloud size 10
    addEmitter(s, 1, 2, 3);
    PreparedFrame f = handPreparedFrame(s, kRadius);
    f.emitterOpacity[0] = 0.8f;
    const float centre[3] = {1, 2, 3};
    EXPECT_EQ(sampleShadowDensity(centre, s, f), 0.8f * (10.0f / 20.0f));
    // On the surface and outside there is no density.
    const float surface[3] = {1, 22, 3};
    float shares[kMaxEmitters];
    EXPECT_EQ(sampleShadowDensity(surface, s, f), 0.0f);
    EXPECT_EQ(sampleCloudDensity(surface, s, f, shares), 0.0f);
    EXPECT_EQ(shares[0], 0.0f);
}

TEST(DensityField, DetailModulatesTheShadowShareWithinItsRange) {
    // Without erosion and texture a cloud share is the shadow share times a detail factor
    // 0.55 + 0.65 n, n one fractal-noise value in [-0.2, 1.2]: between 0.42 and 1.33 of it, and
    // varying from point to point. An emitter out of reach adds nothing.
    RenderSettings s = plainShapeSettings();
    s.billow = 0.5f;
    s.domainWarp = 0.7f;
    s.billowSeed = 42;
    s.billowDetail = 3;
    addEmitter(s, 500, 0, 0);
    addEmitter(s, 0, 0, 0);
    const PreparedFrame f = handPreparedFrame(s, kRadius);
    float lowest = 2.0f, highest = 0.0f;
    for (int i = 0; i < 40; ++i) {
        const float p[3] = {static_cast<float>(i % 7) * 2.0f - 6.0f, static_cast<float>(i / 7) * 2.5f - 7.0f,
                            1.5f};
        float shares[kMaxEmitters];
        const float total = sampleCloudDensity(p, s, f, shares);
        const float shadow = sampleShadowDensity(p, s, f);
        EXPECT_EQ(shares[0], 0.0f);
        EXPECT_EQ(total, shares[1]);
        if (shadow < 1e-4f) continue;
        lowest = std::min(lowest, shares[1] / shadow);
        highest = std::max(highest, shares[1] / shadow);
    }
    EXPECT_GE(lowest, 0.42f - 1e-6f);
    EXPECT_LE(highest, 1.33f + 1e-6f);
    EXPECT_GT(highest - lowest, 0.1f) << "the detail noise should vary";
}

TEST(DensityField, TextureScalesTotalAndSharesAlike) {
    RenderSettings s = plainShapeSettings();
    s.billow = 0.4f;
    s.edgeErosion = 0.6f;
    addEmitter(s, 0, 0, 0);
    addEmitter(s, 12, 4, 0);
    const PreparedFrame f = handPreparedFrame(s, kRadius);
    for (int type = 1; type <= 3; ++type) {
        s.textureType = static_cast<TextureType>(type);
        int sampled = 0;
        std::vector<std::pair<float, float>> factors; // (texture value, density factor)
        for (int i = 0; i < 60; ++i) {
            const float p[3] = {static_cast<float>(i % 10) * 2.0f - 4.0f,
                                static_cast<float>(i / 10) * 2.0f - 5.0f, 2.0f};
            float plainShares[kMaxEmitters], shares[kMaxEmitters];
            s.textureStrength = 0.0f;
            const float plain = sampleCloudDensity(p, s, f, plainShares);
            s.textureStrength = 1.0f;
            s.textureContrast = 2.0f; // the widest range: the factor lies in [0.3, 1.7]
            for (float& share : shares) share = std::numeric_limits<float>::quiet_NaN();
            const float total = sampleCloudDensity(p, s, f, shares);
            for (int k = 2; k < kMaxEmitters; ++k)
                EXPECT_TRUE(std::isnan(shares[k])) << "wrote past the emitters";

            const float tau = sampleTexture(p, s, f);
            EXPECT_GE(tau, 0.0f);
            EXPECT_LE(tau, 1.0f);
            if (plain <= 1e-6f) continue;
            const float m = total / plain;
            EXPECT_GE(m, 0.3f - 1e-6f);
            EXPECT_LE(m, 1.7f + 1e-6f);
            factors.push_back({tau, m});
            EXPECT_NEAR(shares[0] + shares[1], total, 1e-6f * total);
            EXPECT_NEAR(shares[0], plainShares[0] * m, 1e-6f * total);
            ++sampled;

            s.textureStrength = 0.001f; // at or below 0.1 % the texture is not consulted
            EXPECT_EQ(sampleCloudDensity(p, s, f, shares), plain);
        }
        EXPECT_GT(sampled, 30) << "texture type " << type;
        // A denser texture never thins the cloud: the factor rises with the texture value.
        std::sort(factors.begin(), factors.end());
        for (std::size_t i = 1; i < factors.size(); ++i)
            EXPECT_LE(factors[i - 1].second, factors[i].second + 1e-5f);
        EXPECT_GT(factors.back().second - factors.front().second, 0.05f);
    }
}

} // namespace
} // namespace nebulastra
