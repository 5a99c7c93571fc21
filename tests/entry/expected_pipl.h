#pragma once
// The PiPL resource the host must find in the effect library, written out byte for byte from the
// effect's identity table (12 properties, padded lengths, 290 bytes). Deliberately not computed
// from src/entry/pipl.h: the tests compare the builder and the built library against this.

#include <cstddef>
#include <cstdint>

namespace nebulastra::test {

// clang-format off
inline constexpr uint8_t kExpectedPipl[] = {
    // header: version 1, reserved 0, 12 properties
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00,
    'M', 'I', 'B', '8', 'd', 'n', 'i', 'k', 0, 0, 0, 0, 4, 0, 0, 0, 0x54, 0x4B, 0x46, 0x65, // 1 kind (10): 'eFKT'
    'M', 'I', 'B', '8', 'e', 'm', 'a', 'n', 0, 0, 0, 0, 12, 0, 0, 0, // 2 name (30): Pascal "Nebulastra"
    0x0A, 0x4E, 0x65, 0x62, 0x75, 0x6C, 0x61, 0x73, 0x74, 0x72, 0x61, 0x00,
    'M', 'I', 'B', '8', 'g', 't', 'a', 'c', 0, 0, 0, 0, 12, 0, 0, 0, // 3 catg (58): Pascal "Generate"
    0x08, 0x47, 0x65, 0x6E, 0x65, 0x72, 0x61, 0x74, 0x65, 0x00, 0x00, 0x00,
    'M', 'I', 'B', '8', '4', '6', '6', '8', 0, 0, 0, 0, 12, 0, 0, 0, // 4 8664 (86): "EffectMain" NUL-terminated
    0x45, 0x66, 0x66, 0x65, 0x63, 0x74, 0x4D, 0x61, 0x69, 0x6E, 0x00, 0x00,
    'M', 'I', 'B', '8', 'R', 'V', 'P', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0x02, 0x00, 0x00, 0x00, // 5 ePVR (114): 2
    'M', 'I', 'B', '8', 'R', 'V', 'S', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0x0D, 0x00, 0x1C, 0x00, // 6 eSVR (134): 13, 28
    'M', 'I', 'B', '8', 'R', 'E', 'V', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0x01, 0xA8, 0x14, 0x00, // 7 eVER (154): 0x0014A801
    'M', 'I', 'B', '8', 'F', 'N', 'I', 'e', 0, 0, 0, 0, 2, 0, 0, 0, 0x00, 0x00, 0x00, 0x00, // 8 eINF (174): 16-bit 0, length 2, padded
    'M', 'I', 'B', '8', 'O', 'L', 'G', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0x04, 0x00, 0x08, 0x02, // 9 eGLO (194): 0x02080004
    'M', 'I', 'B', '8', '2', 'L', 'G', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0x06, 0x14, 0x00, 0x08, // 10 eGL2 (214): 0x08001406
    'M', 'I', 'B', '8', 'A', 'N', 'M', 'e', 0, 0, 0, 0, 20, 0, 0, 0, // 11 eMNA (234): Pascal "Mirto_Nebulastra"
    0x10, 0x4D, 0x69, 0x72, 0x74, 0x6F, 0x5F, 0x4E, 0x65, 0x62, 0x75, 0x6C, 0x61, 0x73, 0x74,
    0x72, 0x61, 0x00, 0x00, 0x00,
    'M', 'I', 'B', '8', 'L', 'F', 'e', 'a', 0, 0, 0, 0, 4, 0, 0, 0, 0x08, 0x00, 0x00, 0x00, // 12 aeFL (270): 8
};
// clang-format on

static_assert(sizeof kExpectedPipl == 290, "the effect's PiPL is 290 bytes");

} // namespace nebulastra::test
