// OpenEXR output: one scan-line file with R, G, B and A channels. The library reads slices of the
// file's own sample type, so half samples are converted here first.
#include "exr_writer.h"

#include <Imath/ImathBox.h>
#include <Imath/half.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>

#include <ImfIO.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace nebulastra::render_tool {
namespace {

// The file the library writes through. Its own file stream ignores failed writes (a full disk
// gave a truncated image and success); every write, seek and the final close are checked here.
class CheckedFile : public Imf::OStream {
public:
    explicit CheckedFile(const std::string& path)
        : Imf::OStream(path.c_str()), file_(std::fopen(path.c_str(), "wb")) {
        if (file_ == nullptr)
            throw std::runtime_error(std::string("cannot create the file: ") + std::strerror(errno));
    }
    ~CheckedFile() override {
        if (file_ != nullptr) std::fclose(file_);
    }
    void write(const char c[], int n) override {
        // A write that only fills the buffer succeeds; one that flushes it may fail (ferror).
        if (std::fwrite(c, 1, static_cast<std::size_t>(n), file_) != static_cast<std::size_t>(n) ||
            std::ferror(file_) != 0) {
            fail("cannot write the file: ");
        }
    }
    uint64_t tellp() override { return static_cast<uint64_t>(ftello(file_)); }
    void seekp(uint64_t pos) override {
        if (fseeko(file_, static_cast<off_t>(pos), SEEK_SET) != 0) fail("cannot seek in the file: ");
    }
    // Buffered bytes reach the disk here, so a full disk may only show now. A write that failed
    // while the library finished the file (it swallows errors in its destructor) shows here too.
    void close() {
        std::FILE* file = file_;
        file_ = nullptr;
        if (std::ferror(file) != 0) {
            std::fclose(file);
            throw std::runtime_error(std::string("cannot write the file: ") +
                                     std::strerror(writeError_ != 0 ? writeError_ : EIO));
        }
        if (std::fclose(file) != 0) {
            throw std::runtime_error(std::string("cannot finish writing the file: ") + std::strerror(errno));
        }
    }

private:
    // The first failure's reason is kept: the library swallows errors while it finishes the
    // file, and close() reports them.
    [[noreturn]] void fail(const char* what) {
        if (writeError_ == 0) writeError_ = errno;
        throw std::runtime_error(what + std::string(std::strerror(errno)));
    }

    std::FILE* file_;
    int writeError_ = 0;
};

} // namespace

void writeExr(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<float>& rgba, ExrSampleType sampleType) {
    writeExr(path, width, height, rgba, sampleType, ExrPlacement{width, height, 0, 0});
}

void writeExr(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<float>& rgba, ExrSampleType sampleType, const ExrPlacement& placement) {
    const Imf::PixelType fileType = sampleType == ExrSampleType::Half ? Imf::HALF : Imf::FLOAT;
    std::vector<half> halves;
    if (fileType == Imf::HALF) halves.assign(rgba.begin(), rgba.end());
    try {
        const Imath::Box2i display(Imath::V2i(0, 0),
                                   Imath::V2i(placement.frameWidth - 1, placement.frameHeight - 1));
        const Imath::Box2i data(Imath::V2i(placement.dataX, placement.dataY),
                                Imath::V2i(placement.dataX + width - 1, placement.dataY + height - 1));
        Imf::Header header(display, data);
        header.compression() = Imf::ZIP_COMPRESSION;
        Imf::FrameBuffer frame;
        const char* names[4] = {"R", "G", "B", "A"};
        const std::size_t sampleSize = fileType == Imf::HALF ? sizeof(half) : sizeof(float);
        const std::size_t xStride = 4 * sampleSize;
        const std::size_t yStride = xStride * static_cast<std::size_t>(width);
        // The library only reads through these pointers.
        char* const base = fileType == Imf::HALF ? reinterpret_cast<char*>(halves.data())
                                                 : reinterpret_cast<char*>(const_cast<float*>(rgba.data()));
        for (int c = 0; c < 4; ++c) {
            header.channels().insert(names[c], Imf::Channel(fileType));
            // Slices are addressed in data-window coordinates; Make places the buffer's first pixel
            // at the window's corner.
            frame.insert(names[c], Imf::Slice::Make(fileType, base + c * sampleSize, data, xStride, yStride));
        }
        CheckedFile stream(path);
        {
            Imf::OutputFile file(stream, header);
            file.setFrameBuffer(frame);
            file.writePixels(height);
        } // the library writes its last bytes (the line offsets) as the file object goes
        stream.close();
    } catch (const std::exception& e) {
        throw std::runtime_error(path + ": cannot write OpenEXR: " + e.what());
    }
}

} // namespace nebulastra::render_tool
