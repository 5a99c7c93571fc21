#include "entry/interim_render.h"

#include <cstddef>
#include <cstring>

namespace nebulastra {
namespace {

PF_PixelFormat outputPixelFormat(PF_InData* in_data, PF_EffectWorld* output) {
    PF_PixelFormat format = PF_PixelFormat_INVALID;
    SPBasicSuite* basic = in_data->pica_basicP;
    const void* suite = nullptr;
    if (basic == nullptr || basic->AcquireSuite(kPFWorldSuite, kPFWorldSuiteVersion2, &suite) != kSPNoError) {
        return format;
    }
    if (suite != nullptr) static_cast<const PF_WorldSuite2*>(suite)->PF_GetPixelFormat(output, &format);
    basic->ReleaseSuite(kPFWorldSuite, kPFWorldSuiteVersion2);
    return format;
}

} // namespace

void renderFrameInterim(PF_InData* in_data, PF_EffectWorld* /*input*/, PF_EffectWorld* output,
                        RenderSettings& settings) {
    const PF_PixelFormat format = outputPixelFormat(in_data, output);
    size_t pixelBytes = sizeof(PF_Pixel);
    if (format == PF_PixelFormat_ARGB128) pixelBytes = sizeof(PF_PixelFloat);
    else if (format == PF_PixelFormat_ARGB64) pixelBytes = sizeof(PF_Pixel16);

    if (settings.outputWidth <= 0) return;
    const size_t rowBytesToClear = static_cast<size_t>(settings.outputWidth) * pixelBytes;
    for (int32_t y = 0; y < output->height; ++y) {
        char* row = static_cast<char*>(output->data) +
                    static_cast<std::ptrdiff_t>(y) * static_cast<std::ptrdiff_t>(output->rowbytes);
        std::memset(row, 0, rowBytesToClear); // all-zero bytes are transparent black at any depth
    }
}

} // namespace nebulastra
