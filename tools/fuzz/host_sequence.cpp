// The command-sequence fuzz driver: decoding, the commands, and the checks after each of them.
#include "host_sequence.h"

#include <cstring>
#include <exception>
#include <sstream>
#include <utility>
#include <vector>

#include "byte_reader.h"
#include "host/host_types.h"
#include "process_faults.h"
#include "scenefile/scene_params.h"
#include "scenehost/scene_host.h"

namespace nebulastra::fuzz {
namespace {

using scenehost::SceneHost;

constexpr int kMaxSteps = 40;  // decisions per input; keeps one input well under a second
constexpr int kMaxLayers = 40; // more lights than the effect turns into clouds (32)

const std::pair<const char*, std::int32_t> kSuites[] = {
    {"AEGP Utility Suite", 13}, {"PF ANSI Suite", 1},    {"AEGP PF Interface Suite", 1},
    {"AEGP Layer Suite", 15},   {"AEGP Light Suite", 2}, {"AEGP Stream Suite", 11},
    {"AEGP Memory Suite", 1},   {"PF World Suite", 2},
};

const char* const kInjectable[] = {
    "AEGP_ConvertEffectToCompTime", "AEGP_GetEffectLayer",   "AEGP_GetEffectCameraMatrix",
    "AEGP_GetLayerParentComp",      "AEGP_GetCompNumLayers", "AEGP_GetCompLayerByIndex",
    "AEGP_GetLayerObjectType",      "AEGP_IsVideoActive",    "AEGP_GetLightType",
    "AEGP_GetLayerToWorldXform",    "AEGP_GetLayerName",     "AEGP_LockMemHandle",
    "AEGP_RegisterWithAEGP",        "PF_GetPixelFormat",
};

// Error codes a host answers with; 0 in failCall means "succeed but hand back nothing".
const std::int32_t kErrors[] = {0, 1, 3, 512, 513, 515, 516, -1, 0x7fffffff};

// Selectors the effect has nothing to do for; a host sends them with these records.
const std::int32_t kQuietSelectors[] = {
    PF_Cmd_GLOBAL_SETDOWN,
    PF_Cmd_SEQUENCE_SETUP,
    PF_Cmd_SEQUENCE_RESETUP,
    PF_Cmd_SEQUENCE_FLATTEN,
    PF_Cmd_SEQUENCE_SETDOWN,
    PF_Cmd_DO_DIALOG,
    PF_Cmd_FRAME_SETUP,
    PF_Cmd_FRAME_SETDOWN,
    PF_Cmd_QUERY_DYNAMIC_FLAGS,
    PF_Cmd_GPU_DEVICE_SETUP,
    PF_Cmd_GPU_DEVICE_SETDOWN,
    PF_Cmd_NUM_CMDS,
    99,
};

scenefile::Track track(ByteReader& in) {
    scenefile::Track t;
    const int keys = 1 + in.pick(3);
    double at = static_cast<double>(static_cast<std::int8_t>(in.byte())) / 8.0;
    for (int k = 0; k < keys; ++k) {
        t.keys.push_back(scenefile::Keyframe{at, in.number()});
        at += static_cast<double>(in.byte()) / 16.0; // never decreasing, as the loader guarantees
    }
    return t;
}

scenefile::Track3 track3(ByteReader& in) { return {track(in), track(in), track(in)}; }

std::optional<scenefile::Track3> maybeTrack3(ByteReader& in) {
    if (in.pick(8) == 0) return std::nullopt; // the host reports the stream as unreadable
    return track3(in);
}

std::optional<scenefile::Track> maybeTrack(ByteReader& in) {
    if (in.pick(8) == 0) return std::nullopt;
    return track(in);
}

scenefile::Layer layer(ByteReader& in, int index) {
    static const char* const kNames[] = {
        "cloud",
        "Cloud 1",
        "cloudy sky",
        "",
        "Light 1",
        "clöud",
        "\xff\xfe cloud",
        "cloud\x01\x7f",
        ("a very long light name that goes on and on well past what any label "
         "field would show")};
    scenefile::Layer l;
    l.name = in.pick(10) == 0 ? std::nullopt : std::optional<std::string>(in.choose(kNames));
    l.type = static_cast<scenefile::LayerType>(in.pick(4) == 0 ? in.pick(7) : 0);
    const int lightType = in.pick(9);
    l.lightType = lightType == 8
                      ? std::nullopt
                      : std::optional<scenefile::LightType>(static_cast<scenefile::LightType>(lightType));
    l.color = maybeTrack3(in);
    l.intensity = maybeTrack(in);
    l.shadowDarkness = maybeTrack(in);
    l.position = maybeTrack3(in);
    const int enabled = in.pick(6);
    l.enabled = enabled == 0 ? std::nullopt : std::optional<bool>(enabled != 1);
    if (in.flag()) {
        l.inPoint = static_cast<double>(static_cast<std::int8_t>(in.byte())) / 8.0;
        l.outPoint = l.inPoint + static_cast<double>(in.byte()) / 8.0;
    }
    l.parent = index > 0 && in.pick(4) == 0 ? in.pick(index) : -1; // parents above: never a cycle
    return l;
}

std::optional<scenefile::Camera> camera(ByteReader& in) {
    if (in.pick(4) == 0) return std::nullopt;
    scenefile::Camera c;
    if (in.flag()) {
        c.form = scenefile::CameraForm::Matrix;
        for (auto& row : c.matrix)
            for (double& v : row)
                v = in.pick(3) == 0 ? in.number() : static_cast<double>(static_cast<std::int8_t>(in.byte()));
        c.matrixUnreadable = in.pick(8) == 0;
        c.zoom = maybeTrack(in);
    } else {
        c.form = scenefile::CameraForm::LookAt;
        c.position = maybeTrack3(in); // equal to the point of interest now and then: no direction
        c.pointOfInterest = in.flag() ? c.position : maybeTrack3(in);
        c.zoom = maybeTrack(in);
    }
    return c;
}

void setEffectValue(ByteReader& in, scenefile::Scene& s) {
    const auto& keys = scenefile::effectKeys();
    const scenefile::EffectKey& key = keys[static_cast<std::size_t>(in.pick(static_cast<int>(keys.size())))];
    s.effect[key.index] = track(in);
}

// Sizes are tiny so that thousands of sequences fit in minutes; 0 x 0 happens.
std::int32_t side(ByteReader& in) {
    static const std::int32_t kSides[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 13, 16, 17, 24};
    return in.choose(kSides);
}

struct Session {
    SceneHost& host;
    std::vector<std::string> trace;
    SequenceReport report;
    bool paramsReady = false;       // the last PARAMS_SETUP succeeded: the instance exists
    bool pixelFormatAtRisk = false; // the output's pixel format query may fail (8-bit fallback)
    bool outputWithheld = false;
    int failAllocation = 0, failThreadStart = 0;

    void note(const std::string& what) { trace.push_back(what); }

    bool fail(const std::string& what) {
        std::ostringstream out;
        out << what << "\n" << host.report() << "sequence:";
        for (const std::string& step : trace) out << "\n  " << step;
        report.failure = out.str();
        return false;
    }

    bool checkContract(const char* after) {
        const scenehost::MemoryBalance m = host.memoryBalance();
        if (!host.clean()) return fail(std::string("host contract broken after ") + after);
        if (m.locks != m.unlocks) return fail(std::string("memory handle left locked after ") + after);
        return true;
    }

    template <typename Command>
    std::int32_t send(Command command) {
        ++report.commands;
        ProcessFaultScope faults(failAllocation, failThreadStart);
        return command();
    }

    bool renderAndCheck(std::int32_t frame) {
        ++report.renders;
        const std::int32_t err = send([&] { return host.requestFrame(frame); });
        note("  -> " + std::to_string(err));
        if (!checkContract("a render")) return false;
        if (err != 0 || outputWithheld) return true;
        ++report.rendered;
        scenehost::HostWorld& out = host.output();
        if (!(pixelFormatAtRisk && out.bitsPerChannel() != 8) && out.poisonCount() != 0)
            return fail("a successful render left " + std::to_string(out.poisonCount()) +
                        " pixels unwritten");
        const std::vector<std::uint8_t> first(out.storage(), out.storage() + out.storageSize());
        const std::int32_t again = send([&] { return host.requestFrame(frame); });
        if (!checkContract("a repeated render")) return false;
        if (again != 0) return fail("the same frame rendered again failed with " + std::to_string(again));
        scenehost::HostWorld& out2 = host.output();
        if (out2.storageSize() != first.size() ||
            std::memcmp(out2.storage(), first.data(), first.size()) != 0)
            return fail("the same frame rendered again differs");
        return true;
    }
};

// Host settings and failures: returns a description for the trace.
std::string injectFault(ByteReader& in, Session& session, const scenefile::Scene& s) {
    SceneHost& host = session.host;
    const std::int32_t err = in.choose(kErrors);
    const std::int32_t nonzero = err == 0 ? 1 : err;
    const std::int32_t layer =
        in.flag() ? scenehost::kAnyLayer : in.pick(static_cast<int>(s.layers.size()) + 1) - 1;
    ++session.report.faults;
    switch (in.pick(12)) {
    case 0: {
        const auto& suite = in.choose(kSuites);
        host.refuseSuite(suite.first, suite.second);
        if (std::string(suite.first) == "PF World Suite") session.pixelFormatAtRisk = true;
        return std::string("refuse suite ") + suite.first;
    }
    case 1: {
        const char* function = in.choose(kInjectable);
        host.failCall(function, err, layer);
        if (std::string(function) == "PF_GetPixelFormat") session.pixelFormatAtRisk = true;
        return std::string("fail ") + function + " with " + std::to_string(err) + " for layer " +
               std::to_string(layer);
    }
    case 2: {
        const std::int32_t stream = in.pick(40);
        host.failStream(stream, err, layer);
        return "fail stream " + std::to_string(stream) + " with " + std::to_string(err);
    }
    case 3: {
        const std::int32_t nth = 1 + in.pick(64);
        host.failAddParam(nth, nonzero);
        return "fail add_param call " + std::to_string(nth) + " with " + std::to_string(nonzero);
    }
    case 4: {
        const std::int32_t index = in.pick(64);
        host.failParamCheckout(index, nonzero);
        return "fail checkout of parameter " + std::to_string(index) + " with " + std::to_string(nonzero);
    }
    case 5:
        host.failLayerCheckout(nonzero);
        return "fail checkout_layer with " + std::to_string(nonzero);
    case 6:
        host.failLayerPixels(nonzero);
        return "fail checkout_layer_pixels with " + std::to_string(nonzero);
    case 7:
        host.failOutputCheckout(nonzero);
        return "fail checkout_output with " + std::to_string(nonzero);
    case 8:
        host.withholdOutput(true);
        session.outputWithheld = true;
        return "withhold the output world";
    case 9:
        session.failAllocation = in.pick(6);
        return "refuse the effect's allocation #" + std::to_string(session.failAllocation);
    case 10:
        session.failThreadStart = in.pick(18);
        return "refuse thread start #" + std::to_string(session.failThreadStart);
    default:
        host.clearFailures();
        session.pixelFormatAtRisk = session.outputWithheld = false;
        session.failAllocation = session.failThreadStart = 0;
        --session.report.faults;
        return "clear the failures";
    }
}

std::string editScene(ByteReader& in, Session& session) {
    SceneHost& host = session.host;
    scenefile::Scene& s = host.scene();
    switch (in.pick(10)) {
    case 0:
    case 1:
    case 2:
        setEffectValue(in, s);
        return "set an effect value";
    case 3: {
        if (s.layers.size() < static_cast<std::size_t>(kMaxLayers))
            s.layers.push_back(layer(in, static_cast<int>(s.layers.size())));
        return "add layer " + std::to_string(s.layers.size());
    }
    case 4:
        s.camera = camera(in);
        return s.camera ? "set a camera" : "remove the camera";
    case 5: {
        static const int kDepths[] = {8, 16, 32};
        s.render.depth = in.choose(kDepths);
        s.render.downsample = 1 + in.pick(4);
        s.render.command =
            in.pick(3) == 0 ? scenefile::RenderCommand::Render : scenefile::RenderCommand::Smart;
        return "depth " + std::to_string(s.render.depth) + ", downsample " +
               std::to_string(s.render.downsample) +
               (s.render.command == scenefile::RenderCommand::Render ? ", PF_Cmd_RENDER" : ", smart render");
    }
    case 6: {
        s.composition.width = side(in);
        s.composition.height = side(in);
        s.layerWidth = in.flag() ? 0 : side(in);
        s.layerHeight = in.flag() ? 0 : side(in);
        return "composition " + std::to_string(s.composition.width) + "x" +
               std::to_string(s.composition.height) + ", layer " + std::to_string(s.layerWidth) + "x" +
               std::to_string(s.layerHeight);
    }
    case 7: {
        static const std::uint32_t kScales[] = {24, 2400, 30000, 1, 0, 0xffffffffu};
        static const std::int32_t kSteps[] = {1, 100, 1001, 0, -1, 0x7fffffff};
        s.composition.timeBase = scenefile::TimeBase{in.choose(kScales), in.choose(kSteps)};
        return "time base " + std::to_string(s.composition.timeBase.timeScale) + "/" +
               std::to_string(s.composition.timeBase.timeStep);
    }
    case 8: {
        if (in.flag()) {
            const std::int32_t num = in.integer();
            const std::uint32_t den = static_cast<std::uint32_t>(in.integer());
            host.overrideDownsample(num, den);
            return "downsample sent as " + std::to_string(num) + "/" + std::to_string(den);
        }
        host.setRequestRect(in.integer(), in.integer(), in.integer(), in.integer());
        return "odd request rectangle";
    }
    default: {
        host.setRowPadding(4 * in.pick(17));
        host.setApplId(in.pick(4) == 0 ? scenehost::kApplIdPremiere : scenehost::kApplIdAfterEffects);
        return "row padding / application";
    }
    }
}

bool step(ByteReader& in, Session& session) {
    SceneHost& host = session.host;
    switch (in.pick(16)) {
    case 0: {
        session.note("PluginDataEntryFunction");
        session.send([&] { return host.registerEffect(); });
        return session.checkContract("PluginDataEntryFunction");
    }
    case 1: {
        session.note("GLOBAL_SETUP");
        session.send([&] { return host.globalSetup(); });
        return session.checkContract("GLOBAL_SETUP");
    }
    case 2: {
        session.note("ABOUT");
        session.send([&] { return host.about(); });
        return session.checkContract("ABOUT");
    }
    case 3: {
        session.note("PARAMS_SETUP");
        session.paramsReady = session.send([&] { return host.paramsSetup(); }) == 0;
        return session.checkContract("PARAMS_SETUP");
    }
    case 4:
    case 5:
    case 6: {
        static const std::int32_t kFrames[] = {0, 1, 2, 5, 24, 47, -1, 100000, 0x7fffffff};
        const std::int32_t frame = in.choose(kFrames);
        // A host renders only an instance that exists: one whose PARAMS_SETUP succeeded.
        if (!session.paramsReady) return true;
        session.note("render frame " + std::to_string(frame));
        return session.renderAndCheck(frame);
    }
    case 7: {
        if (!session.paramsReady) return true;
        session.note("SMART_PRE_RENDER alone");
        session.send([&] { return host.smartPreRender(in.pick(4)); });
        return session.checkContract("SMART_PRE_RENDER");
    }
    case 8: {
        const std::int32_t cmd = in.choose(kQuietSelectors);
        session.note("selector " + std::to_string(cmd));
        session.send([&] { return host.sendCommand(cmd); });
        return session.checkContract("a quiet selector");
    }
    case 9:
    case 10:
    case 11:
        session.note(injectFault(in, session, host.scene()));
        return true;
    default:
        session.note(editScene(in, session));
        return true;
    }
}

} // namespace

SequenceReport runHostSequence(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    scenefile::Scene s = SceneHost::smallScene(side(in), side(in));
    const int lights = in.pick(4);
    for (int i = 0; i < lights; ++i) s.layers.push_back(layer(in, i));
    s.camera = camera(in);

    std::shared_ptr<effectlib::EffectModule> effect = effectlib::EffectModule::shared();
    setEffectModuleAddress(reinterpret_cast<const void*>(effect->effectMain()));
    SceneHost host(std::move(s), effect);
    Session session{host, {}, {}};
    // Most sessions start the way a host starts an effect; the rest start anywhere.
    if (in.pick(4) != 0) {
        session.note("PluginDataEntryFunction, GLOBAL_SETUP, PARAMS_SETUP");
        session.send([&] { return host.registerEffect(); });
        session.send([&] { return host.globalSetup(); });
        session.paramsReady = session.send([&] { return host.paramsSetup(); }) == 0;
        if (!session.checkContract("start-up")) return session.report;
    }
    try {
        for (int i = 0; i < kMaxSteps && !in.empty(); ++i)
            if (!step(in, session)) break;
    } catch (const std::exception& e) {
        session.fail(std::string("the host threw: ") + e.what());
    }
    return session.report;
}

std::string probeProcessFaults() {
    if (!processFaultsAvailable()) return "";
    std::shared_ptr<effectlib::EffectModule> effect = effectlib::EffectModule::shared();
    setEffectModuleAddress(reinterpret_cast<const void*>(effect->effectMain()));
    scenefile::Scene s = SceneHost::smallScene(8, 8);
    SceneHost host(std::move(s), effect);
    host.start();
    const std::pair<int, int> kCases[] = {{1, 0}, {0, 1}, {0, 2}};
    for (const auto& [allocation, thread] : kCases) {
        if (allocation != 0 && !allocationFaultsAvailable()) continue;
        const std::string which =
            "allocation " + std::to_string(allocation) + ", thread start " + std::to_string(thread);
        armProcessFaults(allocation, thread);
        const std::int32_t err = host.requestFrame(0);
        const ProcessFaultCounts counts = disarmProcessFaults();
        if (counts.refused != 1)
            return which + ": nothing was refused (" + std::to_string(counts.effectAllocations) +
                   " allocations, " + std::to_string(counts.threadStarts) + " thread starts seen)";
        if (err == 0) return which + ": the render reported success";
        if (!host.clean()) return which + ": " + host.report();
        if (host.requestFrame(0) != 0 || host.output().poisonCount() != 0)
            return which + ": the next frame did not render";
    }
    return "";
}

} // namespace nebulastra::fuzz
