// Raw float frames: header and sample bits, little-endian whatever the machine.
#include "raw_frame/raw_frame.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace nebulastra::raw_frame {

namespace {

constexpr char kMagic[4] = {'N', 'B', 'R', 'F'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kHeaderBytes = 16;

void putWord(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFu));
}

std::uint32_t getWord(const std::string& in, std::size_t offset) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    return v;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

void writeRawFrame(const std::string& path, const FloatFrame& frame) {
    std::string bytes(kMagic, 4);
    bytes.reserve(kHeaderBytes + frame.argb.size() * 4);
    putWord(bytes, kVersion);
    putWord(bytes, static_cast<std::uint32_t>(frame.width));
    putWord(bytes, static_cast<std::uint32_t>(frame.height));
    for (float v : frame.argb) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        putWord(bytes, bits);
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error(path + ": cannot create the file: " + std::strerror(errno));
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        throw std::runtime_error(path + ": cannot write the frame: " + std::strerror(errno));
    }
    // fclose flushes: a full disk may show only there.
    if (std::fclose(file.release()) != 0) {
        throw std::runtime_error(path + ": cannot finish writing the frame: " + std::strerror(errno));
    }
}

FloatFrame readRawFrame(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open " + path);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() < kHeaderBytes || bytes.compare(0, 4, kMagic, 4) != 0 || getWord(bytes, 4) != kVersion) {
        throw std::runtime_error(path + ": not a version 1 raw float frame");
    }
    FloatFrame frame;
    const std::uint32_t width = getWord(bytes, 8), height = getWord(bytes, 12);
    // Sizes are checked in 64 bits before they are trusted: a damaged header must not wrap.
    const std::uint64_t count = std::uint64_t{width} * height * 4;
    if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX ||
        bytes.size() != kHeaderBytes + count * 4) {
        throw std::runtime_error(path + ": size does not match its header");
    }
    frame.width = static_cast<std::int32_t>(width);
    frame.height = static_cast<std::int32_t>(height);
    frame.argb.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < frame.argb.size(); ++i) {
        const std::uint32_t bits = getWord(bytes, kHeaderBytes + i * 4);
        std::memcpy(&frame.argb[i], &bits, 4);
    }
    return frame;
}

FrameDifference compareFrames(const FloatFrame& frame, const FloatFrame& reference, double absolute,
                              double relative) {
    FrameDifference d;
    if (frame.width != reference.width || frame.height != reference.height) {
        d.channels = d.differing = d.outOfTolerance = reference.argb.size();
        d.maxAbsolute = d.maxRelative = INFINITY;
        return d;
    }
    d.channels = reference.argb.size();
    for (std::size_t i = 0; i < d.channels; ++i) {
        const float a = frame.argb[i];
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

} // namespace nebulastra::raw_frame
