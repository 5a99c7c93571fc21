// The frame record, then the row workers.

#include "render/render_image.h"

#include "render/cloud_field.h"
#include "render/row_bands.h"

namespace nebulastra {

FrameContext frameContext(const OutputImage& image, const CloudField& field) {
    return {image.data,
            image.rowbytes,
            image.width,
            image.originX,
            image.originY,
            &field,
            pixelStoreFor(image.depth),
            &kernelFor(renderIsa())};
}

bool renderImage(const RenderSettings& settings, const OutputImage& image, const RenderWatch* watch) {
    const CloudField field = makeCloudField(settings);
    const FrameContext context = frameContext(image, field);
    return runRowBands(image.height, context, context.kernel->shadeRows, watch);
}

} // namespace nebulastra
