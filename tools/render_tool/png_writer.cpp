// PNG output through libpng's write interface. libpng reports errors by longjmp, so everything
// with a destructor lives outside the function that calls setjmp.
#include "png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace nebulastra::render_tool {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Where libpng's bytes go: the file, with the system's reason kept when a write fails (libpng's
// own writer only knows that it failed).
struct Sink {
    std::FILE* file;
    int error = 0;
};

extern "C" void writeBytes(png_structp png, png_bytep data, png_size_t length) {
    Sink& sink = *static_cast<Sink*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, sink.file) != length) {
        sink.error = errno;
        png_error(png, "write failed");
    }
}

extern "C" void flushBytes(png_structp png) {
    Sink& sink = *static_cast<Sink*>(png_get_io_ptr(png));
    if (std::fflush(sink.file) != 0) {
        sink.error = errno;
        png_error(png, "write failed");
    }
}

// Writes the rows; returns false when libpng signalled an error. No objects with destructors
// may be created here (longjmp skips them).
bool writeRows(Sink& sink, std::int32_t width, std::int32_t height, int bitDepth, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        sink.error = ENOMEM;
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        if (info == nullptr) sink.error = ENOMEM;
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &sink, writeBytes, flushBytes);
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
    if (!file) throw std::runtime_error(path + ": cannot create the file: " + std::strerror(errno));
    Sink sink{file.get()};
    if (!writeRows(sink, width, height, bitDepth, rows.data())) {
        throw std::runtime_error(path + ": cannot write the image: " +
                                 (sink.error != 0 ? std::strerror(sink.error) : "libpng refused it"));
    }
    // Buffered bytes reach the disk here, so a full disk may only show now.
    if (std::fclose(file.release()) != 0) {
        throw std::runtime_error(path + ": cannot finish writing the image: " + std::strerror(errno));
    }
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
