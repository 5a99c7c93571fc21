// The renderer's elementary functions: special values as IEEE 754 / C99 define them, independently
// known correctly rounded results, symmetries, and agreement with the platform's double functions
// on a sweep (bench/math_accuracy.cpp checks every float input; this is the quick guard).

#include "render/math/elementary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

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

float fromBits(std::uint32_t u) {
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
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

// Over a sweep of float bit patterns: sin and cbrt are odd and cos even to the bit, and every
// result is the double function's value rounded to float (unless too close to a halfway point for
// a double to decide). mingw-w64 reduces large sin and cos arguments with a 66-bit pi, so those
// are compared up to 1.5 only (the known results above cover large arguments).
TEST(Elementary, SymmetriesAndAgreementWithDoublePrecision) {
    const auto agrees = [&](float got, double want) {
        const float rounded = static_cast<float>(want);
        if (bits(got) == bits(rounded) || (std::isnan(got) && std::isnan(want))) return true;
        const float other = std::nextafter(rounded, want > static_cast<double>(rounded) ? kInf : -kInf);
        const double mid = (static_cast<double>(rounded) + static_cast<double>(other)) * 0.5;
        return std::fabs(want - mid) <= 0x1p-46 * std::fabs(want); // undecidable from a double
    };
    for (std::uint64_t u = 0; u < (1ull << 31); u += 32749) {
        const float x = fromBits(static_cast<std::uint32_t>(u));
        EXPECT_SAME(sin(-x), -sin(x));
        EXPECT_SAME(cos(-x), cos(x));
        EXPECT_SAME(cbrt(-x), -cbrt(x));
        for (const float s : {x, -x}) {
            const double sd = s;
            EXPECT_TRUE(agrees(exp(s), std::exp(sd))) << std::hexfloat << "exp " << s;
            if (std::fabs(sd) <= 1.5) {
                EXPECT_TRUE(agrees(sin(s), std::sin(sd))) << std::hexfloat << "sin " << s;
                EXPECT_TRUE(agrees(cos(s), std::cos(sd))) << std::hexfloat << "cos " << s;
            }
            EXPECT_TRUE(agrees(cbrt(s), std::cbrt(sd))) << std::hexfloat << "cbrt " << s;
        }
    }
    std::mt19937 gen(12345);
    std::uniform_real_distribution<float> base(0.0f, 4.0f), power(-60.0f, 60.0f);
    for (int i = 0; i < 20000; ++i) {
        const float x = base(gen), y = power(gen);
        EXPECT_TRUE(agrees(pow(x, y), std::pow(static_cast<double>(x), static_cast<double>(y))))
            << std::hexfloat << "pow " << x << " " << y;
    }
}

} // namespace
} // namespace nebulastra::fmath
