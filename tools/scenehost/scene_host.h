// The scene host: a small stand-in for After Effects that loads the effect library, sends it the
// same commands with the same records the real host would, and answers its callbacks and suite
// calls from a scene (scene.h). It is as strict as the real host is lenient:
// - every callback slot and suite function the effect has no business calling points at a
//   function that records a fault and returns an error;
// - suites other than the eight the effect needs are refused ('S!Fd', null table) and recorded;
// - acquires/releases, parameter checkouts/checkins and memory handles are counted, so an
//   imbalance or a leak is visible;
// - worlds carry guard bytes and poisoned pixels and padding (host_world.h);
// - in_data must come back from every command unchanged, and host calls must come from the
//   thread that received the command, during the command.
// Every answer can be made to fail on request, so the effect's fallbacks can be exercised.
//
// Typical use:
//   SceneHost host(SceneHost::smallScene(24, 16));
//   host.start();                        // PluginDataEntryFunction, GLOBAL_SETUP, PARAMS_SETUP
//   host.scene().render.depth = 16;
//   ASSERT_EQ(host.requestFrame(0), 0);   // SMART_PRE_RENDER + SMART_RENDER (or PF_Cmd_RENDER)
//   EXPECT_EQ(host.output().poisonCount(), 0);
//   EXPECT_TRUE(host.clean()) << host.report();
//
// One SceneHost serves one effect instance on one thread at a time. Several hosts may be inside
// commands at once, each on its own thread, as After Effects' render threads are when it renders
// several frames at once; a host call from any other thread is a fault.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "effectlib/effect_module.h"
#include "scenefile/scene.h"
#include "scenehost/call_log.h"
#include "scenehost/host_world.h"

struct PF_InData;
struct PF_OutData;
struct PF_ParamDef;
struct PF_PreRenderOutput;

namespace nebulastra::scenehost {

inline constexpr std::int32_t kApplIdAfterEffects = 0x46585443; // 'FXTC'
inline constexpr std::int32_t kApplIdPremiere = 0x50724D72;     // 'PrMr'
inline constexpr std::int32_t kSuiteNotFound = 0x53214664;      // 'S!Fd', basic-suite refusal
inline constexpr std::int32_t kErrInvalidCallback = 515;        // PF_Err_INVALID_CALLBACK
inline constexpr std::int32_t kErrBadCallbackParam = 516;       // PF_Err_BAD_CALLBACK_PARAM
inline constexpr std::int32_t kErrInvalidIndex = 513;           // PF_Err_INVALID_INDEX
inline constexpr std::int32_t kAegpErrGeneric = 1;              // A_Err_GENERIC
inline constexpr std::int32_t kAegpErrParameter = 3;            // A_Err_PARAMETER
inline constexpr std::int32_t kAnyLayer = -1;
inline constexpr std::int32_t kDefaultPluginId = 7;

// What the plug-in data callback received from PluginDataEntryFunction.
struct PluginRegistration {
    int calls = 0;
    const void* pluginData = nullptr; // must be the pointer the host passed in
    std::string name, matchName, category, entryPoint;
    std::int32_t kind = 0, apiMajor = 0, apiMinor = 0, reservedInfo = 0;
};

struct ParamBalance {
    int checkouts = 0;
    int checkins = 0;
};

struct SuiteBalance {
    int acquired = 0; // successful acquires
    int released = 0;
    int refused = 0; // acquires the host refused
};

// Memory handles handed out by AEGP_GetLayerName and what the effect did with them.
struct MemoryBalance {
    int issued = 0;
    int locks = 0;
    int unlocks = 0;
    int frees = 0;
    int outstanding() const { return issued - frees; }
};

// Arguments of one pre-render checkout_layer call.
struct LayerCheckout {
    std::int32_t index = 0;
    std::int32_t checkoutId = 0;
    std::int32_t rectLeft = 0, rectTop = 0, rectRight = 0, rectBottom = 0;
    std::int32_t field = 0;
    std::int32_t channelMask = 0;
    char preserveRgbOfZeroAlpha = 0;
    std::int32_t whatTime = 0, timeStep = 0;
    std::uint32_t timeScale = 0;
};

// Arguments of one checkout_param call.
struct ParamCheckout {
    std::int32_t index = 0;
    std::int32_t whatTime = 0, timeStep = 0;
    std::uint32_t timeScale = 0;
    std::int32_t result = 0;
};

// How the host asks the effect to stop a frame it no longer needs (a user pressing Escape, a
// render queue item cancelled). From the moment one of the conditions holds, every call of
// in_data->inter.abort (or of progress, with throughProgress) answers `answer`.
struct Interrupt {
    std::int32_t answer = 517; // PF_Interrupt_CANCEL; any other error plays a failing host
    int afterPolls = 0;        // from the nth abort call of the command on; 0: never
    std::optional<std::chrono::microseconds> afterTime; // this long after the command began
    std::int32_t afterRows = -1;   // once progress has reported this many rows; -1: never
    bool throughProgress = false;  // progress answers instead of abort, which keeps answering 0
    bool withoutCallbacks = false; // in_data->inter.abort and progress are null
};

// One progress report: rows done of the total, as the effect sent them.
struct ProgressReport {
    std::int32_t current = 0;
    std::int32_t total = 0;
};

class SceneHost {
public:
    // A composition of width x height at 24 fps with the time base 2400 / 100 (so a frame number
    // mistaken for a time shows), the effect's layer of the same size, no camera, no layers,
    // 8 bits, full resolution, smart rendering.
    static scenefile::Scene smallScene(std::int32_t width = 32, std::int32_t height = 32);

    // A null effect means the process-wide EffectModule::shared(), loaded at the first call into
    // the effect: a host that only serves runAsCommand never loads a library.
    explicit SceneHost(scenefile::Scene scene = smallScene(),
                       std::shared_ptr<effectlib::EffectModule> effect = nullptr);
    ~SceneHost();
    SceneHost(const SceneHost&) = delete;
    SceneHost& operator=(const SceneHost&) = delete;

    // The composition, the effect values and the render settings: edit freely between commands.
    // Time base, layer size, depth and downsample are read at every command.
    scenefile::Scene& scene();
    const scenefile::Scene& scene() const;

    // in_data.appl_id: kApplIdAfterEffects (default) or kApplIdPremiere. Playing Premiere Pro,
    // the host refuses every AEGP suite, as Premiere does.
    void setApplId(std::int32_t applId);

    // in_data.downsample_x and downsample_y as sent, whatever the scene's resolution: a host may
    // hand over any ratio, a zero or negative one included. The worlds keep the scene's size.
    void overrideDownsample(std::int32_t num, std::uint32_t den);

    // ---- commands ---------------------------------------------------------------------------
    // Each returns the effect's result. Records are kept until the next command.
    std::int32_t registerEffect(); // PluginDataEntryFunction
    std::int32_t globalSetup();    // PF_Cmd_GLOBAL_SETUP
    std::int32_t about();          // PF_Cmd_ABOUT; the text is in outData().return_msg
    std::int32_t paramsSetup();    // PF_Cmd_PARAMS_SETUP
    // registerEffect, globalSetup, paramsSetup; throws std::runtime_error when one fails.
    void start();

    // One frame through the scene's render command: PF_Cmd_SMART_PRE_RENDER then
    // PF_Cmd_SMART_RENDER (the pre-render's error stops it), or PF_Cmd_RENDER. The worlds are
    // made anew at the scene's depth and poisoned first: the input layer whole (frameWidth() x
    // frameHeight()); the output whole for PF_Cmd_RENDER, and for the smart commands the
    // rectangle pre-render declared as its result (see setRequestRect, setOutputRect).
    std::int32_t requestFrame(std::int32_t frame);
    std::int32_t render(std::int32_t frame);         // PF_Cmd_RENDER with the host's params array
    std::int32_t smartPreRender(std::int32_t frame); // PF_Cmd_SMART_PRE_RENDER (new worlds)
    std::int32_t smartRender(std::int32_t frame);    // PF_Cmd_SMART_RENDER on the current worlds

    // Any selector with this host's in_data (at the current frame) and a fresh out_data.
    std::int32_t sendCommand(std::int32_t cmd, PF_ParamDef** params = nullptr, PF_LayerDef* output = nullptr,
                             void* extra = nullptr);

    // Runs `body` as if it were the effect handling a command at `frame`: in_data is prepared,
    // host calls are accepted and checked exactly as during a command. For tests that call the
    // effect's internal functions directly with inData().
    void runAsCommand(std::int32_t frame, const std::function<void()>& body);

    // The records of the last command. outData() is reset from outDataTemplate() before each
    // command (all zero unless a test sets fields, e.g. num_params).
    PF_InData& inData();
    PF_OutData& outData();
    PF_OutData& outDataTemplate();
    const PluginRegistration& registration() const;

    // ---- parameters -------------------------------------------------------------------------
    // The definitions add_param received, in order (element 0 is parameter 1), copied; label and
    // choice strings are copied too and the copies' pointers point at the host's copies.
    const std::vector<PF_ParamDef>& declaredParams() const;
    // The value the host hands out for parameter `index` (1..) at `frame`: the scene's value when
    // it has one, else the declared default; in the member the declared type selects.
    PF_ParamDef paramAt(std::int32_t index, std::int32_t frame) const;
    void failAddParam(std::int32_t nthCall, std::int32_t err); // 1-based call number
    void failParamCheckout(std::int32_t index, std::int32_t err);
    ParamBalance paramBalance(std::int32_t index) const;
    bool paramsBalanced() const; // every checkout checked in exactly once
    const std::vector<ParamCheckout>& paramCheckouts() const;

    // ---- worlds and the render callbacks ----------------------------------------------------
    HostWorld& output();
    HostWorld& input();
    void setRowPadding(std::int32_t bytes); // for worlds made from now on
    // The whole layer at the scene's downsample (its size rounded up): the size of a whole-frame
    // output world.
    std::int32_t frameWidth() const;
    std::int32_t frameHeight() const;
    // The request rectangle sent with the smart commands, in layer pixels at the current
    // downsample (a region of interest); it may reach past the layer or miss it. Default, and
    // after clearRequestRect: the whole layer.
    void setRequestRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    void clearRequestRect();
    // The output world smart render receives is, as in After Effects, the rectangle pre-render
    // declared as result_rect: that size, origin_x / origin_y its top-left corner (an empty
    // result gives a world of no pixels). setOutputRect makes the host hand this rectangle
    // instead, whatever pre-render declared, as a host does that renders into a larger buffer;
    // it may start left of or above the layer (negative origin).
    void setOutputRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    void failLayerCheckout(std::int32_t err);  // pre-render checkout_layer
    void failLayerPixels(std::int32_t err);    // smart-render checkout_layer_pixels
    void failOutputCheckout(std::int32_t err); // smart-render checkout_output
    void withholdOutput(bool withhold);        // checkout_output succeeds with no world
    const PF_PreRenderOutput& preRenderOutput() const;
    const std::vector<LayerCheckout>& layerCheckouts() const;
    int outputCheckouts() const;

    // ---- interruption ------------------------------------------------------------------------
    // Without a setting, abort and progress answer 0. A command that returns success after the
    // host asked it to stop is a fault, as are progress reports that go backwards, exceed their
    // total or change it within a command.
    void setInterrupt(const Interrupt& interrupt);
    int abortPolls() const;                                     // abort calls during the last command
    const std::vector<ProgressReport>& progressReports() const; // during the last command
    // From the host's first request to stop to the command's return, if it asked in the last
    // command.
    std::optional<std::chrono::microseconds> stopLatency() const;

    // ---- suites -----------------------------------------------------------------------------
    void refuseSuite(const std::string& name, std::int32_t version);
    void setPluginId(std::int32_t id); // what AEGP_RegisterWithAEGP hands out (default 7)
    // Makes a suite function fail with `err`, for one composition layer or all. err 0 means
    // "succeed but give nothing": no layer, no composition, a null name handle, a null pointer
    // from AEGP_LockMemHandle. Injectable: AEGP_ConvertEffectToCompTime, AEGP_GetEffectLayer,
    // AEGP_GetEffectCameraMatrix, AEGP_GetLayerParentComp, AEGP_GetCompNumLayers,
    // AEGP_GetCompLayerByIndex, AEGP_GetLayerObjectType, AEGP_IsVideoActive, AEGP_GetLightType,
    // AEGP_GetLayerToWorldXform, AEGP_GetLayerName, AEGP_LockMemHandle, AEGP_RegisterWithAEGP,
    // PF_GetPixelFormat. Any other name throws std::invalid_argument.
    void failCall(const std::string& function, std::int32_t err, std::int32_t layer = kAnyLayer);
    // AEGP_GetLayerStreamValue of one stream (AEGP_LayerStream number) fails.
    void failStream(std::int32_t stream, std::int32_t err, std::int32_t layer = kAnyLayer);
    void clearFailures(); // every injected failure above, suites refused included

    SuiteBalance suiteBalance(const std::string& name, std::int32_t version) const;
    std::map<std::pair<std::string, std::int32_t>, SuiteBalance> suiteBalances() const;
    bool suitesBalanced() const; // every acquired suite released as often as acquired
    MemoryBalance memoryBalance() const;

    // ---- records ----------------------------------------------------------------------------
    const CallLog& log() const;
    // Misbehaviour found: a refused callback or an unimplemented suite function called, a
    // parameter checked in that was not checked out, a foreign handle or world, a release
    // without acquire, a memory handle unlocked/freed wrongly, in_data modified, a host call
    // from another thread or outside a command, ...
    const std::vector<std::string>& faults() const;
    // No faults, suites and parameters balanced, no memory handle outstanding, world guards and
    // padding intact.
    bool clean() const;
    std::string report() const; // faults and imbalances, one per line, for test messages
    void clearRecords();        // log, faults and counters (not the failure settings)

    struct State; // the host's inner state (host_state.h), shared by its callbacks and suites

private:
    std::unique_ptr<State> state_;
};

} // namespace nebulastra::scenehost
