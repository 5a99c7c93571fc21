#pragma once
// The effect's PiPL resource ("plug-in property list"), built at compile time from the identity
// constants. The host reads it before it ever calls into the library, so it must agree with what
// PluginDataEntryFunction and global setup report; building both from effect_identity.h makes
// that automatic.
//
// Binary layout (Windows, all integers little-endian):
//   header:   uint16 version = 1, uint32 reserved = 0, uint32 property count
//   property: uint32 vendor '8BIM', uint32 key, uint32 id = 0, uint32 length, then the data,
//             padded with zero bytes to a multiple of 4.
// Four-character codes are multi-character constants (first character most significant), so in
// memory they read backwards: 'eFKT' is stored as "TKFe". Lengths are the padded lengths, except
// eINF, whose 16-bit value declares length 2 and is then padded like the rest.
//
// Compiled for the build machine by tools/pipl/write_pipl.cpp as well as into the effect, so it
// uses nothing beyond the standard library.

#include <array>
#include <cstddef>
#include <cstdint>

#include "entry/effect_identity.h"

namespace nebulastra {

constexpr uint16_t kPiplVersion = 1;
constexpr uint32_t kPiplVendor = 0x3842494Du; // '8BIM'

// Property keys, in the order the effect lists them.
constexpr uint32_t kPiplKeyKind = 0x6B696E64u;         // 'kind'
constexpr uint32_t kPiplKeyName = 0x6E616D65u;         // 'name'
constexpr uint32_t kPiplKeyCategory = 0x63617467u;     // 'catg'
constexpr uint32_t kPiplKeyCodeWin64 = 0x38363634u;    // '8664', x64 entry point symbol
constexpr uint32_t kPiplKeyPiplVersion = 0x65505652u;  // 'ePVR', AE_PiPL_Version
constexpr uint32_t kPiplKeySpecVersion = 0x65535652u;  // 'eSVR', AE_Effect_Spec_Version
constexpr uint32_t kPiplKeyVersion = 0x65564552u;      // 'eVER', AE_Effect_Version
constexpr uint32_t kPiplKeyInfoFlags = 0x65494E46u;    // 'eINF', AE_Effect_Info_Flags
constexpr uint32_t kPiplKeyOutFlags = 0x65474C4Fu;     // 'eGLO', AE_Effect_Global_OutFlags
constexpr uint32_t kPiplKeyOutFlags2 = 0x65474C32u;    // 'eGL2', AE_Effect_Global_OutFlags_2
constexpr uint32_t kPiplKeyMatchName = 0x654D4E41u;    // 'eMNA', AE_Effect_Match_Name
constexpr uint32_t kPiplKeyReservedInfo = 0x6165464Cu; // 'aeFL', AE_Reserved_Info

constexpr uint32_t kPiplPropertyCount = 12;
constexpr uint32_t kPiplFormatVersion = 2; // value of ePVR

namespace pipl_detail {

constexpr size_t textLength(const char* s) {
    size_t n = 0;
    while (s[n] != '\0') ++n;
    return n;
}

constexpr size_t padTo4(size_t n) { return (n + 3) & ~size_t(3); }

// Data bytes a property occupies once padded.
constexpr size_t pascalBytes(const char* s) { return padTo4(1 + textLength(s)); }
constexpr size_t cStringBytes(const char* s) { return padTo4(textLength(s) + 1); }

constexpr size_t kHeaderBytes = 10;
constexpr size_t kPropertyHeaderBytes = 16;

constexpr size_t piplSize() {
    return kHeaderBytes + 12 * kPropertyHeaderBytes + 4 /*kind*/ + pascalBytes(kEffectName) +
           pascalBytes(kCategory) + cStringBytes(kEntryPointName) + 4 /*ePVR*/ + 4 /*eSVR*/ + 4 /*eVER*/ +
           4 /*eINF*/ + 4 /*eGLO*/ + 4 /*eGL2*/ + pascalBytes(kMatchName) + 4 /*aeFL*/;
}

static_assert(textLength(kEffectName) <= 255 && textLength(kCategory) <= 255 && textLength(kMatchName) <= 255,
              "Pascal strings carry their length in one byte");

template <size_t N>
struct ByteWriter {
    std::array<uint8_t, N> bytes{};
    size_t size = 0;

    constexpr void u8(uint32_t v) { bytes[size++] = static_cast<uint8_t>(v & 0xFFu); }
    constexpr void u16(uint32_t v) {
        u8(v);
        u8(v >> 8);
    }
    constexpr void u32(uint32_t v) {
        u16(v);
        u16(v >> 16);
    }
    constexpr void padToMultipleOf4(size_t start) {
        while ((size - start) % 4 != 0) u8(0);
    }
    constexpr void propertyHeader(uint32_t key, uint32_t length) {
        u32(kPiplVendor);
        u32(key);
        u32(0);
        u32(length);
    }
    constexpr void u32Property(uint32_t key, uint32_t value) {
        propertyHeader(key, 4);
        u32(value);
    }
    constexpr void pascalProperty(uint32_t key, const char* s) {
        const size_t n = textLength(s);
        propertyHeader(key, static_cast<uint32_t>(padTo4(1 + n)));
        const size_t start = size;
        u8(static_cast<uint32_t>(n));
        for (size_t i = 0; i < n; ++i) u8(static_cast<uint8_t>(s[i]));
        padToMultipleOf4(start);
    }
    constexpr void cStringProperty(uint32_t key, const char* s) {
        const size_t n = textLength(s);
        propertyHeader(key, static_cast<uint32_t>(padTo4(n + 1)));
        const size_t start = size;
        for (size_t i = 0; i < n; ++i) u8(static_cast<uint8_t>(s[i]));
        u8(0);
        padToMultipleOf4(start);
    }
};

} // namespace pipl_detail

constexpr size_t kPiplSize = pipl_detail::piplSize();

using PiplBytes = std::array<uint8_t, kPiplSize>;

/// The complete PiPL resource of the effect, byte for byte.
constexpr PiplBytes buildPipl() {
    pipl_detail::ByteWriter<kPiplSize> w;
    w.u16(kPiplVersion);
    w.u32(0);
    w.u32(kPiplPropertyCount);

    w.u32Property(kPiplKeyKind, kEffectKind);
    w.pascalProperty(kPiplKeyName, kEffectName);
    w.pascalProperty(kPiplKeyCategory, kCategory);
    w.cStringProperty(kPiplKeyCodeWin64, kEntryPointName);
    w.u32Property(kPiplKeyPiplVersion, kPiplFormatVersion);
    w.propertyHeader(kPiplKeySpecVersion, 4);
    w.u16(static_cast<uint32_t>(kInterfaceVersionMajor));
    w.u16(static_cast<uint32_t>(kInterfaceVersionMinor));
    w.u32Property(kPiplKeyVersion, kEffectVersion);
    w.propertyHeader(kPiplKeyInfoFlags, 2); // 16-bit flags, unused by the host: 0
    w.u16(0);
    w.u16(0);
    w.u32Property(kPiplKeyOutFlags, static_cast<uint32_t>(kOutFlags));
    w.u32Property(kPiplKeyOutFlags2, static_cast<uint32_t>(kOutFlags2));
    w.pascalProperty(kPiplKeyMatchName, kMatchName);
    w.u32Property(kPiplKeyReservedInfo, static_cast<uint32_t>(kReservedInfo));
    return w.bytes;
}

constexpr PiplBytes kPiplBytes = buildPipl();

} // namespace nebulastra
