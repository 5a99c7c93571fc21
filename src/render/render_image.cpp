// Frame preparation, then the row workers.

#include "render/render_image.h"

#include "render/cloud_field.h"
#include "render/row_bands.h"

namespace nebulastra {

bool renderImage(const RenderSettings& settings, const OutputImage& image, const RenderWatch* watch) {
    const CloudField field = makeCloudField(settings);

    const FrameContext context{image.data, image.rowbytes, image.width, image.originX, image.originY, &field};
    return runRowBands(image.height, context, rowWorkerFor(image.depth, renderIsa()), watch);
}

} // namespace nebulastra
