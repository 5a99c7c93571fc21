// The scene's answers converted to the host's types at the boundary.
#include "scenefile/host_answers.h"

#include <cstring>

#include "params/params_setup.h"
#include "scenefile/scene_params.h"

namespace nebulastra::scenefile {

bool setDeclaredValue(PF_ParamDef& def, int index, const Track& track, double t) {
    if (def.param_type != paramTypeOf(paramSpec(index).kind)) return false;
    switch (def.param_type) {
    case PF_Param_SLIDER:
        def.u.sd.value = roundToInt32(evaluateTrack(track, t));
        break;
    case PF_Param_FLOAT_SLIDER:
        def.u.fs_d.value = evaluateTrack(track, t);
        break;
    case PF_Param_ANGLE:
        def.u.ad.value = roundToInt32(evaluateTrack(track, t) * 65536.0);
        break;
    case PF_Param_CHECKBOX:
        def.u.bd.value = roundToInt32(evaluateStepped(track, t));
        break;
    case PF_Param_POPUP:
        def.u.pd.value = roundToInt32(evaluateStepped(track, t));
        break;
    default:
        break;
    }
    return true;
}

AEGP_ObjectType objectTypeOf(LayerType type) {
    switch (type) {
    case LayerType::Light:
        return AEGP_ObjectType_LIGHT;
    case LayerType::Camera:
        return AEGP_ObjectType_CAMERA;
    case LayerType::Text:
        return AEGP_ObjectType_TEXT;
    case LayerType::Shape:
        return AEGP_ObjectType_VECTOR;
    default:
        return AEGP_ObjectType_AV;
    }
}

std::u16string utf16Name(const std::string& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        std::size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra != 0) cp = c & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra && i + k < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

A_Matrix4 translationMatrix(const Vec3& position) {
    A_Matrix4 m;
    std::memset(&m, 0, sizeof m);
    for (int i = 0; i < 4; ++i) m.mat[i][i] = 1.0;
    for (int i = 0; i < 3; ++i) m.mat[3][i] = position[static_cast<std::size_t>(i)];
    return m;
}

A_Matrix4 hostMatrix(const Matrix4& m) {
    A_Matrix4 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.mat[r][c] = m[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    return out;
}

ShutterAnswer shutterFor(const Scene& scene) {
    ShutterAnswer a;
    // Degrees to 16.16 fixed point the way angle parameters reach the effect.
    a.angle = scene.layerMotionBlur ? roundToInt32(scene.composition.shutterAngle * 65536.0) : 0;
    a.phase = roundToInt32(scene.composition.shutterPhase * 65536.0);
    return a;
}

} // namespace nebulastra::scenefile
