// The renderer's elementary functions: special values as IEEE 754 / C99 define them and
// independently known correctly rounded results, the hard cases among them. Agreement over every
// float input is bench/math_accuracy.cpp's; the reference frames hold the values the renderer uses.

#include "render/math/elementary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace nebulastra::fmath {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kMax = std::numeric_limits<float>::max();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

std::uint32_t bits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Same value and, for zeros, the same sign; NaN matches NaN.
#define EXPECT_SAME(got, want)                                                                               \
    EXPECT_TRUE((std::isnan(want) && std::isnan(got)) || bits(got) == bits(want))                            \
        << #got << " = " << std::hexfloat << (got) << ", want " << (want)

TEST(Elementary, SpecialValues) {
    EXPECT_SAME(exp(kNaN), kNaN);
    EXPECT_SAME(exp(kInf), kInf);
    EXPECT_SAME(exp(-kInf), 0.0f);
    EXPECT_SAME(exp(88.72283f), 0x1.ffff08p127f); // just below ln(FLT_MAX)
    EXPECT_SAME(exp(88.72284f), kInf);
    EXPECT_SAME(exp(-103.972f), 0x1p-149f); // rounds up to the smallest subnormal
    EXPECT_SAME(exp(-104.0f), 0.0f);

    EXPECT_SAME(cbrt(-0.0f), -0.0f);
    EXPECT_SAME(cbrt(-kInf), -kInf);
    EXPECT_SAME(cbrt(kNaN), kNaN);

    EXPECT_SAME(sin(-0.0f), -0.0f);
    EXPECT_SAME(cos(-0.0f), 1.0f);
    EXPECT_SAME(sin(kInf), kNaN);
    EXPECT_SAME(cos(-kInf), kNaN);
    EXPECT_SAME(cos(kNaN), kNaN);

    // pow's table (C99 F.9.4.4) where the base is not negative: the renderer raises only
    // non-negative values (linear colours, densities) to a power.
    struct Case {
        float x, y, want;
    };
    const Case cases[] = {
        {kNaN, 0.0f, 1.0f},   {kNaN, -0.0f, 1.0f},   {1.0f, kNaN, 1.0f},         {1.0f, -kInf, 1.0f},
        {kNaN, 1.0f, kNaN},   {2.0f, kNaN, kNaN},    {0.0f, -3.0f, kInf},        {0.5f, -kInf, kInf},
        {3.0f, kInf, kInf},   {kInf, -1.0f, 0.0f},   {kInf, 1e-30f, kInf},       {2.0f, 128.0f, kInf},
        {10.0f, 39.0f, kInf}, {2.0f, -150.0f, 0.0f}, {2.0f, -149.0f, 0x1p-149f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pow(" << c.x << ", " << c.y << ")");
        EXPECT_SAME(pow(c.x, c.y), c.want);
    }
}

TEST(Elementary, KnownCorrectlyRoundedResults) {
    // Exact results.
    EXPECT_SAME(exp(0.0f), 1.0f);
    EXPECT_SAME(exp(-0.0f), 1.0f);
    EXPECT_SAME(pow(2.0f, 10.0f), 1024.0f);
    EXPECT_SAME(pow(9.0f, 0.5f), 3.0f);
    EXPECT_SAME(pow(16.0f, 0.75f), 8.0f);
    EXPECT_SAME(pow(0.25f, -1.5f), 8.0f);
    EXPECT_SAME(cbrt(27.0f), 3.0f);
    EXPECT_SAME(cbrt(-0x1p-147f), -0x1p-49f); // subnormal input, exact root
    EXPECT_SAME(cbrt(kMax), 0x1.965feap42f);
    EXPECT_SAME(sin(0.0f), 0.0f);
    EXPECT_SAME(cos(0.0f), 1.0f);
    // Results exactly halfway between two floats round to the even one: 4097^2 = 2^24 + 2^13 + 1,
    // 321^3 = 33076161 (odd, 25 bits), 2^-150 between 0 and the smallest subnormal.
    EXPECT_SAME(pow(4097.0f, 2.0f), 16785408.0f);
    EXPECT_SAME(pow(321.0f, 3.0f), 33076160.0f);
    EXPECT_SAME(pow(103041.0f, 1.5f), 33076160.0f); // 103041 = 321^2
    EXPECT_SAME(pow(0x1p-75f, 2.0f), 0.0f);
    EXPECT_SAME(pow(3.0f * 0x1p-76f, 2.0f), 0x1p-149f); // 9 * 2^-152 = 2.25 * 2^-150
    // Rounded from a 400-bit evaluation.
    EXPECT_SAME(exp(-100.0f), 0x1.bp-145f); // subnormal
    // Cube roots within 1e-7 ulp below and above a halfway point (the exact cube decides).
    EXPECT_SAME(cbrt(0x1.5e2722p0f), 0x1.1c2baep0f);
    EXPECT_SAME(cbrt(0x1.9c9abp0f), 0x1.2c265p0f);
    EXPECT_SAME(cbrt(0x1.06a76ap1f), 0x1.454f78p0f);
    EXPECT_SAME(pow(2.0f, 0.5f), 0x1.6a09e6p0f);
    EXPECT_SAME(pow(10.0f, -3.0f), 0x1.0624dep-10f);
    EXPECT_SAME(pow(1.1f, 100.0f), 0x1.aea524p13f);
    // Arguments near multiples of pi/2 and large arguments need the exact reduction.
    EXPECT_SAME(sin(3.14159274f), -0x1.777a5cp-24f);
    EXPECT_SAME(sin(6.28318548f), 0x1.777a5cp-23f);
    EXPECT_SAME(cos(1.57079637f), -0x1.777a5cp-25f);
    EXPECT_SAME(sin(355.0f), -0x1.f9bd04p-16f); // 355 / 113 is close to pi
    // Angles reach a few hundred radians (16.16 fixed-point degrees and their random turns); far
    // beyond that the reduction must still hold.
    EXPECT_SAME(sin(1e6f), -0x1.6664b2p-2f);
    EXPECT_SAME(cos(1e6f), 0x1.df9dfap-1f);
    EXPECT_SAME(sin(kMax), -0x1.0b3366p-1f);
}

} // namespace
} // namespace nebulastra::fmath
