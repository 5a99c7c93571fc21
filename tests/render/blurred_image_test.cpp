// The average of sub-frames: equal sub-frames give the frame itself at every depth (the average of
// different ones is pinned by the motion-blurred reference frame, and the watch over all their rows
// by the motion blur test's cancel).

#include <gtest/gtest.h>

#include <vector>

#include "render/blurred_image.h"
#include "render/render_fixture.h"

namespace nebulastra {
namespace {

constexpr int32_t kWidth = 40;
constexpr int32_t kHeight = 12;

struct Picture {
    OutputDepth depth;
    std::vector<unsigned char> bytes;
    explicit Picture(OutputDepth d)
        : depth(d), bytes(static_cast<std::size_t>(kWidth) * kHeight * pixelBytes(), 0xCD) {}
    int32_t pixelBytes() const {
        return depth == OutputDepth::Float ? 16 : depth == OutputDepth::Bits16 ? 8 : 4;
    }
    OutputImage image() {
        return OutputImage{bytes.data(), kWidth * pixelBytes(), kWidth, kHeight, 0, 0, depth};
    }
};

TEST(BlurredImage, EqualSubFramesAverageToTheFrameAtEveryDepth) {
    RenderSettings one = testing::defaultRenderSettings(kWidth, kHeight);
    testing::setFrontCamera(one, 500.0f);
    one.cloudSizePx = 4.0f;
    one.qualitySteps = 16;
    testing::addEmitter(one, 20, 6, 0, 1.0f, 0.8f, 0.6f);
    const std::vector<RenderSettings> four(4, one); // a power of two: the mean of equal values is exact
    for (OutputDepth depth : {OutputDepth::Float, OutputDepth::Bits16, OutputDepth::Bits8}) {
        Picture single(depth), blurred(depth);
        ASSERT_TRUE(renderImage(one, single.image()));
        ASSERT_TRUE(renderBlurredImage(four.data(), 4, blurred.image()));
        EXPECT_EQ(blurred.bytes, single.bytes) << "depth " << static_cast<int>(depth);
    }
    // One sub-frame is the frame itself, and none leaves the image alone.
    Picture single(OutputDepth::Bits8), viaOne(OutputDepth::Bits8), none(OutputDepth::Bits8);
    ASSERT_TRUE(renderImage(one, single.image()));
    ASSERT_TRUE(renderBlurredImage(&one, 1, viaOne.image()));
    EXPECT_EQ(viaOne.bytes, single.bytes);
    EXPECT_TRUE(renderBlurredImage(&one, 0, none.image()));
    EXPECT_EQ(none.bytes, Picture(OutputDepth::Bits8).bytes);
}

} // namespace
} // namespace nebulastra
