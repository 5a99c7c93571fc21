#include "hostio/plugin_id.h"

namespace nebulastra {

int32_t aegpPluginId = 0;

} // namespace nebulastra
