// Inside the lean host: its state, shared by the commands (lean_host.cpp), the suites
// (lean_suites.cpp) and the callbacks (lean_callbacks.cpp, lean_interrupt.cpp).
#pragma once

#include <cstdint>
#include <cstring>
#include <list>
#include <optional>
#include <string>
#include <vector>

#include "host/host_abi.h"
#include "leanhost/lean_host.h"

namespace nebulastra::leanhost {

// A world of plain rows (no padding, no guards): reused from frame to frame while its size and
// depth stay the same.
struct World {
    std::vector<std::uint8_t> pixels;
    PF_LayerDef def{};
    int bits = 0;

    void resize(std::int32_t width, std::int32_t height, int bitsPerChannel);
};

// A layer name handed out through AEGP_GetLayerName; freed by AEGP_FreeMemHandle.
struct NameBlock {
    void* self = nullptr; // the handle is this member's address
    std::u16string text;
};

struct LeanHost::State {
    scenefile::Scene scene;
    std::shared_ptr<effectlib::EffectModule> effect;
    Interrupts interrupts;

    PF_InData inData{};
    PF_OutData outData{};
    PF_UtilCallbacks utils{};
    void* effectRef = nullptr; // in_data.effect_ref points here
    std::int32_t pluginId = 7; // what AEGP_RegisterWithAEGP hands out

    std::vector<PF_ParamDef> declared;   // as add_param received them
    std::list<std::string> declaredText; // the copies' popup and checkbox texts
    std::optional<PF_LRect> requestRect;

    World input;
    World output;
    PF_PreRenderInput preInput{};
    PF_PreRenderOutput preOutput{};
    PF_PreRenderCallbacks preCallbacks{};
    PF_SmartRenderInput smartInput{};
    PF_SmartRenderCallbacks smartCallbacks{};

    std::list<NameBlock> names;
    std::vector<void*> layerTokens; // handle of layer i is &layerTokens[i + 1]; 0 the effect's own

    std::int32_t send(std::int32_t cmd, PF_ParamDef** params, PF_LayerDef* output, void* extra);
    void prepareInData(std::int32_t frame);
    PF_ParamDef paramValue(std::int32_t index, std::int32_t whatTime, std::uint32_t timeScale) const;

    AEGP_LayerH layerHandle(std::int32_t index) {
        return reinterpret_cast<AEGP_LayerH>(&layerTokens[index + 1]);
    }
    // -2 for a handle this host did not hand out; -1 the effect's layer.
    std::int32_t layerIndex(AEGP_LayerH handle) const;
    const scenefile::Layer* layer(std::int32_t index) const;
};

// The host inside a command, or nullptr outside one.
LeanHost::State* activeHost();

// The tables the host hands out.
SPBasicSuite* basicSuite();
PF_InteractCallbacks interactCallbacks();
PF_UtilCallbacks utilCallbacks();
PF_PreRenderCallbacks preRenderCallbacks();
PF_SmartRenderCallbacks smartRenderCallbacks();
// inter.abort and inter.progress (lean_interrupt.cpp).
PF_Err abortCallback(PF_ProgPtr effect_ref);
PF_Err progressCallback(PF_ProgPtr effect_ref, A_long current, A_long total);

template <std::int32_t Err>
std::int32_t unserved() {
    return Err;
}

// Every slot of a table of C functions first answers Err (the effect has no business calling
// them, but a null slot would crash it); the host then sets the slots it serves.
template <std::int32_t Err, typename Table>
void fillUnserved(Table& table) {
    using AnyFn = std::int32_t (*)();
    static_assert(sizeof(Table) % sizeof(AnyFn) == 0, "a table of function pointers");
    const AnyFn fn = &unserved<Err>;
    for (std::size_t i = 0; i < sizeof(Table) / sizeof(AnyFn); ++i)
        std::memcpy(reinterpret_cast<unsigned char*>(&table) + i * sizeof fn, &fn, sizeof fn);
}

} // namespace nebulastra::leanhost
