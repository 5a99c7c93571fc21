// Inside the scene host: the state behind one SceneHost, and the bookkeeping every callback and
// suite function goes through. Not part of the public interface.
//
// The state is the lean host's Session (leanhost/lean_session.h) with the records of a strict
// host around it: the answers are the lean host's, called with this state as their session. The
// host's callbacks and suites are plain C function tables shared by the whole process, and most
// suite functions carry no context pointer. So one host per thread is "active" (inside a command
// or runAsCommand); every entry point finds it through enterHost, checks it is being called from
// the command's thread, checks and records the call, and passes it on to the lean host's answer.
#pragma once

#include <chrono>
#include <cstdint>
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
#include "leanhost/lean_session.h"
#include "scenehost/scene_host.h"

namespace nebulastra::scenehost {

// The strict host is built on the scene model: its vocabulary is the host's own here.
using namespace nebulastra::scenefile;
using effectlib::EffectModule;

struct Failure {
    std::int32_t err = 0;
    std::int32_t layer = kAnyLayer;
    std::int32_t stream = -1; // AEGP_GetLayerStreamValue only
};

struct SceneHost::State : leanhost::Session {
    std::int32_t applId = kApplIdAfterEffects;
    std::optional<PF_RationalScale> downsampleOverride;

    PF_InData inDataSent{}; // in_data as handed to the effect, to detect changes
    PF_OutData outTemplate{};
    PluginRegistration registration;
    void* pluginData = nullptr; // the pointer passed to PluginDataEntryFunction points here

    // Parameters.
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
    std::optional<PF_LRect> outputRect; // the smart output world's rectangle, if not the result's
    std::int32_t layerCheckoutErr = 0, layerPixelsErr = 0, outputErr = 0;
    bool withholdOutput = false;
    std::vector<LayerCheckout> layerCheckouts;
    std::set<std::int32_t> checkoutIds; // ids checked out successfully at pre-render
    int outputCheckouts = 0;

    // Suites and the composition.
    std::set<std::pair<std::string, std::int32_t>> refused;
    std::map<std::pair<std::string, std::int32_t>, SuiteBalance> suites;
    std::multimap<std::string, Failure> failures;
    MemoryBalance memory;
    std::set<const leanhost::NameBlock*> leaksReported;

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
    bool stopAsked(); // whether the host asks the effect to stop now

    // ---- bookkeeping --------------------------------------------------------------------
    void record(HostCall call);
    void fault(const std::string& what);
    std::optional<Failure> failureFor(const std::string& function, std::int32_t layer,
                                      std::int32_t stream = -1) const;

    // in_data of a frame: the lean host's, with this host's tables and settings.
    void prepareInData(std::int32_t frame);
    void shareWorlds(); // the answers hand out this host's worlds
    void makeWorlds();
    void makeSmartOutput(); // the output world for smart render, after pre-render
    void checkWorldsAfterRender();
    void endOfCommandChecks();
};

// The host inside a command. Every entry point calls enterHost first: it returns the active host
// when the call is legitimate (inside a command, on the command's thread) and records a fault and
// returns nullptr otherwise; the entry point then answers with an error.
SceneHost::State* enterHost(const char* function);

// Activation of a host for the duration of one command (or runAsCommand), the lean host's
// answers answering from its session.
class ActiveHost {
public:
    explicit ActiveHost(SceneHost::State& state);
    ~ActiveHost();
    ActiveHost(const ActiveHost&) = delete;
    ActiveHost& operator=(const ActiveHost&) = delete;

private:
    SceneHost::State& state_;
    std::optional<leanhost::Activation> lean_;
};

// The function tables the host hands out. Built once per process; every function finds its host
// through enterHost.
const PF_InteractCallbacks& checkedInteractCallbacks();
PF_UtilCallbacks checkedUtilCallbacks();
PF_PreRenderCallbacks checkedPreRenderCallbacks();
PF_SmartRenderCallbacks checkedSmartRenderCallbacks();
SPBasicSuite* checkedBasicSuite();
std::int32_t checkedPluginDataCallback(PF_PluginData* data, const unsigned char* name,
                                       const unsigned char* matchName, const unsigned char* category,
                                       const unsigned char* entryPoint, std::int32_t kind,
                                       std::int32_t apiMajor, std::int32_t apiMinor,
                                       std::int32_t reservedInfo);

// This host's table for one of the lean host's suite tables, or nullptr.
const void* checkedSuite(const void* leanTable);

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
