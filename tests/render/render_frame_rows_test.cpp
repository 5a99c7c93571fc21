// The row workers: the walk over a band's pixels, and whole frames through the real kernel on
// sixteen threads at every depth (under the tsan preset, where a data race between workers would
// show). Row padding and guards are checked by the scene host's worlds at every depth.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "render/channel_conversion.h"
#include "render/render_rows.h"
#include "render/row_bands.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 8;
constexpr int32_t kHeight = 16; // one row per band: sixteen threads at once

std::thread startThread(const RowBand&, std::function<void()> work) { return std::thread(std::move(work)); }

TEST(BandThreads, SixteenBandsDrawWhatOneDrawsAtEveryDepthAndFrame) {
    const PixelRunStore stores[] = {pixelStoreFor(OutputDepth::Float), pixelStoreFor(OutputDepth::Bits8),
                                    pixelStoreFor(OutputDepth::Bits16)};
    const std::ptrdiff_t pixelBytes[] = {16, 4, 8};
    for (float seconds : {0.0f, 1.25f}) {
        RenderSettings s = testing::defaultRenderSettings(kWidth, kHeight);
        testing::setFrontCamera(s, 40.0f);
        testing::addEmitter(s, 5, 9, 0, 1.0f, 0.7f, 0.4f);
        testing::addEmitter(s, 8, 7, 5, 0.3f, 0.5f, 1.0f, 0.6f);
        s.timeSeconds = seconds;
        s.evolutionSpeed = 1.0f;
        s.qualitySteps = 8;
        const CloudField field = makeCloudField(s);
        std::vector<unsigned char> one[3];
        for (int d = 0; d < 3; ++d) {
            const std::ptrdiff_t rowbytes = kWidth * pixelBytes[d] + 8;
            auto draw = [&](int32_t threads) {
                std::vector<unsigned char> bytes(static_cast<std::size_t>(rowbytes * kHeight), 0xCD);
                const FrameContext context{bytes.data(), rowbytes, kWidth, 0, 0, &field, stores[d]};
                runRowBandsWith(threads, kHeight, context, kernelFor(Isa::Scalar).shadeRows, startThread);
                return bytes;
            };
            one[d] = draw(1);
            EXPECT_EQ(draw(16), one[d]) << pixelBytes[d] << "-byte pixels at " << seconds << " s";
        }
        int covered = 0;
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                float f[4];
                uint16_t w[4];
                std::memcpy(f, one[0].data() + y * (kWidth * 16 + 8) + x * 16, sizeof f);
                std::memcpy(w, one[2].data() + y * (kWidth * 8 + 8) + x * 8, sizeof w);
                for (int c = 0; c < 4; ++c) {
                    ASSERT_EQ(one[1][y * (kWidth * 4 + 8) + x * 4 + c], toChannel8(f[c])) << x << "," << y;
                    ASSERT_EQ(w[c], toChannel16(f[c])) << x << ", " << y << " channel " << c;
                }
                covered += f[0] > 0.5f;
            }
        }
        EXPECT_GT(covered, 10) << "the clouds should cover part of the frame";
    }
}

TEST(ChannelConversion, RoundsHalvesUpAndClampsToTheDepthsFullScale) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        int eight, sixteen; // 16-bit full scale is the host's 32768
    } cases[] = {
        {0.5f, 128, 16384},     {0.001f, 0, 33},   {1.0f, 255, 32768}, {1.5f, 255, 32768},
        {-0.2f, 0, 0},          {nan, 0, 0},       {inf, 255, 32768},  {-inf, 0, 0},
        {0.00196f, 0, 64},      {0.00197f, 1, 65}, // just below and above half way between 8-bit codes 0 and 1
        {0.99999f, 255, 32768},                    // 32767.67 + 0.5, truncated
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toChannel8(c.value), c.eight) << c.value;
        EXPECT_EQ(toChannel16(c.value), c.sixteen) << c.value;
    }
}

} // namespace
} // namespace nebulastra
