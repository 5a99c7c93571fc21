// The row walk with a stand-in shader that reports where it was called: every pixel shaded once, in
// bands on real threads, and the float store passes any value through (what the kernel never yields
// included). The integer stores are held against the float picture in the band tests, row padding
// and guards by the scene host's worlds at every depth.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "render/render_rows.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 7;
constexpr int32_t kHeight = 11;

std::atomic<int> gCalls[kHeight][kWidth];

void unusualShader(int32_t x, int32_t y, const RenderSettings&, const PreparedFrame&, float& r, float& g,
                   float& b, float& a) {
    ++gCalls[y][x];
    r = 3.25f + static_cast<float>(x); // above 1 and above alpha
    g = -0.5f - static_cast<float>(y);
    b = std::numeric_limits<float>::quiet_NaN();
    a = 0.99999f;
}

void bandWorker(const RowBand& band) { shadeRowsFloat(band, unusualShader); }
std::thread startThread(RowWorker worker, const RowBand& band) { return std::thread(worker, band); }

TEST(RenderRows, EveryPixelShadedOnceAndFloatsPassThroughUnchanged) {
    const std::ptrdiff_t rowbytes = kWidth * 16 + 24;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(rowbytes * kHeight), 0xCD);
    RenderSettings settings{};
    PreparedFrame prepared{};
    const CloudField field = makeCloudField(settings, prepared);
    const FrameContext context{bytes.data(), rowbytes, kWidth, 0, 0, &settings, &prepared, &field};
    runRowBandsWith(4, kHeight, context, bandWorker, startThread); // bands of 3, 3, 3 and 2 rows
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            SCOPED_TRACE(::testing::Message() << x << ", " << y);
            EXPECT_EQ(gCalls[y][x], 1);
            float px[4];
            std::memcpy(px, bytes.data() + y * rowbytes + x * 16, sizeof px);
            EXPECT_EQ(px[0], 0.99999f);
            EXPECT_EQ(px[1], 3.25f + static_cast<float>(x));
            EXPECT_EQ(px[2], -0.5f - static_cast<float>(y));
            EXPECT_TRUE(std::isnan(px[3]));
        }
        for (std::ptrdiff_t i = kWidth * 16; i < rowbytes; ++i) EXPECT_EQ(bytes[y * rowbytes + i], 0xCD);
    }
}

} // namespace
} // namespace nebulastra
