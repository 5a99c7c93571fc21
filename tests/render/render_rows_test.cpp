// The row workers' pixel stores, with a stand-in shader that reports where it was called, on
// padded buffers: every pixel written once, in ARGB order at the depth's scale, and nothing else.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "render/channel_conversion.h"
#include "render/render_rows.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 7;
constexpr int32_t kHeight = 11;
constexpr unsigned char kPoison = 0xCD;
constexpr std::ptrdiff_t kGuard = 64;

std::atomic<int> gCalls[kHeight][kWidth];

// Colour from the pixel's position: red x / 255, green y / 255, blue past full scale, alpha 0.5,
// so each stored value says which pixel it came from.
void positionShader(int32_t x, int32_t y, const RenderSettings&, const PreparedFrame&, float& r, float& g,
                    float& b, float& a) {
    ++gCalls[y][x];
    r = static_cast<float>(x) / 255.0f;
    g = static_cast<float>(y) / 255.0f;
    b = 1.5f;
    a = 0.5f;
}

// For a world that is part of the frame: the frame position the shader was asked for, as floats.
int32_t gOriginX = 0, gOriginY = 0;
void framePositionShader(int32_t x, int32_t y, const RenderSettings&, const PreparedFrame&, float& r,
                         float& g, float& b, float& a) {
    ++gCalls[y - gOriginY][x - gOriginX];
    r = static_cast<float>(x);
    g = static_cast<float>(y);
    b = 0.0f;
    a = 1.0f;
}

void unusualShader(int32_t x, int32_t y, const RenderSettings&, const PreparedFrame&, float& r, float& g,
                   float& b, float& a) {
    ++gCalls[y][x];
    r = 3.25f + static_cast<float>(x); // above 1 and above alpha
    g = -0.5f;
    b = std::numeric_limits<float>::quiet_NaN();
    a = 0.99999f;
}

struct PaddedWorld {
    std::vector<unsigned char> bytes;
    std::ptrdiff_t rowbytes;
    unsigned char* data() { return bytes.data() + kGuard; }

    explicit PaddedWorld(std::ptrdiff_t pixelBytes)
        : bytes(static_cast<std::size_t>(kGuard * 2 + (kWidth * pixelBytes + 24) * kHeight), kPoison),
          rowbytes(kWidth * pixelBytes + 24) {}
};

// Runs one depth's worker over the world in bands on real threads, like the driver does.
PixelShader gShader = nullptr;
void (*gShadeRows)(const RowBand&, PixelShader) = nullptr;
void bandWorker(const RowBand& band) { gShadeRows(band, gShader); }
std::thread startThread(RowWorker worker, const RowBand& band) { return std::thread(worker, band); }

void render(PaddedWorld& world, void (*shadeRows)(const RowBand&, PixelShader), PixelShader shader,
            int32_t originX = 0, int32_t originY = 0) {
    for (auto& row : gCalls)
        for (auto& calls : row) calls = 0;
    gShader = shader;
    gShadeRows = shadeRows;
    RenderSettings settings{};
    PreparedFrame prepared{};
    const CloudField field = makeCloudField(settings, prepared);
    const FrameContext context{world.data(), world.rowbytes, kWidth,    originX,
                               originY,      &settings,      &prepared, &field};
    runRowBandsWith(4, kHeight, context, bandWorker, startThread); // bands of 3, 3, 3 and 2 rows
}

void expectEachPixelShadedOnce() {
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) ASSERT_EQ(gCalls[y][x], 1) << x << ", " << y;
}

// Row padding and the guards either side keep their poison.
void expectOnlyPixelsWritten(PaddedWorld& world, std::ptrdiff_t pixelBytes) {
    for (std::ptrdiff_t i = 0; i < kGuard; ++i) {
        ASSERT_EQ(world.bytes[i], kPoison);
        ASSERT_EQ(world.bytes[world.bytes.size() - 1 - i], kPoison);
    }
    for (int32_t y = 0; y < kHeight; ++y) {
        const unsigned char* row = world.data() + y * world.rowbytes;
        for (std::ptrdiff_t i = kWidth * pixelBytes; i < world.rowbytes; ++i)
            ASSERT_EQ(row[i], kPoison) << "row " << y;
    }
}

TEST(RenderRows, EightBitPixels) {
    PaddedWorld world(4);
    render(world, shadeRows8, positionShader);
    expectEachPixelShadedOnce();
    expectOnlyPixelsWritten(world, 4);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            const unsigned char* px = world.data() + y * world.rowbytes + x * 4;
            EXPECT_EQ(px[0], 128); // alpha 0.5
            EXPECT_EQ(px[1], x);
            EXPECT_EQ(px[2], y);
            EXPECT_EQ(px[3], 255); // 1.5 clamps to full scale
        }
    }
}

TEST(RenderRows, SixteenBitPixels) {
    PaddedWorld world(8);
    render(world, shadeRows16, unusualShader);
    expectEachPixelShadedOnce();
    expectOnlyPixelsWritten(world, 8);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            uint16_t px[4];
            std::memcpy(px, world.data() + y * world.rowbytes + x * 8, sizeof px);
            EXPECT_EQ(px[0], 32768); // 0.99999 rounds to full scale
            EXPECT_EQ(px[1], 32768); // colour above alpha, clamped to 1 on its own
            EXPECT_EQ(px[2], 0);
            EXPECT_EQ(px[3], 0); // NaN
        }
    }
}

TEST(RenderRows, FloatPixelsPassThroughUnchanged) {
    PaddedWorld world(16);
    render(world, shadeRowsFloat, unusualShader);
    expectEachPixelShadedOnce();
    expectOnlyPixelsWritten(world, 16);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            float px[4];
            std::memcpy(px, world.data() + y * world.rowbytes + x * 16, sizeof px);
            EXPECT_EQ(px[0], 0.99999f);
            EXPECT_EQ(px[1], 3.25f + static_cast<float>(x));
            EXPECT_EQ(px[2], -0.5f);
            EXPECT_TRUE(std::isnan(px[3]));
        }
    }
}

// A world that is part of the frame, starting left of it and further down: each world pixel
// shades the frame pixel its origin puts there and is stored at its own place in the world.
TEST(RenderRows, WorldOriginOffsetsTheShadedPixelsNotTheStores) {
    gOriginX = -3;
    gOriginY = 40;
    PaddedWorld world(16);
    render(world, shadeRowsFloat, framePositionShader, gOriginX, gOriginY);
    expectEachPixelShadedOnce();
    expectOnlyPixelsWritten(world, 16);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
            float px[4];
            std::memcpy(px, world.data() + y * world.rowbytes + x * 16, sizeof px);
            EXPECT_EQ(px[1], static_cast<float>(x - 3)) << x << ", " << y;
            EXPECT_EQ(px[2], static_cast<float>(y + 40)) << x << ", " << y;
        }
    }
}

} // namespace
} // namespace nebulastra
