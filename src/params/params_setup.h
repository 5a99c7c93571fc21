#pragma once
// PF_Cmd_PARAMS_SETUP: declares the effect's controls to the host from the parameter table.

#include "host/host_abi.h"
#include "params/param_table.h"

namespace nebulastra {

/// Adds parameters 1 to 62 in table order through in_data->inter.add_param (index -1, append).
/// Returns the first add_param error at once, leaving out_data->num_params as the host set it;
/// after the last parameter sets num_params to 63 (the input layer included).
PF_Err handleParamsSetup(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                         PF_LayerDef* output);

/// The parameter type that declares a control of this kind (inline: the scene host checks
/// declarations with it without linking the effect).
inline PF_ParamType paramTypeOf(ParamKind kind) {
    switch (kind) {
    case ParamKind::GroupStart:
        return PF_Param_GROUP_START;
    case ParamKind::GroupEnd:
        return PF_Param_GROUP_END;
    case ParamKind::IntSlider:
        return PF_Param_SLIDER;
    case ParamKind::FloatSlider:
        return PF_Param_FLOAT_SLIDER;
    case ParamKind::Angle:
        return PF_Param_ANGLE;
    case ParamKind::Checkbox:
        return PF_Param_CHECKBOX;
    case ParamKind::Popup:
        return PF_Param_POPUP;
    }
    return PF_Param_RESERVED;
}

/// Fills `def` (already all zero) with the definition of one table row. Angle names go through
/// the host's ANSI strcpy; all other names are a bounded 32-byte copy.
void fillParamDef(const ParamSpec& row, PF_InData* in_data, PF_ParamDef& def);

} // namespace nebulastra
