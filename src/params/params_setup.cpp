#include "params/params_setup.h"

#include <cstring>

#include "params/param_table.h"

namespace nebulastra {
namespace {

constexpr float kCurveTolerance = 0.05f;
constexpr int32_t kFixedOne = 65536; // 1.0 in 16.16 fixed point

// Copies a name into PF_ParamDef.name: at most 32 bytes, the last one always NUL.
void copyName(char (&dest)[32], const char* name) {
    size_t i = 0;
    for (; i + 1 < sizeof dest && name[i] != '\0'; ++i) dest[i] = name[i];
    dest[i] = '\0';
}

} // namespace

void fillParamDef(const ParamSpec& row, PF_InData* in_data, PF_ParamDef& def) {
    def.uu.id = row.index;
    def.param_type = paramTypeOf(row.kind);

    switch (row.kind) {
    case ParamKind::GroupStart:
        copyName(def.name, row.name);
        break;
    case ParamKind::GroupEnd:
        break; // no name, no record
    case ParamKind::IntSlider: {
        copyName(def.name, row.name);
        const auto dflt = static_cast<PF_ParamValue>(row.defaultValue);
        def.u.sd.value = dflt;
        def.u.sd.valid_min = static_cast<PF_ParamValue>(row.validMin);
        def.u.sd.valid_max = static_cast<PF_ParamValue>(row.validMax);
        def.u.sd.slider_min = static_cast<PF_ParamValue>(row.sliderMin);
        def.u.sd.slider_max = static_cast<PF_ParamValue>(row.sliderMax);
        def.u.sd.dephault = dflt;
        break;
    }
    case ParamKind::FloatSlider:
        copyName(def.name, row.name);
        def.u.fs_d.value = row.defaultValue;
        def.u.fs_d.valid_min = row.validMin;
        def.u.fs_d.valid_max = row.validMax;
        def.u.fs_d.slider_min = row.sliderMin;
        def.u.fs_d.slider_max = row.sliderMax;
        def.u.fs_d.dephault = static_cast<PF_FpShort>(row.defaultValue);
        def.u.fs_d.precision = row.precision;
        def.u.fs_d.display_flags = row.displayFlags;
        def.u.fs_d.curve_tolerance = kCurveTolerance;
        break;
    case ParamKind::Angle: {
        in_data->utils->ansi.strcpy(def.name, row.name);
        const auto fixedDegrees = static_cast<PF_Fixed>(row.defaultValue) * kFixedOne;
        def.u.ad.value = fixedDegrees;
        def.u.ad.dephault = fixedDegrees; // no valid range: any number of turns is allowed
        break;
    }
    case ParamKind::Checkbox: {
        copyName(def.name, row.name);
        const bool on = row.defaultValue != 0.0;
        def.u.bd.value = on ? 1 : 0;
        def.u.bd.dephault = static_cast<PF_Boolean>(on ? 1 : 0);
        def.u.bd.u.nameptr = row.text;
        break;
    }
    case ParamKind::Popup: {
        copyName(def.name, row.name);
        const auto item = static_cast<PF_ParamValue>(row.defaultValue);
        def.u.pd.value = item;
        def.u.pd.num_choices = row.numChoices;
        def.u.pd.dephault = static_cast<A_short>(item);
        def.u.pd.u.namesptr = row.text;
        break;
    }
    }
}

PF_Err handleParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* /*params*/[],
                         PF_LayerDef* /*output*/) {
    PF_ParamDef def; // one record, cleared before each row
    for (const ParamSpec& row : kParamTable) {
        std::memset(&def, 0, sizeof def);
        fillParamDef(row, in_data, def);
        const PF_Err err = in_data->inter.add_param(in_data->effect_ref, -1, &def);
        if (err != PF_Err_NONE) return err;
    }
    out_data->num_params = kParamSlotCount;
    return PF_Err_NONE;
}

} // namespace nebulastra
