// SceneHost: the commands it sends, the records it keeps, and the per-command bookkeeping of its
// state (in_data of a frame, worlds, end-of-command checks).
#include "scenehost/scene_host.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>

#include "scenefile/scene_eval.h"
#include "scenehost/host_state.h"

namespace nebulastra::scenehost {
namespace {

// A host is active on the thread that sent its command, for that command: several hosts may be
// inside commands at once, each on its own thread, as the render threads of a host that renders
// several frames at once call the effect. gActiveHosts lists them all, so that a host call from
// a thread that belongs to no command is laid at the door of every host then inside a command.
thread_local SceneHost::State* tActive = nullptr;
std::mutex gActiveMutex;
std::set<SceneHost::State*> gActiveHosts;
std::atomic<SceneHost::State*> gLast{nullptr};

std::string suiteLabel(const std::pair<std::string, std::int32_t>& key) {
    return '"' + key.first + "\" " + std::to_string(key.second);
}

} // namespace

// ---- activation -------------------------------------------------------------------------------

SceneHost::State* enterHost(const char* function) {
    if (SceneHost::State* s = tActive) return s; // the thread of its command
    const std::lock_guard<std::mutex> lock(gActiveMutex);
    if (gActiveHosts.empty()) {
        if (SceneHost::State* last = gLast.load())
            last->fault(std::string(function) + " called outside a command");
        return nullptr;
    }
    for (SceneHost::State* s : gActiveHosts)
        s->fault(std::string(function) + " called from a thread other than the command's");
    return nullptr;
}

ActiveHost::ActiveHost(SceneHost::State& state) : state_(state) {
    if (tActive != nullptr) throw std::logic_error("a command is already in progress on this thread");
    {
        const std::lock_guard<std::mutex> lock(gActiveMutex);
        if (!gActiveHosts.insert(&state).second)
            throw std::logic_error("this scene host is inside a command on another thread");
    }
    tActive = &state;
    lean_.emplace(state);
    gLast.store(&state);
    state.inCommand = true;
    state.commandThread = std::this_thread::get_id();
    state.suitesAtStart = state.suites;
    state.commandStart = std::chrono::steady_clock::now();
    state.abortPolls = 0;
    state.progress.clear();
    state.stopAskedAt.reset();
    state.stopLatency.reset();
}

ActiveHost::~ActiveHost() {
    state_.inCommand = false;
    lean_.reset();
    tActive = nullptr;
    const std::lock_guard<std::mutex> lock(gActiveMutex);
    gActiveHosts.erase(&state_);
}

// ---- records ----------------------------------------------------------------------------------

void SceneHost::State::record(HostCall call) {
    std::lock_guard<std::mutex> lock(recordMutex);
    log.add(std::move(call));
}

void SceneHost::State::fault(const std::string& what) {
    std::lock_guard<std::mutex> lock(recordMutex);
    faults.push_back(what);
}

std::optional<Failure> SceneHost::State::failureFor(const std::string& function, std::int32_t layer,
                                                    std::int32_t stream) const {
    auto range = failures.equal_range(function);
    for (auto it = range.first; it != range.second; ++it) {
        const Failure& f = it->second;
        if ((f.layer == kAnyLayer || f.layer == layer) && f.stream == stream) return f;
    }
    return std::nullopt;
}

// ---- frames and worlds ------------------------------------------------------------------------

void SceneHost::State::prepareInData(std::int32_t frameNumber) {
    frame = frameNumber;
    shareWorlds();
    Session::prepareInData(frameNumber);
    PF_InData& d = inData;
    d.inter = checkedInteractCallbacks();
    if (interrupt.withoutCallbacks) d.inter.abort = nullptr, d.inter.progress = nullptr;
    utils = checkedUtilCallbacks();
    d.appl_id = applId;
    if (downsampleOverride) d.downsample_x = d.downsample_y = *downsampleOverride;
    d.pica_basicP = checkedBasicSuite();
}

void SceneHost::State::shareWorlds() {
    inputWorld = leanhost::WorldRef{input.world(), input.bitsPerChannel()};
    outputWorld = leanhost::WorldRef{output.world(), output.bitsPerChannel()};
}

void SceneHost::State::makeWorlds() {
    const FrameSize size = frameSize(scene);
    input = HostWorld(size.width, size.height, scene.render.depth, rowPadding);
    // The layer under the effect has content of its own; a generator never reads or writes it.
    input.fill(ArgbF{1.0f, 0.25f, 0.5f, 0.75f});
    inputSnapshot.assign(input.storage(), input.storage() + input.storageSize());
    output = HostWorld(size.width, size.height, scene.render.depth, rowPadding);
    shareWorlds();
}

void SceneHost::State::makeSmartOutput() {
    const PF_LRect r = outputRect.value_or(preOutput.result_rect);
    // An empty or inverted rectangle holds no pixels; the world keeps its corner as origin.
    const std::int32_t width = std::max<std::int32_t>(0, r.right - r.left);
    const std::int32_t height = std::max<std::int32_t>(0, r.bottom - r.top);
    output = HostWorld(width, height, scene.render.depth, rowPadding);
    output.setOrigin(r.left, r.top);
    shareWorlds();
}

void SceneHost::State::checkWorldsAfterRender() {
    if (!output.guardsIntact()) fault("output world: guard bytes overwritten");
    if (!output.paddingIntact()) fault("output world: row padding overwritten");
    if (inputSnapshot.size() != input.storageSize() ||
        !std::equal(inputSnapshot.begin(), inputSnapshot.end(), input.storage()))
        fault("input world: its bytes were changed");
}

void SceneHost::State::endOfCommandChecks() {
    for (const auto& [slot, entry] : outstanding)
        fault("parameter " + std::to_string(entry.first) + " still checked out when the command returned");
    outstanding.clear();
    for (const auto& [key, now] : suites) {
        SuiteBalance before = suitesAtStart.count(key) ? suitesAtStart.at(key) : SuiteBalance{};
        const int held = (now.acquired - before.acquired) - (now.released - before.released);
        if (held > 0) fault("suite " + suiteLabel(key) + " still acquired when the command returned");
    }
    for (const leanhost::NameBlock& block : names)
        if (!block.freed && leaksReported.insert(&block).second)
            fault("memory handle not freed when the command returned");
}

// ---- SceneHost --------------------------------------------------------------------------------

Scene SceneHost::smallScene(std::int32_t width, std::int32_t height) {
    Scene s;
    s.composition.width = width;
    s.composition.height = height;
    s.composition.frameRate = 24.0;
    s.composition.timeBase = TimeBase{2400, 100};
    s.layerWidth = width;
    s.layerHeight = height;
    return s;
}

SceneHost::SceneHost(Scene scene, std::shared_ptr<EffectModule> effect) : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.scene = std::move(scene);
    s.effect = std::move(effect);
    s.pluginId = kDefaultPluginId;
    s.onKindMismatch = [&s](std::int32_t index) {
        s.fault("parameter " + std::to_string(index) +
                ": the scene gives a value of another kind than declared");
    };
    s.interrupts.stopRequested = [&s] { return s.stopAsked(); };
    s.prepareInData(0);
}

SceneHost::~SceneHost() {
    State* self = state_.get();
    gLast.compare_exchange_strong(self, nullptr);
}

Scene& SceneHost::scene() { return state_->scene; }
const Scene& SceneHost::scene() const { return state_->scene; }
void SceneHost::setApplId(std::int32_t applId) { state_->applId = applId; }
void SceneHost::overrideDownsample(std::int32_t num, std::uint32_t den) {
    state_->downsampleOverride = PF_RationalScale{num, den};
}

std::int32_t SceneHost::registerEffect() {
    State& s = *state_;
    s.prepareInData(s.frame);
    ActiveHost active(s);
    const std::size_t at = s.log.size();
    s.record(HostCall{"PluginDataEntryFunction", -1, -1, 0, ""});
    const std::int32_t err = s.module().pluginDataEntry()(reinterpret_cast<PF_PluginData*>(&s.pluginData),
                                                          &checkedPluginDataCallback, checkedBasicSuite(),
                                                          "After Effects", "23.4");
    {
        std::lock_guard<std::mutex> lock(s.recordMutex);
        s.log.setResult(at, err);
    }
    s.endOfCommandChecks();
    return err;
}

std::int32_t SceneHost::sendCommand(std::int32_t cmd, PF_ParamDef** params, PF_LayerDef* output,
                                    void* extra) {
    State& s = *state_;
    s.prepareInData(s.frame);
    std::memcpy(&s.outData, &s.outTemplate, sizeof s.outData);
    ActiveHost active(s);
    std::memcpy(&s.inDataSent, &s.inData, sizeof s.inData);
    const std::size_t at = s.log.size();
    s.record(HostCall{"EffectMain", cmd, -1, 0, ""});
    s.command = cmd;
    const std::int32_t err = s.module().effectMain()(cmd, &s.inData, &s.outData, params, output, extra);
    s.command = -1;
    if (s.stopAskedAt) {
        s.stopLatency = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - *s.stopAskedAt);
        // A frame the host asked to stop may be only part drawn: it must not come back as done.
        if (err == PF_Err_NONE)
            s.fault("command " + std::to_string(cmd) + " returned success after the host asked it to stop");
    }
    {
        std::lock_guard<std::mutex> lock(s.recordMutex);
        s.log.setResult(at, err);
    }
    if (std::memcmp(&s.inDataSent, &s.inData, sizeof s.inData) != 0)
        s.fault("in_data changed by command " + std::to_string(cmd));
    s.endOfCommandChecks();
    return err;
}

void SceneHost::runAsCommand(std::int32_t frame, const std::function<void()>& body) {
    State& s = *state_;
    s.prepareInData(frame);
    ActiveHost active(s);
    std::memcpy(&s.inDataSent, &s.inData, sizeof s.inData);
    body();
    if (std::memcmp(&s.inDataSent, &s.inData, sizeof s.inData) != 0) s.fault("in_data changed");
    s.endOfCommandChecks();
}

void SceneHost::setInterrupt(const Interrupt& interrupt) {
    state_->interrupt = interrupt;
    state_->interrupts.stopAnswer = interrupt.answer;
    state_->interrupts.stopThroughProgress = interrupt.throughProgress;
}
int SceneHost::abortPolls() const { return state_->abortPolls; }
const std::vector<ProgressReport>& SceneHost::progressReports() const { return state_->progress; }
std::optional<std::chrono::microseconds> SceneHost::stopLatency() const { return state_->stopLatency; }

std::int32_t SceneHost::globalSetup() { return sendCommand(PF_Cmd_GLOBAL_SETUP); }
std::int32_t SceneHost::about() { return sendCommand(PF_Cmd_ABOUT); }

std::int32_t SceneHost::paramsSetup() {
    State& s = *state_;
    s.declared.clear();
    s.declaredText.clear();
    s.addParamCalls = 0;
    PF_ParamDef layer = s.paramValue(0, 0, 1);
    PF_ParamDef* params[1] = {&layer};
    return sendCommand(PF_Cmd_PARAMS_SETUP, params, nullptr, nullptr);
}

void SceneHost::start() {
    if (std::int32_t err = registerEffect())
        throw std::runtime_error("PluginDataEntryFunction failed: " + std::to_string(err));
    if (std::int32_t err = globalSetup())
        throw std::runtime_error("PF_Cmd_GLOBAL_SETUP failed: " + std::to_string(err));
    if (std::int32_t err = paramsSetup())
        throw std::runtime_error("PF_Cmd_PARAMS_SETUP failed: " + std::to_string(err));
}

std::int32_t SceneHost::render(std::int32_t frame) {
    State& s = *state_;
    s.prepareInData(frame);
    s.makeWorlds();
    const std::int32_t err = sendCommand(PF_Cmd_RENDER, s.renderParams(), s.output.world(), nullptr);
    s.checkWorldsAfterRender();
    return err;
}

std::int32_t SceneHost::smartPreRender(std::int32_t frame) {
    State& s = *state_;
    s.prepareInData(frame);
    s.makeWorlds();
    s.preparePreRender();
    s.preCallbacks = checkedPreRenderCallbacks();
    s.checkoutIds.clear();
    const PF_PreRenderInput sent = s.preInput;
    const std::int32_t err = sendCommand(PF_Cmd_SMART_PRE_RENDER, nullptr, nullptr, &s.preExtra);
    if (std::memcmp(&sent, &s.preInput, sizeof sent) != 0) s.fault("pre-render input changed by the effect");
    s.makeSmartOutput();
    return err;
}

std::int32_t SceneHost::smartRender(std::int32_t frame) {
    State& s = *state_;
    s.prepareInData(frame);
    s.output.poison();
    s.prepareSmartRender();
    s.smartCallbacks = checkedSmartRenderCallbacks();
    const std::int32_t err = sendCommand(PF_Cmd_SMART_RENDER, nullptr, nullptr, &s.smartExtra);
    s.checkWorldsAfterRender();
    return err;
}

std::int32_t SceneHost::requestFrame(std::int32_t frame) {
    if (state_->scene.render.command == RenderCommand::Render) return render(frame);
    if (std::int32_t err = smartPreRender(frame)) return err;
    return smartRender(frame);
}

PF_InData& SceneHost::inData() { return state_->inData; }
PF_OutData& SceneHost::outData() { return state_->outData; }
PF_OutData& SceneHost::outDataTemplate() { return state_->outTemplate; }
const PluginRegistration& SceneHost::registration() const { return state_->registration; }

// ---- parameters -------------------------------------------------------------------------------

const std::vector<PF_ParamDef>& SceneHost::declaredParams() const { return state_->declared; }

PF_ParamDef SceneHost::paramAt(std::int32_t index, std::int32_t frame) const {
    const TimeBase& tb = state_->scene.composition.timeBase;
    return state_->paramValue(
        index, static_cast<std::int32_t>(static_cast<std::int64_t>(frame) * tb.timeStep), tb.timeScale);
}

void SceneHost::failAddParam(std::int32_t nthCall, std::int32_t err) {
    state_->addParamFailures[nthCall] = err;
}
void SceneHost::failParamCheckout(std::int32_t index, std::int32_t err) {
    state_->checkoutFailures[index] = err;
}

ParamBalance SceneHost::paramBalance(std::int32_t index) const {
    auto it = state_->paramCounts.find(index);
    return it == state_->paramCounts.end() ? ParamBalance{} : it->second;
}

bool SceneHost::paramsBalanced() const {
    return std::all_of(state_->paramCounts.begin(), state_->paramCounts.end(),
                       [](const auto& kv) { return kv.second.checkouts == kv.second.checkins; });
}

const std::vector<ParamCheckout>& SceneHost::paramCheckouts() const { return state_->paramCheckouts; }

// ---- worlds -----------------------------------------------------------------------------------

HostWorld& SceneHost::output() { return state_->output; }
HostWorld& SceneHost::input() { return state_->input; }

void SceneHost::setRowPadding(std::int32_t bytes) {
    if (bytes < 0 || bytes % 4 != 0) throw std::invalid_argument("row padding must be a multiple of 4 bytes");
    state_->rowPadding = bytes;
}

std::int32_t SceneHost::frameWidth() const { return frameSize(state_->scene).width; }
std::int32_t SceneHost::frameHeight() const { return frameSize(state_->scene).height; }

void SceneHost::setRequestRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    state_->requestRect = PF_LRect{left, top, right, bottom};
}

void SceneHost::clearRequestRect() { state_->requestRect.reset(); }

void SceneHost::setOutputRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    state_->outputRect = PF_LRect{left, top, right, bottom};
}

void SceneHost::failLayerCheckout(std::int32_t err) { state_->layerCheckoutErr = err; }
void SceneHost::failLayerPixels(std::int32_t err) { state_->layerPixelsErr = err; }
void SceneHost::failOutputCheckout(std::int32_t err) { state_->outputErr = err; }
void SceneHost::withholdOutput(bool withhold) { state_->withholdOutput = withhold; }
const PF_PreRenderOutput& SceneHost::preRenderOutput() const { return state_->preOutput; }
const std::vector<LayerCheckout>& SceneHost::layerCheckouts() const { return state_->layerCheckouts; }
int SceneHost::outputCheckouts() const { return state_->outputCheckouts; }

// ---- suites -----------------------------------------------------------------------------------

void SceneHost::refuseSuite(const std::string& name, std::int32_t version) {
    state_->refused.insert({name, version});
}
void SceneHost::setPluginId(std::int32_t id) { state_->pluginId = id; }

void SceneHost::failCall(const std::string& function, std::int32_t err, std::int32_t layer) {
    if (!isInjectable(function)) throw std::invalid_argument("cannot make " + function + " fail");
    state_->failures.insert({function, Failure{err, layer, -1}});
}

void SceneHost::failStream(std::int32_t stream, std::int32_t err, std::int32_t layer) {
    state_->failures.insert({"AEGP_GetLayerStreamValue", Failure{err, layer, stream}});
}

void SceneHost::clearFailures() {
    State& s = *state_;
    s.failures.clear();
    s.refused.clear();
    s.addParamFailures.clear();
    s.checkoutFailures.clear();
    s.layerCheckoutErr = s.layerPixelsErr = s.outputErr = 0;
    s.withholdOutput = false;
}

SuiteBalance SceneHost::suiteBalance(const std::string& name, std::int32_t version) const {
    auto it = state_->suites.find({name, version});
    return it == state_->suites.end() ? SuiteBalance{} : it->second;
}

std::map<std::pair<std::string, std::int32_t>, SuiteBalance> SceneHost::suiteBalances() const {
    return state_->suites;
}

bool SceneHost::suitesBalanced() const {
    return std::all_of(state_->suites.begin(), state_->suites.end(),
                       [](const auto& kv) { return kv.second.acquired == kv.second.released; });
}

MemoryBalance SceneHost::memoryBalance() const { return state_->memory; }

// ---- records ----------------------------------------------------------------------------------

const CallLog& SceneHost::log() const { return state_->log; }
const std::vector<std::string>& SceneHost::faults() const { return state_->faults; }

bool SceneHost::clean() const {
    const State& s = *state_;
    return s.faults.empty() && suitesBalanced() && paramsBalanced() && s.memory.outstanding() == 0 &&
           s.output.guardsIntact() && s.output.paddingIntact() && s.input.guardsIntact();
}

std::string SceneHost::report() const {
    const State& s = *state_;
    std::ostringstream out;
    for (const std::string& f : s.faults) out << "fault: " << f << '\n';
    for (const auto& [key, b] : s.suites)
        if (b.acquired != b.released)
            out << "suite " << suiteLabel(key) << ": acquired " << b.acquired << ", released " << b.released
                << '\n';
    for (const auto& [index, b] : s.paramCounts)
        if (b.checkouts != b.checkins)
            out << "parameter " << index << ": checked out " << b.checkouts << ", checked in " << b.checkins
                << '\n';
    if (s.memory.outstanding() != 0)
        out << "memory handles: issued " << s.memory.issued << ", freed " << s.memory.frees << '\n';
    if (!s.output.guardsIntact()) out << "output world: guard bytes overwritten\n";
    if (!s.output.paddingIntact()) out << "output world: row padding overwritten\n";
    if (!s.input.guardsIntact()) out << "input world: guard bytes overwritten\n";
    return out.str();
}

void SceneHost::clearRecords() {
    State& s = *state_;
    s.log.clear();
    s.faults.clear();
    s.paramCounts.clear();
    s.paramCheckouts.clear();
    s.suites.clear();
    s.memory = MemoryBalance{};
    for (const leanhost::NameBlock& block : s.names) s.leaksReported.insert(&block);
    s.layerCheckouts.clear();
    s.outputCheckouts = 0;
}

} // namespace nebulastra::scenehost
