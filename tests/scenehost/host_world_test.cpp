// The host's worlds catch what a careless effect does to them: pixels it never wrote stay
// poison, writes into row padding or past either end of the buffer are seen.
#include <gtest/gtest.h>

#include <cstring>

#include "host/host_abi.h"
#include "scenehost/host_world.h"

namespace nebulastra::scenehost {
namespace {

// Rows are longer than their pixels, so an effect that assumes width * pixel size as the row
// length writes into the padding; a fresh world is poison throughout with its guards intact.
TEST(HostWorld, RowsArePaddedAndStartAsPoison) {
    for (int bits : {8, 16, 32}) {
        SCOPED_TRACE(bits);
        HostWorld w(5, 3, bits);
        const int pixelBytes = bits == 8 ? 4 : bits == 16 ? 8 : 16;
        EXPECT_GT(w.world()->rowbytes, 5 * pixelBytes);
        EXPECT_EQ(w.world()->extent_hint.right, 5);
        EXPECT_EQ(w.poisonCount(), 15);
        EXPECT_TRUE(w.guardsIntact());
        EXPECT_TRUE(w.paddingIntact());
    }
}

TEST(HostWorld, PoisonMarksEveryPixelNotWritten) {
    HostWorld w(4, 4, 16);
    // The poison can never be a correct 16-bit value: it lies above full scale.
    EXPECT_GT(w.pixel16(0, 0).red, PF_MAX_CHAN16);
    char* row2 = static_cast<char*>(w.world()->data) + 2 * w.world()->rowbytes;
    const PF_Pixel16 black{0, 0, 0, 0};
    std::memcpy(row2 + 3 * sizeof black, &black, sizeof black);
    EXPECT_FALSE(w.isPoison(3, 2));
    EXPECT_TRUE(w.isPoison(2, 2));
    EXPECT_EQ(w.poisonCount(), 15);
    EXPECT_EQ(w.pixel16(3, 2).alpha, 0);
    w.poison();
    EXPECT_EQ(w.poisonCount(), 16);
}

TEST(HostWorld, OverrunsAndPaddingWritesAreDetected) {
    struct Case {
        const char* what;
        int bits;
        std::ptrdiff_t (*byte)(const PF_LayerDef&); // offset of the byte written, from row 0
        bool guards, padding;
    };
    const Case cases[] = {
        {"one byte before row 0", 8, [](const PF_LayerDef&) -> std::ptrdiff_t { return -1; }, false, true},
        {"a whole row too many", 32, [](const PF_LayerDef& d) -> std::ptrdiff_t { return 2 * d.rowbytes; },
         false, true},
        // Treating rowbytes as width * 4: row 1's pixel 0 written at row 0's padding.
        {"rows of width * 4 bytes", 8, [](const PF_LayerDef&) -> std::ptrdiff_t { return 3 * 4; }, true,
         false},
    };
    for (const Case& c : cases) {
        HostWorld w(3, 2, c.bits);
        static_cast<unsigned char*>(w.world()->data)[c.byte(*w.world())] = 0;
        EXPECT_EQ(w.guardsIntact(), c.guards) << c.what;
        EXPECT_EQ(w.paddingIntact(), c.padding) << c.what;
        EXPECT_EQ(w.poisonCount(), 6) << c.what;
    }
}

} // namespace
} // namespace nebulastra::scenehost
