// A pixel world the way a strict host hands it out: rows padded beyond the pixels they hold, guard
// bytes before the first row and after the last, and every pixel and padding byte poisoned before
// each render. After the effect returns, a test can tell which pixels it never wrote (still
// poison), whether it wrote into row padding, and whether it ran off either end of the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct PF_LayerDef;

namespace nebulastra::scenehost {

// Pixels as stored, channels in the host's order: alpha, red, green, blue.
struct Argb8 {
    std::uint8_t alpha, red, green, blue;
};
struct Argb16 {
    std::uint16_t alpha, red, green, blue;
};
struct ArgbF {
    float alpha, red, green, blue;
};

// PF_PixelFormat codes (first character in the least significant byte).
inline constexpr std::int32_t kPixelFormatArgb32 = 0x62677261;  // 'argb', 8 bits
inline constexpr std::int32_t kPixelFormatArgb64 = 0x36316561;  // 'ae16', 16 bits
inline constexpr std::int32_t kPixelFormatArgb128 = 0x32336561; // 'ae32', float

// Every poisoned pixel holds these bytes, whatever the depth: 0xEF 0xBE 0xAD 0xDE repeated. As a
// 16-bit channel 0xBEEF (48879) lies above full scale 32768 and can never be written by a correct
// effect; as a float it is about -6.3e18.
inline constexpr std::uint32_t kPoisonWord = 0xDEADBEEFu;
inline constexpr std::uint8_t kGuardByte = 0xFD;

class HostWorld {
public:
    static constexpr std::int32_t kDefaultRowPadding = 24; // bytes beyond the pixels of each row
    static constexpr std::size_t kGuardBytes = 256;        // before the first and after the last row

    HostWorld();
    // bitsPerChannel: 8, 16 or 32 (float). rowPaddingBytes must keep rows aligned to 4 bytes.
    HostWorld(std::int32_t width, std::int32_t height, int bitsPerChannel,
              std::int32_t rowPaddingBytes = kDefaultRowPadding);
    ~HostWorld();
    HostWorld(HostWorld&&) noexcept;
    HostWorld& operator=(HostWorld&&) noexcept;

    // The world record handed to the effect (data, rowbytes, width, height, extent_hint = the
    // whole world, world_flags DEEP for 16 bits and WRITEABLE, pixel aspect 1/1, origin 0, 0).
    PF_LayerDef* world() { return world_.get(); }
    const PF_LayerDef* world() const { return world_.get(); }

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    int bitsPerChannel() const { return bits_; }
    std::int32_t bytesPerPixel() const;
    std::int32_t rowbytes() const { return rowbytes_; }

    // Where the world lies in its layer (origin_x / origin_y): the layer pixel, at the current
    // downsample, of the world's pixel (0, 0). Smart-render output worlds that cover only part of
    // the layer carry it; it may be negative for a buffer reaching past the layer's edge.
    void setOrigin(std::int32_t x, std::int32_t y);
    std::int32_t originX() const;
    std::int32_t originY() const;
    std::int32_t pixelFormat() const; // the PF_PixelFormat that PF_GetPixelFormat reports

    // Pixels and row padding to the poison pattern; guards to kGuardByte.
    void poison();
    // Every pixel to one value (for an input layer with content); padding stays as it was.
    void fill(ArgbF value);

    bool guardsIntact() const;  // the bytes before row 0 and after the last row are untouched
    bool paddingIntact() const; // the bytes after each row's last pixel are still poison
    bool isPoison(std::int32_t x, std::int32_t y) const;
    std::int64_t poisonCount() const; // pixels still holding the poison pattern

    Argb8 pixel8(std::int32_t x, std::int32_t y) const;     // 8-bit world only
    Argb16 pixel16(std::int32_t x, std::int32_t y) const;   // 16-bit world only
    ArgbF pixelFloat(std::int32_t x, std::int32_t y) const; // float world only
    // Any depth, scaled to 0..1 (8-bit / 255, 16-bit / 32768, float as stored).
    ArgbF pixel(std::int32_t x, std::int32_t y) const;

    // Raw storage, for the host's own tests: the whole allocation (guards included) and the first
    // pixel byte.
    std::uint8_t* storage() { return storage_.data(); }
    std::size_t storageSize() const { return storage_.size(); }
    std::uint8_t* firstPixelByte();

private:
    const std::uint8_t* pixelAddress(std::int32_t x, std::int32_t y) const;

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    int bits_ = 8;
    std::int32_t rowbytes_ = 0;
    std::size_t dataOffset_ = 0; // offset of the first pixel byte inside storage_
    std::vector<std::uint8_t> storage_;
    std::unique_ptr<PF_LayerDef> world_;
};

} // namespace nebulastra::scenehost
