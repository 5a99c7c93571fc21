// OpenEXR output: one scan-line file with R, G, B and A channels. The library reads slices of the
// file's own sample type, so half samples are converted here first.
#include "exr_writer.h"

#include <Imath/ImathBox.h>
#include <Imath/half.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>

#include <stdexcept>

namespace nebulastra::render {

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
    const Imath::Box2i display(Imath::V2i(0, 0), Imath::V2i(placement.frameWidth - 1, placement.frameHeight - 1));
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
    Imf::OutputFile file(path.c_str(), header);
    file.setFrameBuffer(frame);
    file.writePixels(height);
  } catch (const std::exception& e) {
    throw std::runtime_error(path + ": cannot write OpenEXR: " + e.what());
  }
}

}  // namespace nebulastra::render
