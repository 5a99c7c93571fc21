// A stand-in effect library that renders the way the real one reports its work: row by row, it
// tells the host how many rows are done (inter.progress) and asks whether to stop (inter.abort),
// returning the host's answer from the render command when told to stop. With
// NEBULASTRA_TEST_RAISE_AT_ROW=n in its environment it sends its own process SIGTERM after row n,
// as a user would press Ctrl-C while a frame renders. With NEBULASTRA_TEST_MISBEHAVE set it first
// calls a callback it has no business calling (inter.register_ui, outside PF_Cmd_PARAMS_SETUP),
// which the strict host records as a fault. With NEBULASTRA_TEST_HOLD_AT_CALL=n its n-th render
// in the process does not end by itself: it keeps asking the host whether to stop until the host
// says so, a frame that is certain to be in flight when a test interrupts the run. Rendered with
// PF_Cmd_RENDER into an unpadded 8-bit world, each pixel is opaque with red = the frame number,
// green = the row and blue = the column (modulo 256), so each frame's image differs; otherwise the
// pixels it leaves are zero.
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "host/host_abi.h"

namespace {

int gRenders = 0;

// Polls until the host asks to stop (or fails the call), returning its answer.
PF_Err holdUntilStopped(PF_InData* in_data) {
    for (;;) {
        if (PF_Err err = in_data->inter.abort(in_data->effect_ref)) return err;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void paint(const PF_InData* in_data, PF_LayerDef* output) {
    if (output == nullptr || output->data == nullptr || output->rowbytes != output->width * 4) return;
    const A_long frame = in_data->time_step != 0 ? in_data->current_time / in_data->time_step : 0;
    for (A_long y = 0; y < output->height; ++y) {
        auto* row =
            reinterpret_cast<PF_Pixel8*>(static_cast<std::uint8_t*>(output->data) + y * output->rowbytes);
        for (A_long x = 0; x < output->width; ++x) {
            row[x] = PF_Pixel8{255, static_cast<A_u_char>(frame), static_cast<A_u_char>(y),
                               static_cast<A_u_char>(x)};
        }
    }
}

PF_Err renderRows(PF_InData* in_data) {
    const char* holdAt = std::getenv("NEBULASTRA_TEST_HOLD_AT_CALL");
    if (holdAt != nullptr && ++gRenders == std::atoi(holdAt)) return holdUntilStopped(in_data);
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
                                                         PF_ParamDef**, PF_LayerDef* output, void* extra) {
    if (cmd == PF_Cmd_SMART_PRE_RENDER) {
        auto* pre = static_cast<PF_PreRenderExtra*>(extra);
        pre->output->result_rect = pre->input->output_request.rect;
        pre->output->max_result_rect = pre->input->output_request.rect;
        return PF_Err_NONE;
    }
    if (cmd == PF_Cmd_SMART_RENDER) return renderRows(in_data);
    if (cmd == PF_Cmd_RENDER) {
        if (PF_Err err = renderRows(in_data)) return err;
        paint(in_data, output);
    }
    return PF_Err_NONE;
}

} // extern "C"
