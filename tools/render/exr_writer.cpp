// OpenEXR output: one scan-line file whose channels are converted from the float frame buffer by
// the library (to half when asked).
#include "exr_writer.h"

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>

#include <stdexcept>

namespace nebulastra::render {

void writeExr(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<float>& rgba, ExrSampleType sampleType) {
  const Imf::PixelType fileType = sampleType == ExrSampleType::Half ? Imf::HALF : Imf::FLOAT;
  try {
    Imf::Header header(width, height);
    header.compression() = Imf::ZIP_COMPRESSION;
    Imf::FrameBuffer frame;
    const char* names[4] = {"R", "G", "B", "A"};
    const std::size_t xStride = 4 * sizeof(float);
    const std::size_t yStride = xStride * static_cast<std::size_t>(width);
    for (int c = 0; c < 4; ++c) {
      header.channels().insert(names[c], Imf::Channel(fileType));
      // The library only reads through this pointer.
      char* base = reinterpret_cast<char*>(const_cast<float*>(rgba.data() + c));
      frame.insert(names[c], Imf::Slice(Imf::FLOAT, base, xStride, yStride));
    }
    Imf::OutputFile file(path.c_str(), header);
    file.setFrameBuffer(frame);
    file.writePixels(height);
  } catch (const std::exception& e) {
    throw std::runtime_error(path + ": cannot write OpenEXR: " + e.what());
  }
}

}  // namespace nebulastra::render
