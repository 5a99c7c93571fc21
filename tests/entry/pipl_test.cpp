#include "entry/pipl.h"

#include <gtest/gtest.h>

#include "entry/expected_pipl.h"

namespace nebulastra {
namespace {

TEST(Pipl, BuilderProducesTheExpectedBytes) {
    ASSERT_EQ(kPiplBytes.size(), sizeof test::kExpectedPipl);
    for (size_t i = 0; i < kPiplBytes.size(); ++i) {
        EXPECT_EQ(kPiplBytes[i], test::kExpectedPipl[i]) << "byte " << i;
    }
}

} // namespace
} // namespace nebulastra
