// The frame record, built in one place.

#include "render/cloud_field.h"

namespace nebulastra {

CloudField makeCloudField(const RenderSettings& settings) {
    CloudField field{settings, prepareFrame(settings)};
    field.settings.emitterCount = drawnEmitterCount(settings);
    return field;
}

} // namespace nebulastra
