// The basic suite (in_data.pica_basicP): AcquireSuite serves the suites the lean host serves, at
// exactly the versions it asks for, each table checked (suite_table.h), unless a test refused one
// or the host plays Premiere Pro (no AEGP suites there); anything else gets 'S!Fd' and a null
// table. Every acquire, refusal and release is counted per (name, version).
#include <string>

#include "scenehost/suite_table.h"

namespace nebulastra::scenehost {
namespace {

using State = SceneHost::State;

SPErr acquireSuite(const char* name, int32_t version, const void** suite) {
    State* s = enterHost("AcquireSuite");
    if (s == nullptr) {
        if (suite != nullptr) *suite = nullptr;
        return kSPBadParameterError;
    }
    if (name == nullptr || suite == nullptr) {
        s->fault("AcquireSuite without a name or a result pointer");
        return answer(*s, "AcquireSuite", version, -1, kSPBadParameterError);
    }
    const std::pair<std::string, std::int32_t> key{name, version};
    // Premiere Pro hosts the PF suites but none of the AEGP ones.
    const bool premiere = s->applId == PF_APPL_ID_PREMIERE && key.first.rfind("AEGP ", 0) == 0;
    if (premiere || s->refused.count(key) != 0 ||
        leanhost::basicSuite()->AcquireSuite(name, version, suite) != kSPNoError ||
        (*suite = checkedSuite(*suite)) == nullptr) {
        *suite = nullptr;
        ++s->suites[key].refused;
        return answer(*s, "AcquireSuite", version, -1, kSPSuiteNotFoundError, name);
    }
    ++s->suites[key].acquired;
    return answer(*s, "AcquireSuite", version, -1, kSPNoError, name);
}

SPErr releaseSuite(const char* name, int32_t version) {
    State* s = enterHost("ReleaseSuite");
    if (s == nullptr) return kSPBadParameterError;
    if (name == nullptr) {
        s->fault("ReleaseSuite without a name");
        return answer(*s, "ReleaseSuite", version, -1, kSPBadParameterError);
    }
    SuiteBalance& b = s->suites[{name, version}];
    if (b.released >= b.acquired) {
        s->fault("ReleaseSuite of \"" + std::string(name) + "\" " + std::to_string(version) +
                 ", which is not acquired");
        return answer(*s, "ReleaseSuite", version, -1, kSPBadParameterError, name);
    }
    ++b.released;
    return answer(*s, "ReleaseSuite", version, -1, leanhost::basicSuite()->ReleaseSuite(name, version), name);
}

SPBoolean isEqual(const char* a, const char* b) {
    if (State* s = enterHost("IsEqual")) answer(*s, "IsEqual", -1, -1, 0);
    return leanhost::basicSuite()->IsEqual(a, b);
}

} // namespace

const char* suiteDisplayName(int suite) {
    static const char* const kNames[] = {"SP Basic Suite",          "AEGP Utility Suite", "PF ANSI Suite",
                                         "AEGP PF Interface Suite", "AEGP Layer Suite",   "AEGP Light Suite",
                                         "AEGP Stream Suite",       "AEGP Memory Suite",  "PF World Suite"};
    return kNames[suite];
}

const char* slotName(int suite, int slot) {
    switch (suite) {
    case kBasic:
        return kBasicSuiteSlots[slot];
    case kUtility:
        return kUtilitySuiteSlots[slot];
    case kAnsi:
        return kAnsiSuiteSlots[slot];
    case kPFInterface:
        return kPFInterfaceSuiteSlots[slot];
    case kLayer:
        return kLayerSuiteSlots[slot];
    case kLight:
        return kLightSuiteSlots[slot];
    case kStream:
        return kStreamSuiteSlots[slot];
    case kMemory:
        return kMemorySuiteSlots[slot];
    default:
        return kWorldSuiteSlots[slot];
    }
}

std::int32_t unservedError(int suite) {
    if (suite == kBasic) return kSPUnimplementedError;
    if (suite == kAnsi || suite == kWorld) return PF_Err_INVALID_CALLBACK;
    return A_Err_GENERIC;
}

void recordUnserved(int suite, int slot) {
    const char* name = slotName(suite, slot);
    if (State* s = enterHost(name)) {
        answer(*s, name, -1, -1, unservedError(suite));
        s->fault(std::string("unimplemented ") + suiteDisplayName(suite) + " function " + name + " called");
    }
}

SPBasicSuite* checkedBasicSuite() {
    static SPBasicSuite table = [] {
        SPBasicSuite t;
        fillRefused<kBasic, std::size(kBasicSuiteSlots)>(t);
        t.AcquireSuite = &acquireSuite;
        t.ReleaseSuite = &releaseSuite;
        t.IsEqual = &isEqual;
        return t;
    }();
    return &table;
}

const void* checkedSuite(const void* leanTable) {
    static const std::pair<const void*, const void*> kTables[] = {
        {&leanhost::utilitySuite(), checkedUtilitySuite()},
        {&leanhost::ansiSuite(), checkedAnsiSuite()},
        {&leanhost::pfInterfaceSuite(), checkedPfInterfaceSuite()},
        {&leanhost::layerSuite(), checkedLayerSuite()},
        {&leanhost::lightSuite(), checkedLightSuite()},
        {&leanhost::streamSuite(), checkedStreamSuite()},
        {&leanhost::memorySuite(), checkedMemorySuite()},
        {&leanhost::worldSuite(), checkedWorldSuite()},
    };
    for (const auto& [lean, checked] : kTables)
        if (lean == leanTable) return checked;
    return nullptr;
}

bool isInjectable(const std::string& function) {
    static const char* const kInjectable[] = {
        "AEGP_ConvertEffectToCompTime", "AEGP_GetEffectLayer",   "AEGP_GetEffectCameraMatrix",
        "AEGP_GetLayerParentComp",      "AEGP_GetCompNumLayers", "AEGP_GetCompLayerByIndex",
        "AEGP_GetLayerObjectType",      "AEGP_IsVideoActive",    "AEGP_GetLightType",
        "AEGP_GetLayerToWorldXform",    "AEGP_GetLayerName",     "AEGP_LockMemHandle",
        "AEGP_RegisterWithAEGP",        "PF_GetPixelFormat"};
    for (const char* name : kInjectable)
        if (function == name) return true;
    return false;
}

} // namespace nebulastra::scenehost
