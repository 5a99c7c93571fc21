// The host's answers and what they answer from. A Session holds what the effect's calls read and
// change (the scene, the declared parameters, the worlds handed out, layer handles and name
// handles); the tables below are the one implementation of every callback and suite function the
// effect uses, each finding its Session through activeSession(). The lean host (lean_host.cpp) is
// a Session with worlds of its own and its command loop; the strict scene host (scenehost/) is a
// Session with checks and records around every answer, and hands out these same answers.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "effectlib/effect_module.h"
#include "host/host_abi.h"
#include "leanhost/lean_host.h"
#include "scenefile/scene.h"

namespace nebulastra::leanhost {

// A world as the callbacks hand it out: its record and its bits per channel.
struct WorldRef {
    PF_LayerDef* def = nullptr;
    int bits = 8;
};

// A layer name handed out through AEGP_GetLayerName. AEGP_FreeMemHandle marks it freed; it stays
// listed, so a later use of the handle is known for what it is, until its owner drops it.
struct NameBlock {
    void* self = nullptr; // the handle is this member's address
    std::u16string text;
    int locks = 0;
    bool freed = false;
};

struct Session {
    scenefile::Scene scene;
    std::shared_ptr<effectlib::EffectModule> effect; // null: EffectModule::shared(), on first use
    Interrupts interrupts;

    PF_InData inData{};
    PF_OutData outData{};
    PF_UtilCallbacks utils{};
    void* effectRef = nullptr; // in_data.effect_ref points here
    std::int32_t pluginId = 7; // what AEGP_RegisterWithAEGP hands out

    std::vector<PF_ParamDef> declared;   // as add_param received them
    std::list<std::string> declaredText; // the copies' popup and checkbox texts
    // Called for a parameter whose scene value is of another kind than the effect declared (the
    // declared default is handed out instead).
    std::function<void(std::int32_t index)> onKindMismatch;

    WorldRef inputWorld;  // the layer under the effect
    WorldRef outputWorld; // the world the effect renders into
    std::optional<PF_LRect> requestRect;
    PF_PreRenderInput preInput{};
    PF_PreRenderOutput preOutput{};
    PF_PreRenderCallbacks preCallbacks{};
    PF_PreRenderExtra preExtra{};
    PF_SmartRenderInput smartInput{};
    PF_SmartRenderCallbacks smartCallbacks{};
    PF_SmartRenderExtra smartExtra{};
    std::vector<PF_ParamDef> renderValues; // PF_Cmd_RENDER's parameters and their pointers
    std::vector<PF_ParamDef*> renderPointers;

    std::list<NameBlock> names;
    std::vector<void*> layerTokens; // handle of layer i is &layerTokens[i + 1]; 0 the effect's own

    effectlib::EffectModule& module();

    // in_data of a frame, with the tables below; a host on this one sets its own tables after.
    void prepareInData(std::int32_t frame);
    // The value handed out for parameter `index` at a time: 0 the input layer, else the scene's
    // value where it has one, in the declared kind, or the declared default.
    PF_ParamDef paramValue(std::int32_t index, std::int32_t whatTime, std::uint32_t timeScale) const;
    // PF_Cmd_RENDER's parameter array at in_data's time.
    PF_ParamDef** renderParams();
    // The smart commands' records at the scene's depth, the request rectangle the whole frame unless
    // requestRect is set; a host on this one sets its own callbacks after.
    PF_PreRenderExtra* preparePreRender();
    PF_SmartRenderExtra* prepareSmartRender();

    PF_ProgPtr effectRefPtr() { return reinterpret_cast<PF_ProgPtr>(&effectRef); }
    AEGP_CompH compHandle() { return reinterpret_cast<AEGP_CompH>(&scene); } // the one composition
    AEGP_LayerH layerHandle(std::int32_t index) {
        return reinterpret_cast<AEGP_LayerH>(&layerTokens[static_cast<std::size_t>(index + 1)]);
    }
    // -2 for a handle this host did not hand out; -1 the effect's layer.
    std::int32_t layerIndex(AEGP_LayerH handle) const;
    const scenefile::Layer* layer(std::int32_t index) const;
    // A layer's name (the effect's own layer has one of its own); none where the scene gives none.
    std::optional<std::string> layerName(std::int32_t index) const;
    // The block behind a name handle, freed or not; nullptr for a handle this host did not hand out.
    NameBlock* nameBlock(AEGP_MemHandle handle);
};

// The session inside a command on this thread, or nullptr.
Session* activeSession();

// Makes `session` the one the tables answer for on this thread, for the length of one command.
class Activation {
public:
    explicit Activation(Session& session);
    ~Activation();
    Activation(const Activation&) = delete;
    Activation& operator=(const Activation&) = delete;
};

// ---- the answers --------------------------------------------------------------------------------

SPBasicSuite* basicSuite();
PF_InteractCallbacks interactCallbacks();
PF_UtilCallbacks utilCallbacks();
PF_PreRenderCallbacks preRenderCallbacks();
PF_SmartRenderCallbacks smartRenderCallbacks();
std::int32_t pluginDataCallback(PF_PluginData* data, const unsigned char* name,
                                const unsigned char* matchName, const unsigned char* category,
                                const unsigned char* entryPoint, std::int32_t kind, std::int32_t apiMajor,
                                std::int32_t apiMinor, std::int32_t reservedInfo);

// The suites AcquireSuite serves, one table each.
const AEGP_UtilitySuite6& utilitySuite();
const PF_ANSICallbacksSuite1& ansiSuite();
const AEGP_PFInterfaceSuite1& pfInterfaceSuite();
const AEGP_LayerSuite9& layerSuite();
const AEGP_LightSuite2& lightSuite();
const AEGP_StreamSuite6& streamSuite();
const AEGP_MemorySuite1& memorySuite();
const PF_WorldSuite2& worldSuite();

// The ANSI routines' text: sprintf's formatted whole, and a copy of at most `limit` characters
// plus the terminator (return_msg for sprintf, a parameter name for strcpy), returning its length.
std::string formatText(const char* format, std::va_list args);
A_long copyText(A_char* dest, const std::string& text, A_long limit);

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
