#pragma once
// A params array as the host hands it to PF_Cmd_RENDER, every parameter at the default of the
// effect's own table, for tests that call buildRenderSettings directly. Tests then overwrite
// single values. The defaults themselves are checked against literal values elsewhere, so a
// typo in the table cannot hide behind this helper.

#include <cstring>

#include "host/host_abi.h"
#include "params/param_table.h"

namespace nebulastra::test {

struct DefaultParams {
    PF_ParamDef slots[kParamSlotCount];
    PF_ParamDef* pointers[kParamSlotCount];

    DefaultParams() {
        std::memset(slots, 0, sizeof slots);
        for (int32_t i = 0; i < kParamSlotCount; ++i) pointers[i] = &slots[i];
        for (const ParamSpec& row : kParamTable) {
            PF_ParamDef& def = slots[row.index];
            def.uu.id = row.index;
            switch (row.kind) {
            case ParamKind::GroupStart: def.param_type = PF_Param_GROUP_START; break;
            case ParamKind::GroupEnd: def.param_type = PF_Param_GROUP_END; break;
            case ParamKind::IntSlider:
                def.param_type = PF_Param_SLIDER;
                def.u.sd.value = static_cast<int32_t>(row.defaultValue);
                break;
            case ParamKind::FloatSlider:
                def.param_type = PF_Param_FLOAT_SLIDER;
                def.u.fs_d.value = row.defaultValue;
                break;
            case ParamKind::Angle:
                def.param_type = PF_Param_ANGLE;
                def.u.ad.value = static_cast<int32_t>(row.defaultValue) * 65536;
                break;
            case ParamKind::Checkbox:
                def.param_type = PF_Param_CHECKBOX;
                def.u.bd.value = static_cast<int32_t>(row.defaultValue);
                break;
            case ParamKind::Popup:
                def.param_type = PF_Param_POPUP;
                def.u.pd.value = static_cast<int32_t>(row.defaultValue);
                break;
            }
        }
    }
    DefaultParams(const DefaultParams&) = delete;
    DefaultParams& operator=(const DefaultParams&) = delete;

    PF_ParamDef& operator[](int32_t index) { return slots[index]; }
    PF_ParamDef** params() { return pointers; }
};

} // namespace nebulastra::test
