// Inside the scene host: the state behind one SceneHost, and the bookkeeping every callback and
// suite function goes through. Not part of the public interface.
//
// The host's callbacks and suites are plain C function tables shared by the whole process, and
// most suite functions carry no context pointer. So one host at a time is "active" (inside a
// command or runAsCommand); every entry point finds it through activeHost(), checks it is being
// called from the command's thread, records the call and answers from that host's scene.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/host_abi.h"
#include "scenehost/scene_host.h"

namespace nebulastra::scenehost {

// The strict host is built on the scene model: its vocabulary is the host's own here.
using namespace nebulastra::scenefile;
using effectlib::EffectModule;

// What a layer handle points at. The first member is a pointer so that a handle (a pointer to a
// pointer) dereferences to something, as the host's real handles do.
struct LayerToken {
    void* self = nullptr;
    std::int32_t index = -1; // composition layer index; -1 = the effect's own layer
};

struct CompToken {
    void* self = nullptr;
};

struct EffectRefToken {
    void* self = nullptr;
};

// A memory handle's block: a NUL-terminated UTF-16 text.
struct MemBlock {
    void* self = nullptr; // the handle is the address of this member
    std::vector<A_UTF16Char> text;
    int locks = 0;
    bool freed = false;
    bool reported = false; // a leak is reported once
};

struct Failure {
    std::int32_t err = 0;
    std::int32_t layer = kAnyLayer;
    std::int32_t stream = -1; // AEGP_GetLayerStreamValue only
};

struct SceneHost::State {
    Scene scene;
    std::shared_ptr<EffectModule> effect;
    std::int32_t applId = kApplIdAfterEffects;
    std::optional<PF_RationalScale> downsampleOverride;

    PF_InData inData{};
    PF_InData inDataSent{}; // in_data as handed to the effect, to detect changes
    PF_OutData outData{};
    PF_OutData outTemplate{};
    PF_UtilCallbacks utils{};
    PluginRegistration registration;
    EffectRefToken effectRef;
    EffectRefToken pluginData; // the pointer passed to PluginDataEntryFunction

    // Parameters.
    std::vector<PF_ParamDef> declared;
    std::vector<std::string> declaredText;
    int addParamCalls = 0;
    std::map<std::int32_t, std::int32_t> addParamFailures;
    std::map<std::int32_t, std::int32_t> checkoutFailures;
    std::map<std::int32_t, ParamBalance> paramCounts;
    std::map<const PF_ParamDef*, std::pair<std::int32_t, PF_ParamDef>> outstanding;
    std::vector<ParamCheckout> paramCheckouts;

    // Worlds and the render callbacks.
    HostWorld input;
    HostWorld output;
    std::vector<std::uint8_t> inputSnapshot; // the input's storage when handed out
    std::int32_t rowPadding = HostWorld::kDefaultRowPadding;
    std::optional<PF_LRect> requestRect;
    std::optional<PF_LRect> outputRect; // the smart output world's rectangle, if not the result's
    std::int32_t layerCheckoutErr = 0, layerPixelsErr = 0, outputErr = 0;
    bool withholdOutput = false;
    PF_PreRenderInput preInput{};
    PF_PreRenderOutput preOutput{};
    PF_PreRenderCallbacks preCallbacks{};
    PF_PreRenderExtra preExtra{};
    PF_SmartRenderInput smartInput{};
    PF_SmartRenderCallbacks smartCallbacks{};
    PF_SmartRenderExtra smartExtra{};
    std::vector<LayerCheckout> layerCheckouts;
    std::set<std::int32_t> checkoutIds; // ids checked out successfully at pre-render
    int outputCheckouts = 0;

    // Suites and the composition.
    std::set<std::pair<std::string, std::int32_t>> refused;
    std::map<std::pair<std::string, std::int32_t>, SuiteBalance> suites;
    std::int32_t pluginId = kDefaultPluginId;
    std::multimap<std::string, Failure> failures;
    std::deque<LayerToken> layerTokens; // stable addresses; index i+1 is layer i, 0 the effect's
    CompToken comp;
    std::deque<MemBlock> memBlocks;
    MemoryBalance memory;

    // Records.
    CallLog log;
    std::vector<std::string> faults;
    std::mutex recordMutex; // host calls from a foreign thread must still be recorded safely

    // The command in progress.
    bool inCommand = false;
    std::thread::id commandThread;
    std::int32_t frame = 0;
    std::int32_t command = -1; // selector in progress; -1 for runAsCommand and registration
    std::map<std::pair<std::string, std::int32_t>, SuiteBalance> suitesAtStart;
    std::chrono::steady_clock::time_point commandStart;

    // Interruption: what the host asks, and what the effect did about it during the command.
    Interrupt interrupt;
    int abortPolls = 0;
    std::vector<ProgressReport> progress;
    std::optional<std::chrono::steady_clock::time_point> stopAskedAt;
    std::optional<std::chrono::microseconds> stopLatency;
    PF_Err interruptAnswer(bool fromProgress); // the answer to an abort or progress call now

    // ---- bookkeeping --------------------------------------------------------------------
    EffectModule& module(); // the effect, loaded on first use
    void record(HostCall call);
    void fault(const std::string& what);
    std::optional<Failure> failureFor(const std::string& function, std::int32_t layer,
                                      std::int32_t stream = -1) const;

    // Time base, sizes and the in_data of a frame.
    std::int32_t layerWidth() const;
    std::int32_t layerHeight() const;
    std::int32_t outputWidth() const;
    std::int32_t outputHeight() const;
    void prepareInData(std::int32_t frame);
    void makeWorlds();
    void makeSmartOutput(); // the output world for smart render, after pre-render
    void checkWorldsAfterRender();

    // Handles.
    AEGP_LayerH layerHandle(std::int32_t index); // -1: the effect's layer
    bool layerIndexOf(AEGP_LayerH handle, std::int32_t& index) const;
    AEGP_CompH compHandle() { return reinterpret_cast<AEGP_CompH>(&comp.self); }
    bool isComp(AEGP_CompH handle) const { return handle == reinterpret_cast<const void*>(&comp.self); }
    PF_ProgPtr effectRefPtr() { return reinterpret_cast<PF_ProgPtr>(&effectRef.self); }
    bool isEffectRef(PF_ProgPtr p) const { return p == reinterpret_cast<const void*>(&effectRef.self); }
    MemBlock* memBlock(AEGP_MemHandle handle);
    AEGP_MemHandle newMemHandle(const std::string& utf8);

    // Parameter value handed out at a time (index 1.., 0 = the input layer).
    PF_ParamDef paramValue(std::int32_t index, std::int32_t whatTime, std::uint32_t timeScale);
    void endOfCommandChecks();
};

// The host inside a command. Every entry point calls enterHost first: it returns the active host
// when the call is legitimate (inside a command, on the command's thread) and records a fault and
// returns nullptr otherwise; the entry point then answers with an error.
SceneHost::State* enterHost(const char* function);

// Activation of a host for the duration of one command (or runAsCommand).
class ActiveHost {
public:
    explicit ActiveHost(SceneHost::State& state);
    ~ActiveHost();
    ActiveHost(const ActiveHost&) = delete;
    ActiveHost& operator=(const ActiveHost&) = delete;

private:
    SceneHost::State& state_;
};

// The function tables the host hands out. Built once per process; every function finds its host
// through enterHost.
const PF_InteractCallbacks& interactCallbacks();
PF_UtilCallbacks utilCallbacks();
PF_PreRenderCallbacks preRenderCallbacks();
PF_SmartRenderCallbacks smartRenderCallbacks();
SPBasicSuite* basicSuite();
std::int32_t pluginDataCallback(PF_PluginData* data, const unsigned char* name,
                                const unsigned char* matchName, const unsigned char* category,
                                const unsigned char* entryPoint, std::int32_t kind, std::int32_t apiMajor,
                                std::int32_t apiMinor, std::int32_t reservedInfo);

// The served suites by (name, version), or nullptr.
const void* servedSuite(const std::string& name, std::int32_t version);

// The ANSI routines shared by in_data's utils and the "PF ANSI Suite".
A_long hostSprintf(A_char* dest, const A_char* format, ...);
A_char* hostStrcpy(A_char* dest, const A_char* src);

// Converts between function pointer types through void (*)(), the conversion compilers accept
// without warning. Used for refused slots, which ignore their arguments and return an error.
template <typename To, typename From>
To functionCast(From f) {
    return reinterpret_cast<To>(reinterpret_cast<void (*)()>(f));
}

// Names the injectable functions (failCall).
bool isInjectable(const std::string& function);

} // namespace nebulastra::scenehost
