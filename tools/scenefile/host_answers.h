// The scene's answers in the host's own types: what every host built on the scene model hands the
// effect for a parameter, a layer's kind and name, a layer's transform and the camera. The hosts
// differ in what they check and record around a call, never in what they answer.
#pragma once

#include <string>

#include "host/host_abi.h"
#include "scenefile/scene.h"
#include "scenefile/scene_eval.h"

namespace nebulastra::scenefile {

// The value a parameter holds at time t (seconds): `def` is a copy of the effect's declaration
// (so without a scene value it keeps the declared default), `track` the scene's value. Sliders
// and angles interpolate (angles in degrees before the fixed-point conversion); popups and the
// checkbox hold the earlier key; nothing is clamped to the declared ranges. Returns false, with
// `def` unchanged, when the effect declared another kind of control than its table names for
// `index`: the scene's value, read in the table's units, would mean something else.
bool setDeclaredValue(PF_ParamDef& def, int index, const Track& track, double t);

// The object type a layer reports: nulls, solids and footage are AV layers.
AEGP_ObjectType objectTypeOf(LayerType type);

// A layer name as the host hands it out: UTF-16, NUL-terminated.
std::u16string utf16Name(const std::string& utf8);

// An identity matrix with the translation row (row 3) set: a layer's world transform.
A_Matrix4 translationMatrix(const Vec3& position);

// The camera matrix in the host's record.
A_Matrix4 hostMatrix(const Matrix4& m);

// in_data's shutter_angle and shutter_phase (16.16 fixed-point degrees) for the scene's frames:
// the composition's shutter when the effect's layer has motion blur on; otherwise an angle of 0
// (the host's word for "no motion blur") with the composition's phase.
struct ShutterAnswer {
    PF_Fixed angle = 0;
    PF_Fixed phase = 0;
};
ShutterAnswer shutterFor(const Scene& scene);

} // namespace nebulastra::scenefile
