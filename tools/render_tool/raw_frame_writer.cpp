// Raw float frames: header and sample bits, little-endian whatever the machine.
#include "raw_frame_writer.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace nebulastra::render_tool {

namespace {

void putWord(std::vector<unsigned char>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>((v >> (8 * i)) & 0xFFu));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

void writeRawFloatFrame(const std::string& path, std::int32_t width, std::int32_t height,
                        const std::vector<float>& argb) {
    std::vector<unsigned char> bytes = {'N', 'B', 'R', 'F'};
    bytes.reserve(16 + argb.size() * 4);
    putWord(bytes, 1);
    putWord(bytes, static_cast<std::uint32_t>(width));
    putWord(bytes, static_cast<std::uint32_t>(height));
    for (float v : argb) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        putWord(bytes, bits);
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error(path + ": cannot create the file");
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
        std::fclose(file.release()) != 0) {
        throw std::runtime_error(path + ": cannot write the frame");
    }
}

} // namespace nebulastra::render_tool
