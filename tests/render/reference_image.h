#pragma once
// Reference frames kept in the repository, and the comparison of a rendered frame with one. The
// file: "NBRF", then version 1, width, height and, row by row from the top-left, each pixel's
// alpha, red, green and blue as float bit patterns (so every value is pinned exactly), all
// little-endian 32-bit words.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace nebulastra::testing {

struct FloatImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<float> argb; // 4 per pixel, alpha first, rows from the top
};

inline constexpr char kReferenceMagic[4] = {'N', 'B', 'R', 'F'};
inline constexpr std::uint32_t kReferenceVersion = 1;

namespace detail {

inline void putWord(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFu));
}

inline std::uint32_t getWord(const std::string& in, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    return v;
}

} // namespace detail

inline void writeReferenceImage(const std::string& path, const FloatImage& image) {
    std::string bytes(kReferenceMagic, 4);
    detail::putWord(bytes, kReferenceVersion);
    detail::putWord(bytes, static_cast<std::uint32_t>(image.width));
    detail::putWord(bytes, static_cast<std::uint32_t>(image.height));
    for (float v : image.argb) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        detail::putWord(bytes, bits);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file) throw std::runtime_error("cannot write " + path);
}

// Throws std::runtime_error naming the file when it is missing, truncated or not a reference.
inline FloatImage readReferenceImage(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() < 16 || bytes.compare(0, 4, kReferenceMagic, 4) != 0 ||
        detail::getWord(bytes, 4) != kReferenceVersion) {
        throw std::runtime_error(path + ": not a version 1 reference frame");
    }
    FloatImage image;
    image.width = static_cast<std::int32_t>(detail::getWord(bytes, 8));
    image.height = static_cast<std::int32_t>(detail::getWord(bytes, 12));
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height * 4;
    if (image.width <= 0 || image.height <= 0 || bytes.size() != 16 + count * 4) {
        throw std::runtime_error(path + ": size does not match its header");
    }
    image.argb.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t bits = detail::getWord(bytes, 16 + i * 4);
        std::memcpy(&image.argb[i], &bits, 4);
    }
    return image;
}

// How far a frame lies from its reference, channel by channel.
struct FrameDifference {
    std::size_t channels = 0;       // compared
    std::size_t differing = 0;      // not bit-identical
    std::size_t outOfTolerance = 0; // beyond the tolerance given to compareFrames
    double maxAbsolute = 0.0;
    double maxRelative = 0.0;              // |a - b| / |reference|, over channels whose reference is not 0
    std::int32_t worstX = -1, worstY = -1; // where the largest absolute difference lies
    int worstChannel = -1;                 // 0 alpha, 1 red, 2 green, 3 blue
};

// A channel is within tolerance when |a - b| <= absolute + relative * |reference|. NaN never is,
// unless both are NaN with the same bits. Images of different sizes are wholly out of tolerance.
inline FrameDifference compareFrames(const FloatImage& image, const FloatImage& reference, double absolute,
                                     double relative) {
    FrameDifference d;
    if (image.width != reference.width || image.height != reference.height) {
        d.channels = d.differing = d.outOfTolerance = reference.argb.size();
        d.maxAbsolute = d.maxRelative = INFINITY;
        return d;
    }
    d.channels = reference.argb.size();
    for (std::size_t i = 0; i < d.channels; ++i) {
        const float a = image.argb[i];
        const float r = reference.argb[i];
        if (std::memcmp(&a, &r, 4) == 0) continue;
        ++d.differing;
        const double diff = std::fabs(static_cast<double>(a) - static_cast<double>(r));
        const double magnitude = std::fabs(static_cast<double>(r));
        if (!(diff <= absolute + relative * magnitude)) ++d.outOfTolerance;
        if (!(diff <= d.maxAbsolute)) {
            d.maxAbsolute = diff;
            const std::size_t pixel = i / 4;
            d.worstX = static_cast<std::int32_t>(pixel % reference.width);
            d.worstY = static_cast<std::int32_t>(pixel / reference.width);
            d.worstChannel = static_cast<int>(i % 4);
        }
        if (magnitude > 0.0 && !(diff / magnitude <= d.maxRelative)) d.maxRelative = diff / magnitude;
    }
    return d;
}

} // namespace nebulastra::testing
