#pragma once
// Reads the composition camera the effect is seen through, once per frame.

#include "host/host_types.h"
#include "hostio/suite_cache.h"
#include "records/render_settings.h"

namespace nebulastra {

/// Asks the host for the effect's camera at compTime and stores it in settings.camera.
///
/// The camera is valid only when the host answers without error, with a positive distance to the
/// image plane and a positive image-plane width and height; otherwise settings.camera is left as
/// it was (valid false from the snapshot), and the renderer falls back to its orthographic view.
/// The axis rows are normalised by dividing each component by the row's length; a row of length
/// 1e-8 or less becomes (0, 0, 1), so a degenerate matrix can never divide by zero.
/// Throws the SuiteCache's HostError when the PF Interface suite is refused.
void captureCamera(SuiteCache& suites, PF_ProgPtr effect_ref, const A_Time& compTime,
                   RenderSettings& settings);

} // namespace nebulastra
