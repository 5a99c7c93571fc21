// OpenEXR output: one scan-line file with R, G, B and A channels. The library reads slices of the
// file's own sample type, so half samples are converted here first.
#include "exr_writer.h"

#include <Imath/half.h>
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>

#include <stdexcept>

namespace nebulastra::render {

void writeExr(const std::string& path, std::int32_t width, std::int32_t height,
              const std::vector<float>& rgba, ExrSampleType sampleType) {
  const Imf::PixelType fileType = sampleType == ExrSampleType::Half ? Imf::HALF : Imf::FLOAT;
  std::vector<half> halves;
  if (fileType == Imf::HALF) halves.assign(rgba.begin(), rgba.end());
  try {
    Imf::Header header(width, height);
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
      frame.insert(names[c], Imf::Slice(fileType, base + c * sampleSize, xStride, yStride));
    }
    Imf::OutputFile file(path.c_str(), header);
    file.setFrameBuffer(frame);
    file.writePixels(height);
  } catch (const std::exception& e) {
    throw std::runtime_error(path + ": cannot write OpenEXR: " + e.what());
  }
}

}  // namespace nebulastra::render
