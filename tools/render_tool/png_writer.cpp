// PNG output through libpng's write interface. libpng reports errors by longjmp, so everything
// with a destructor lives outside the function that calls setjmp.
#include "png_writer.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace nebulastra::render_tool {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Writes the rows; returns false when libpng signalled an error. No objects with destructors
// may be created here (longjmp skips them).
bool writeRows(std::FILE* file, std::int32_t width, std::int32_t height, int bitDepth, png_bytep* rows,
               char* message, std::size_t messageSize) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        std::snprintf(message, messageSize, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        std::snprintf(message, messageSize, "libpng could not write the image");
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

void writePng(const std::string& path, std::int32_t width, std::int32_t height, int bitDepth,
              std::vector<png_byte>& bytes) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4 * (bitDepth / 8);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y) rows[y] = bytes.data() + rowBytes * y;

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error(path + ": cannot create the file");
    char message[128] = {};
    if (!writeRows(file.get(), width, height, bitDepth, rows.data(), message, sizeof message)) {
        throw std::runtime_error(path + ": " + message);
    }
    if (std::fclose(file.release()) != 0) throw std::runtime_error(path + ": cannot finish writing");
}

} // namespace

void writePng8(const std::string& path, std::int32_t width, std::int32_t height,
               const std::vector<std::uint8_t>& rgba) {
    std::vector<png_byte> bytes(rgba.begin(), rgba.end());
    writePng(path, width, height, 8, bytes);
}

void writePng16(const std::string& path, std::int32_t width, std::int32_t height,
                const std::vector<std::uint16_t>& rgba) {
    // PNG stores 16-bit samples most significant byte first.
    std::vector<png_byte> bytes;
    bytes.reserve(rgba.size() * 2);
    for (std::uint16_t v : rgba) {
        bytes.push_back(static_cast<png_byte>(v >> 8));
        bytes.push_back(static_cast<png_byte>(v & 0xff));
    }
    writePng(path, width, height, 16, bytes);
}

} // namespace nebulastra::render_tool
