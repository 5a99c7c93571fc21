// The kernel's lane exp (exp_lanes.inl) against the scalar, correctly rounded fmath::exp, bit for
// bit: on every SIMD path this CPU runs, and at one lane (the width of the scalar kernel). The
// inputs cover the range the kernel feeds it (optical depths, x in [-110, 0]) densely, the edges
// where the lane form hands over to the scalar function or returns at once. bench/exp_lanes_check.cpp
// runs all 2^32 inputs, those whose result lies near a halfway point between two floats included.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "render/math/elementary.h"
#include "render/simd/packet_kernel.h"
#include "render/simd/simd_paths.h"

namespace nebulastra {
namespace {

using testing::bitsOf;
using testing::floatOf;

TEST(ExpLanes, MatchesTheScalarFunctionOverTheKernelsRangeAndAtItsEdges) {
    // Plus and minus 0, infinity, NaN, the largest float, the smallest subnormal, 2^-126, 2^-25,
    // 2^-24 and 1e-30, and the floats either side of where results overflow.
    const float specials[] = {0.0f,
                              std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::max(),
                              floatOf(1u),
                              0x1.0p-126f,
                              0x1.0p-25f,
                              0x1.0p-24f,
                              1e-30f};
    std::vector<float> x = {88.72283935546875f, 88.72284698486328f};
    for (float v : specials) x.insert(x.end(), {v, -v});
    // Every 2^11-th float from -0 down to -110, and every 2^13-th from +0 up to 89.
    for (uint32_t b = 0x80000000u; b <= bitsOf(-110.0f); b += 1u << 11) x.push_back(floatOf(b));
    for (uint32_t b = 0u; b <= bitsOf(89.0f); b += 1u << 13) x.push_back(floatOf(b));
    std::mt19937 rng(20261206u);
    std::uniform_real_distribution<float> depth(-110.0f, 0.0f);
    for (int i = 0; i < 100000; ++i) x.push_back(depth(rng));
    for (int i = 0; i < 50001; ++i) x.push_back(floatOf(static_cast<uint32_t>(rng()))); // anything at all
    // Every float from -87.4 to -87.3, where results leave the normal floats for the subnormals
    // (e^x = 2^-126 at -87.3365) and the lane form's range ends at -87.33.
    for (uint32_t b = bitsOf(-87.3f); b <= bitsOf(-87.4f); ++b) x.push_back(floatOf(b));
    // A thousand floats either side of where results reach the smallest subnormal (-103.28), go to
    // +0 (-103.97), the lane form returns +0 (-104), its range ends (88.7) and results overflow
    // (88.72284).
    for (float centre : {-103.28f, -103.97f, -104.0f, 88.7f, 88.72284f}) {
        for (int32_t d = -1000; d <= 1000; ++d)
            x.push_back(floatOf(bitsOf(centre) + static_cast<uint32_t>(d)));
    }

    // Every path over the inputs (an odd count leaves a partial packet), against fmath::exp in
    // every bit (NaN matches any NaN).
    const int32_t count = static_cast<int32_t>(x.size());
    std::vector<Isa> paths = testing::simdPathsOfThisCpu();
    paths.push_back(Isa::Scalar); // one lane
    for (Isa isa : paths) {
        std::vector<float> actual(x.size(), -7.0f);
        kernelFor(isa).expBatch(x.data(), actual.data(), count);
        long mismatches = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (!testing::sameValue(actual[i], fmath::exp(x[i])) && mismatches++ < 5) {
                ADD_FAILURE() << isaName(isa) << ": exp(" << std::hexfloat << x[i] << ") = " << actual[i]
                              << ", scalar " << fmath::exp(x[i]);
            }
        }
        EXPECT_EQ(mismatches, 0) << isaName(isa) << " over " << count << " inputs";
    }
}

} // namespace
} // namespace nebulastra
