#include "scenehost/host_world.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "host/host_world.h"

namespace nebulastra::scenehost {
namespace {

// The poison word as it lies in memory (little-endian), repeated from every row's first byte.
constexpr std::uint8_t kPoisonBytes[4] = {
    static_cast<std::uint8_t>(kPoisonWord & 0xFF), static_cast<std::uint8_t>((kPoisonWord >> 8) & 0xFF),
    static_cast<std::uint8_t>((kPoisonWord >> 16) & 0xFF), static_cast<std::uint8_t>(kPoisonWord >> 24)};

std::int32_t bytesPerPixelFor(int bits) {
    switch (bits) {
    case 8:
        return 4;
    case 16:
        return 8;
    case 32:
        return 16;
    default:
        throw std::invalid_argument("a world has 8, 16 or 32 bits per channel");
    }
}

template <typename T>
T clampScaled(float v, float scale) {
    float c = v >= 0.0f ? std::min(v, 1.0f) : 0.0f;
    return static_cast<T>(c * scale + 0.5f);
}

} // namespace

HostWorld::HostWorld() : HostWorld(0, 0, 8) {}

HostWorld::HostWorld(std::int32_t width, std::int32_t height, int bitsPerChannel,
                     std::int32_t rowPaddingBytes)
    : width_(width), height_(height), bits_(bitsPerChannel), world_(std::make_unique<PF_LayerDef>()) {
    if (width < 0 || height < 0) throw std::invalid_argument("a world has no negative size");
    if (rowPaddingBytes < 0 || rowPaddingBytes % 4 != 0)
        throw std::invalid_argument("row padding must be a non-negative multiple of 4 bytes");
    rowbytes_ = width * bytesPerPixelFor(bitsPerChannel) + rowPaddingBytes;
    dataOffset_ = kGuardBytes;
    storage_.assign(kGuardBytes + static_cast<std::size_t>(rowbytes_) * static_cast<std::size_t>(height) +
                        kGuardBytes,
                    kGuardByte);

    PF_LayerDef& w = *world_;
    std::memset(&w, 0, sizeof w);
    w.world_flags = PF_WorldFlag_WRITEABLE | (bits_ == 16 ? PF_WorldFlag_DEEP : 0);
    w.data = storage_.data() + dataOffset_;
    w.rowbytes = rowbytes_;
    w.width = width;
    w.height = height;
    w.extent_hint = PF_LRect{0, 0, width, height};
    w.pix_aspect_ratio = PF_RationalScale{1, 1};
    poison();
}

HostWorld::~HostWorld() = default;
HostWorld::HostWorld(HostWorld&&) noexcept = default;
HostWorld& HostWorld::operator=(HostWorld&&) noexcept = default;

std::int32_t HostWorld::bytesPerPixel() const { return bytesPerPixelFor(bits_); }

void HostWorld::setOrigin(std::int32_t x, std::int32_t y) {
    world_->origin_x = x;
    world_->origin_y = y;
}

std::int32_t HostWorld::originX() const { return world_->origin_x; }
std::int32_t HostWorld::originY() const { return world_->origin_y; }

std::int32_t HostWorld::pixelFormat() const {
    return bits_ == 32 ? kPixelFormatArgb128 : bits_ == 16 ? kPixelFormatArgb64 : kPixelFormatArgb32;
}

std::uint8_t* HostWorld::firstPixelByte() { return storage_.data() + dataOffset_; }

void HostWorld::poison() {
    std::fill(storage_.begin(), storage_.begin() + static_cast<std::ptrdiff_t>(dataOffset_), kGuardByte);
    std::fill(storage_.end() - static_cast<std::ptrdiff_t>(kGuardBytes), storage_.end(), kGuardByte);
    for (std::int32_t y = 0; y < height_; ++y) {
        std::uint8_t* row = firstPixelByte() + static_cast<std::ptrdiff_t>(y) * rowbytes_;
        for (std::int32_t k = 0; k < rowbytes_; ++k) row[k] = kPoisonBytes[k % 4];
    }
}

void HostWorld::fill(ArgbF v) {
    for (std::int32_t y = 0; y < height_; ++y)
        for (std::int32_t x = 0; x < width_; ++x) {
            std::uint8_t* p = const_cast<std::uint8_t*>(pixelAddress(x, y));
            if (bits_ == 8) {
                Argb8 q{clampScaled<std::uint8_t>(v.alpha, 255.0f), clampScaled<std::uint8_t>(v.red, 255.0f),
                        clampScaled<std::uint8_t>(v.green, 255.0f),
                        clampScaled<std::uint8_t>(v.blue, 255.0f)};
                std::memcpy(p, &q, sizeof q);
            } else if (bits_ == 16) {
                Argb16 q{clampScaled<std::uint16_t>(v.alpha, 32768.0f),
                         clampScaled<std::uint16_t>(v.red, 32768.0f),
                         clampScaled<std::uint16_t>(v.green, 32768.0f),
                         clampScaled<std::uint16_t>(v.blue, 32768.0f)};
                std::memcpy(p, &q, sizeof q);
            } else {
                std::memcpy(p, &v, sizeof v);
            }
        }
}

bool HostWorld::guardsIntact() const {
    auto intact = [](const std::uint8_t* b, std::size_t n) {
        return std::all_of(b, b + n, [](std::uint8_t v) { return v == kGuardByte; });
    };
    return intact(storage_.data(), dataOffset_) &&
           intact(storage_.data() + storage_.size() - kGuardBytes, kGuardBytes);
}

bool HostWorld::paddingIntact() const {
    const std::int32_t used = width_ * bytesPerPixel();
    for (std::int32_t y = 0; y < height_; ++y) {
        const std::uint8_t* row = storage_.data() + dataOffset_ + static_cast<std::ptrdiff_t>(y) * rowbytes_;
        for (std::int32_t k = used; k < rowbytes_; ++k)
            if (row[k] != kPoisonBytes[k % 4]) return false;
    }
    return true;
}

const std::uint8_t* HostWorld::pixelAddress(std::int32_t x, std::int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) throw std::out_of_range("pixel outside the world");
    return storage_.data() + dataOffset_ + static_cast<std::ptrdiff_t>(y) * rowbytes_ +
           static_cast<std::ptrdiff_t>(x) * bytesPerPixel();
}

bool HostWorld::isPoison(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* p = pixelAddress(x, y);
    for (std::int32_t k = 0; k < bytesPerPixel(); ++k)
        if (p[k] != kPoisonBytes[k % 4]) return false;
    return true;
}

std::int64_t HostWorld::poisonCount() const {
    std::int64_t n = 0;
    for (std::int32_t y = 0; y < height_; ++y)
        for (std::int32_t x = 0; x < width_; ++x) n += isPoison(x, y) ? 1 : 0;
    return n;
}

Argb8 HostWorld::pixel8(std::int32_t x, std::int32_t y) const {
    if (bits_ != 8) throw std::logic_error("pixel8 of a world that is not 8-bit");
    Argb8 p;
    std::memcpy(&p, pixelAddress(x, y), sizeof p);
    return p;
}

Argb16 HostWorld::pixel16(std::int32_t x, std::int32_t y) const {
    if (bits_ != 16) throw std::logic_error("pixel16 of a world that is not 16-bit");
    Argb16 p;
    std::memcpy(&p, pixelAddress(x, y), sizeof p);
    return p;
}

ArgbF HostWorld::pixelFloat(std::int32_t x, std::int32_t y) const {
    if (bits_ != 32) throw std::logic_error("pixelFloat of a world that is not float");
    ArgbF p;
    std::memcpy(&p, pixelAddress(x, y), sizeof p);
    return p;
}

ArgbF HostWorld::pixel(std::int32_t x, std::int32_t y) const {
    if (bits_ == 8) {
        Argb8 p = pixel8(x, y);
        return {p.alpha / 255.0f, p.red / 255.0f, p.green / 255.0f, p.blue / 255.0f};
    }
    if (bits_ == 16) {
        Argb16 p = pixel16(x, y);
        return {p.alpha / 32768.0f, p.red / 32768.0f, p.green / 32768.0f, p.blue / 32768.0f};
    }
    return pixelFloat(x, y);
}

} // namespace nebulastra::scenehost
