#include <gtest/gtest.h>

#include <limits>

#include "render/channel_conversion.h"

namespace nebulastra {
namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

TEST(ChannelConversion, EightBitRoundsHalvesUpAndClamps) {
    EXPECT_EQ(toChannel8(0.5f), 128);
    EXPECT_EQ(toChannel8(0.001f), 0);
    EXPECT_EQ(toChannel8(1.0f), 255);
    EXPECT_EQ(toChannel8(1.5f), 255);
    EXPECT_EQ(toChannel8(-0.2f), 0);
    EXPECT_EQ(toChannel8(kNaN), 0);
    EXPECT_EQ(toChannel8(kInf), 255);
    EXPECT_EQ(toChannel8(-kInf), 0);
    // Just below and at the half-way point between codes 0 and 1.
    EXPECT_EQ(toChannel8(0.00196f), 0);
    EXPECT_EQ(toChannel8(0.00197f), 1);
}

TEST(ChannelConversion, SixteenBitUsesTheHostFullScale) {
    EXPECT_EQ(toChannel16(1.0f), 32768);
    EXPECT_EQ(toChannel16(0.99999f), 32768); // 32767.67 + 0.5, truncated
    EXPECT_EQ(toChannel16(0.5f), 16384);
    EXPECT_EQ(toChannel16(2.0f), 32768);
    EXPECT_EQ(toChannel16(-1.0f), 0);
    EXPECT_EQ(toChannel16(kNaN), 0);
    EXPECT_EQ(toChannel16(kInf), 32768);
}

} // namespace
} // namespace nebulastra
