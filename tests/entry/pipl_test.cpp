#include "entry/pipl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "entry/expected_pipl.h"

namespace nebulastra {
namespace {

uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

TEST(Pipl, BuilderProducesTheExpectedBytes) {
    ASSERT_EQ(kPiplBytes.size(), sizeof test::kExpectedPipl);
    for (size_t i = 0; i < kPiplBytes.size(); ++i) {
        EXPECT_EQ(kPiplBytes[i], test::kExpectedPipl[i]) << "byte " << i;
    }
}

TEST(Pipl, ParsesBackIntoTwelvePropertiesInOrder) {
    // Walk the list the way a host reader does: padded stride, lengths as declared.
    const uint8_t* p = kPiplBytes.data();
    ASSERT_EQ(p[0] | p[1] << 8, 1);
    ASSERT_EQ(readU32(p + 2), 0u);
    ASSERT_EQ(readU32(p + 6), 12u);
    const uint32_t expectedKeys[12] = {0x6B696E64, 0x6E616D65, 0x63617467, 0x38363634,
                                       0x65505652, 0x65535652, 0x65564552, 0x65494E46,
                                       0x65474C4F, 0x65474C32, 0x654D4E41, 0x6165464C};
    const uint32_t expectedStarts[12] = {10, 30, 58, 86, 114, 134, 154, 174, 194, 214, 234, 270};
    size_t offset = 10;
    for (int i = 0; i < 12; ++i) {
        ASSERT_LE(offset + 16, kPiplBytes.size());
        EXPECT_EQ(offset, expectedStarts[i]) << "property " << i + 1;
        EXPECT_EQ(readU32(p + offset), 0x3842494Du) << "vendor of property " << i + 1;
        EXPECT_EQ(readU32(p + offset + 4), expectedKeys[i]) << "property " << i + 1;
        EXPECT_EQ(readU32(p + offset + 8), 0u);
        const uint32_t length = readU32(p + offset + 12);
        offset += 16 + ((length + 3) & ~3u);
    }
    EXPECT_EQ(offset, kPiplBytes.size());
}

} // namespace
} // namespace nebulastra
