// Densities built from the emitter shapes: edge profile, detail, opacity, size thinning, the
// texture, and the per-emitter shares.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/density_field.h"
#include "render/noise/noise.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

using testing::addEmitter;
using testing::handPreparedFrame;
using testing::plainShapeSettings;

constexpr float kRadius = 20.0f;

TEST(DensityField, CentreOfAPlainCloudIsOpacityTimesSizeOverRadius) {
    RenderSettings s = plainShapeSettings();  // cloud size 10
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

TEST(DensityField, CloudShareIsShadowShareTimesDetail) {
    // Without erosion and texture: share_k = shadow share * (detail * 0.65 + 0.55), the detail
    // noise looked up at the unwarped local point, offset by emitter index.
    RenderSettings s = plainShapeSettings();
    s.billow = 0.5f;
    s.domainWarp = 0.7f;
    s.billowSeed = 42;
    s.billowDetail = 3;
    addEmitter(s, 500, 0, 0);  // far away: contributes nothing
    addEmitter(s, 0, 0, 0);
    const PreparedFrame f = handPreparedFrame(s, kRadius);
    const float fq = f.billowFrequency;
    int compared = 0;
    for (int i = 0; i < 40; ++i) {
        const float p[3] = {static_cast<float>(i % 7) * 2.0f - 6.0f, static_cast<float>(i / 7) * 2.5f - 7.0f, 1.5f};
        float shares[kMaxEmitters];
        const float total = sampleCloudDensity(p, s, f, shares);
        const float shadow = sampleShadowDensity(p, s, f);
        EXPECT_EQ(shares[0], 0.0f);
        EXPECT_EQ(total, shares[1]);
        if (shadow <= 0.0f) continue;
        const float detail = fbmNoise4(p[0] * fq * 2.3f + 17 + 19, p[1] * fq * 2.3f + 11 + 4, p[2] * fq * 2.3f + 23 + 11,
                                       f.billowPhase * 1.3f + 5, 3, 42 + 131);
        const float expected = shadow * (detail * 0.65f + 0.55f);
        if (expected < 2e-5f) continue;  // shares not above 1e-5 are dropped from the cloud density
        EXPECT_NEAR(shares[1], expected, 1e-6f * expected);
        ++compared;
    }
    EXPECT_GT(compared, 20);
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
        for (int i = 0; i < 60; ++i) {
            const float p[3] = {static_cast<float>(i % 10) * 2.0f - 4.0f, static_cast<float>(i / 10) * 2.0f - 5.0f, 2.0f};
            float plainShares[kMaxEmitters], shares[kMaxEmitters];
            s.textureStrength = 0.0f;
            const float plain = sampleCloudDensity(p, s, f, plainShares);
            s.textureStrength = 1.0f;
            s.textureContrast = 2.0f;  // the widest range: the factor lies in [0.3, 1.7]
            for (float& share : shares) share = std::numeric_limits<float>::quiet_NaN();
            const float total = sampleCloudDensity(p, s, f, shares);
            for (int k = 2; k < kMaxEmitters; ++k) EXPECT_TRUE(std::isnan(shares[k])) << "wrote past the emitters";

            const float tau = sampleTexture(p, s, f);
            EXPECT_GE(tau, 0.0f);
            EXPECT_LE(tau, 1.0f);
            if (plain <= 1e-6f) continue;
            const float m = total / plain;
            EXPECT_GE(m, 0.3f - 1e-6f);
            EXPECT_LE(m, 1.7f + 1e-6f);
            EXPECT_NEAR(m, (tau - 0.5f) * 2.0f * 0.7f + 1.0f, 1e-5f);
            EXPECT_NEAR(shares[0] + shares[1], total, 1e-6f * total);
            EXPECT_NEAR(shares[0], plainShares[0] * m, 1e-6f * total);
            ++sampled;

            s.textureStrength = 0.001f;  // at or below 0.1 % the texture is not consulted
            EXPECT_EQ(sampleCloudDensity(p, s, f, shares), plain);
        }
        EXPECT_GT(sampled, 30) << "texture type " << type;
    }
}

} // namespace
} // namespace nebulastra
