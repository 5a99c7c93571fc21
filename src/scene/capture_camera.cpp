#include "scene/capture_camera.h"

#include <cmath>

#include "host/host_suites.h"

namespace nebulastra {
namespace {

// One axis of the camera matrix as a unit vector. The length is a left-to-right sum of squares
// and each component is divided by it (no reciprocal), so the axes are bit-reproducible.
void unitRow(const A_Matrix4& matrix, int row, float out[3]) {
    const float x = static_cast<float>(matrix.mat[row][0]);
    const float y = static_cast<float>(matrix.mat[row][1]);
    const float z = static_cast<float>(matrix.mat[row][2]);
    const float length = std::sqrt((x * x + y * y) + z * z);
    if (length > 1e-8f) {
        out[0] = x / length;
        out[1] = y / length;
        out[2] = z / length;
    } else {
        out[0] = 0.0f;
        out[1] = 0.0f;
        out[2] = 1.0f;
    }
}

} // namespace

void captureCamera(SuiteCache& suites, PF_ProgPtr effect_ref, const A_Time& compTime,
                   RenderSettings& settings) {
    const AEGP_PFInterfaceSuite1* pfInterface = suites.pfInterfaceSuite();

    A_Matrix4 matrix{};
    A_FpLong distance = 0.0;
    A_short planeWidth = 0;
    A_short planeHeight = 0;
    const A_Err err = pfInterface->AEGP_GetEffectCameraMatrix(effect_ref, &compTime, &matrix, &distance,
                                                              &planeWidth, &planeHeight);
    // Written as negated comparisons so a NaN distance counts as "no camera".
    if (err != A_Err_NONE || !(distance > 0.0) || !(planeWidth > 0) || !(planeHeight > 0)) {
        return;
    }

    CameraView& camera = settings.camera;
    unitRow(matrix, 0, camera.right);
    unitRow(matrix, 1, camera.down);
    unitRow(matrix, 2, camera.forward);
    camera.position[0] = static_cast<float>(matrix.mat[3][0]);
    camera.position[1] = static_cast<float>(matrix.mat[3][1]);
    camera.position[2] = static_cast<float>(matrix.mat[3][2]);
    camera.zoom = static_cast<float>(distance);
    camera.valid = true;
}

} // namespace nebulastra
