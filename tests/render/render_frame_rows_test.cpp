// Whole frames through the row workers and the real kernel, on in-memory worlds: the picture
// does not depend on how the rows were split, and the integer depths are the float picture
// converted channel by channel.

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "render/channel_conversion.h"
#include "render/render_rows.h"
#include "render_fixture.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 24;
constexpr int32_t kHeight = 14;

std::thread startThread(RowWorker worker, const RowBand& band) { return std::thread(worker, band); }

RenderSettings twoClouds() {
    RenderSettings s = testing::defaultRenderSettings(kWidth, kHeight);
    testing::setFrontCamera(s, 50.0f);
    testing::addEmitter(s, 9, 7, 0, 0.9f, 0.5f, 0.2f);
    testing::addEmitter(s, 15, 6, 8, 0.2f, 0.4f, 1.0f, 0.7f);
    return s;
}

std::vector<unsigned char> renderWorld(const RenderSettings& s, const PreparedFrame& prepared,
                                       RowWorker worker, std::ptrdiff_t pixelBytes, int32_t hardwareThreads) {
    const std::ptrdiff_t rowbytes = kWidth * pixelBytes + 16;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(rowbytes * kHeight), 0xCD);
    const CloudField field = makeCloudField(s, prepared);
    const FrameContext context{bytes.data(), rowbytes, kWidth, 0, 0, &s, &prepared, &field};
    runRowBandsWith(hardwareThreads, kHeight, context, worker, startThread);
    return bytes;
}

TEST(RenderFrameRows, PictureIndependentOfTheBandPlan) {
    const RenderSettings s = twoClouds();
    const PreparedFrame prepared = prepareFrame(s);
    const std::vector<unsigned char> single = renderWorld(s, prepared, renderRowsFloat, 16, 1);
    for (int32_t threads : {3, 16}) {
        EXPECT_EQ(renderWorld(s, prepared, renderRowsFloat, 16, threads), single) << threads << " threads";
    }
}

TEST(RenderFrameRows, IntegerDepthsConvertTheFloatPicture) {
    const RenderSettings s = twoClouds();
    const PreparedFrame prepared = prepareFrame(s);
    const std::vector<unsigned char> floats = renderWorld(s, prepared, renderRowsFloat, 16, 2);
    const std::vector<unsigned char> eight = renderWorld(s, prepared, renderRows8, 4, 2);
    const std::vector<unsigned char> sixteen = renderWorld(s, prepared, renderRows16, 8, 2);
    int covered = 0;
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            float f[4];
            uint16_t w[4];
            std::memcpy(f, floats.data() + y * (kWidth * 16 + 16) + x * 16, sizeof f);
            std::memcpy(w, sixteen.data() + y * (kWidth * 8 + 16) + x * 8, sizeof w);
            const unsigned char* b = eight.data() + y * (kWidth * 4 + 16) + x * 4;
            for (int c = 0; c < 4; ++c) {
                ASSERT_EQ(b[c], toChannel8(f[c])) << x << ", " << y << " channel " << c;
                ASSERT_EQ(w[c], toChannel16(f[c])) << x << ", " << y << " channel " << c;
            }
            if (f[0] > 0.5f) ++covered;
        }
    }
    EXPECT_GT(covered, 20) << "the clouds should cover part of the frame";
}

} // namespace
} // namespace nebulastra
