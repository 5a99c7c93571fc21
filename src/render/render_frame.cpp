// Frame driver: scene capture, pixel-format query, frame preparation, then the row workers.

#include "render/render_frame.h"

#include "render/prepared_frame.h"
#include "render/render_rows.h"
#include "render/row_bands.h"
#include "scene/collect_emitters.h"

namespace nebulastra {
namespace {

/// The output world's pixel format through "PF World Suite" 2, or PF_PixelFormat_INVALID when the
/// host does not offer it (which renders through the 8-bit path). Whatever was acquired is
/// released before returning.
PF_PixelFormat queryPixelFormat(const PF_InData* in_data, const PF_EffectWorld* output) {
    PF_PixelFormat format = PF_PixelFormat_INVALID;
    SPBasicSuite* basic = in_data != nullptr ? in_data->pica_basicP : nullptr;
    if (basic == nullptr || basic->AcquireSuite == nullptr) return format;

    const void* suite = nullptr;
    if (basic->AcquireSuite(kPFWorldSuite, kPFWorldSuiteVersion2, &suite) != kSPNoError) return format;
    const auto* world = static_cast<const PF_WorldSuite2*>(suite);
    if (world != nullptr && world->PF_GetPixelFormat != nullptr) {
        world->PF_GetPixelFormat(output, &format);  // its error code is not consulted
    }
    if (basic->ReleaseSuite != nullptr) basic->ReleaseSuite(kPFWorldSuite, kPFWorldSuiteVersion2);
    return format;
}

OutputDepth depthOf(PF_PixelFormat format) {
    if (format == PF_PixelFormat_ARGB128) return OutputDepth::Float;
    if (format == PF_PixelFormat_ARGB64) return OutputDepth::Bits16;
    return OutputDepth::Bits8;  // ARGB32, INVALID and anything unknown
}

} // namespace

void renderFrame(PF_InData* in_data, PF_EffectWorld* /*input: a generator never reads it*/, PF_EffectWorld* output,
                 RenderSettings& settings, int32_t originX, int32_t originY) {
    collectEmitters(in_data, settings);  // emitters and camera; every later step sees them
    const PF_PixelFormat format = queryPixelFormat(in_data, output);
    const PreparedFrame prepared = prepareFrame(settings);
    const CloudField field = makeCloudField(settings, prepared);

    const FrameContext context{static_cast<unsigned char*>(output->data),
                               static_cast<std::ptrdiff_t>(output->rowbytes), output->width, originX, originY,
                               &settings, &prepared, &field};
    runRowBands(output->height, context, rowWorkerFor(depthOf(format), renderIsa()));
}

} // namespace nebulastra
