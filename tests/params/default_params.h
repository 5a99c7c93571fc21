#pragma once
// A params array as the host hands it to PF_Cmd_RENDER, every parameter at its default as the
// effect declares it (through its own PARAMS_SETUP filling), for tests that call
// buildRenderSettings directly and then overwrite single values. The declarations themselves are
// checked against literal values in params_setup_test.

#include <cstring>

#include "host/host_abi.h"
#include "params/param_table.h"
#include "params/params_setup.h"

namespace nebulastra::test {

struct DefaultParams {
    PF_ParamDef slots[kParamSlotCount];
    PF_ParamDef* pointers[kParamSlotCount];

    DefaultParams() {
        PF_UtilCallbacks utils{};
        utils.ansi.strcpy = [](A_char* dest, const A_char* src) { return std::strcpy(dest, src); };
        PF_InData in_data{};
        in_data.utils = &utils;
        std::memset(slots, 0, sizeof slots);
        for (int32_t i = 0; i < kParamSlotCount; ++i) pointers[i] = &slots[i];
        for (const ParamSpec& row : kParamTable) fillParamDef(row, &in_data, slots[row.index]);
    }
    DefaultParams(const DefaultParams&) = delete;
    DefaultParams& operator=(const DefaultParams&) = delete;

    PF_ParamDef& operator[](int32_t index) { return slots[index]; }
    PF_ParamDef** params() { return pointers; }
};

} // namespace nebulastra::test
