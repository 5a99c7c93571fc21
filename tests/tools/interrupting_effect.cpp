// A stand-in effect library that renders the way the real one reports its work: row by row, it
// tells the host how many rows are done (inter.progress) and asks whether to stop (inter.abort),
// returning the host's answer from the render command when told to stop. With
// NEBULASTRA_TEST_RAISE_AT_ROW=n in its environment it sends its own process SIGTERM after row n,
// as a user would press Ctrl-C while a frame renders. With NEBULASTRA_TEST_MISBEHAVE set it first
// calls a callback it has no business calling (inter.register_ui, outside PF_Cmd_PARAMS_SETUP),
// which the strict host records as a fault. The pixels it leaves are zero.
#include <csignal>
#include <cstdlib>

#include "host/host_abi.h"

namespace {

PF_Err renderRows(PF_InData* in_data) {
    if (std::getenv("NEBULASTRA_TEST_MISBEHAVE") != nullptr)
        in_data->inter.register_ui(in_data->effect_ref, nullptr);
    const char* raiseAt = std::getenv("NEBULASTRA_TEST_RAISE_AT_ROW");
    const A_long stopRow = raiseAt != nullptr ? std::atoi(raiseAt) : -1;
    const A_long rows = in_data->extent_hint.bottom - in_data->extent_hint.top;
    for (A_long row = 1; row <= rows; ++row) {
        if (PF_Err err = in_data->inter.progress(in_data->effect_ref, row, rows)) return err;
        if (row == stopRow) std::raise(SIGTERM);
        if (PF_Err err = in_data->inter.abort(in_data->effect_ref)) return err;
    }
    return PF_Err_NONE;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) A_Err PluginDataEntryFunction(PF_PluginDataPtr data,
                                                                     PF_PluginDataCB callback, SPBasicSuite*,
                                                                     const char*, const char*) {
    return callback(data, reinterpret_cast<const A_u_char*>("Interrupting"),
                    reinterpret_cast<const A_u_char*>("Interrupting"),
                    reinterpret_cast<const A_u_char*>("Test"),
                    reinterpret_cast<const A_u_char*>("EffectMain"), PF_KIND_EFFECT, 13, 28, 8);
}

__attribute__((visibility("default"))) PF_Err EffectMain(PF_Cmd cmd, PF_InData* in_data, PF_OutData*,
                                                         PF_ParamDef**, PF_LayerDef*, void* extra) {
    if (cmd == PF_Cmd_SMART_PRE_RENDER) {
        auto* pre = static_cast<PF_PreRenderExtra*>(extra);
        pre->output->result_rect = pre->input->output_request.rect;
        pre->output->max_result_rect = pre->input->output_request.rect;
        return PF_Err_NONE;
    }
    if (cmd == PF_Cmd_SMART_RENDER || cmd == PF_Cmd_RENDER) return renderRows(in_data);
    return PF_Err_NONE;
}

} // extern "C"
