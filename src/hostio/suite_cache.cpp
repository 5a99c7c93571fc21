#include "hostio/suite_cache.h"

namespace nebulastra {
namespace {

struct SuiteName {
    const char* name;
    int32_t version;
};

// One entry per slot, in slot order.
constexpr SuiteName kSuites[SuiteCache::kSlotCount] = {
    {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion6},         // "AEGP Utility Suite" 13
    {kPFANSISuite, kPFANSISuiteVersion1},                   // "PF ANSI Suite" 1
    {kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1}, // "AEGP PF Interface Suite" 1
    {kAEGPLayerSuite, kAEGPLayerSuiteVersion9},             // "AEGP Layer Suite" 15
    {kAEGPLightSuite, kAEGPLightSuiteVersion2},             // "AEGP Light Suite" 2
    {kAEGPStreamSuite, kAEGPStreamSuiteVersion6},           // "AEGP Stream Suite" 11
    {kAEGPMemorySuite, kAEGPMemorySuiteVersion1},           // "AEGP Memory Suite" 1
    {kPFWorldSuite, kPFWorldSuiteVersion2},                 // "PF World Suite" 2
};

enum Slot { kUtility, kAnsi, kPfInterface, kLayer, kLight, kStream, kMemory, kWorld };

} // namespace

SuiteCache::SuiteCache(SPBasicSuite* basic) : basic_(basic) {
    if (basic_ == nullptr || basic_->AcquireSuite == nullptr || basic_->ReleaseSuite == nullptr) {
        throw HostError(PF_Err_BAD_CALLBACK_PARAM);
    }
}

SuiteCache::~SuiteCache() {
    for (int i = kSlotCount - 1; i >= 0; --i) {
        if (slots_[i] != nullptr) basic_->ReleaseSuite(kSuites[i].name, kSuites[i].version);
    }
}

const void* SuiteCache::acquire(int slot) {
    if (slots_[slot] != nullptr) return slots_[slot];
    const void* suite = nullptr;
    const SPErr err = basic_->AcquireSuite(kSuites[slot].name, kSuites[slot].version, &suite);
    if (err != kSPNoError || suite == nullptr) {
        // A refused suite is not held, so it is not released either.
        throw HostError(PF_Err_BAD_CALLBACK_PARAM);
    }
    slots_[slot] = suite;
    return suite;
}

const AEGP_UtilitySuite6* SuiteCache::utilitySuite() {
    return static_cast<const AEGP_UtilitySuite6*>(acquire(kUtility));
}
const PF_ANSICallbacksSuite1* SuiteCache::ansiSuite() {
    return static_cast<const PF_ANSICallbacksSuite1*>(acquire(kAnsi));
}
const AEGP_PFInterfaceSuite1* SuiteCache::pfInterfaceSuite() {
    return static_cast<const AEGP_PFInterfaceSuite1*>(acquire(kPfInterface));
}
const AEGP_LayerSuite9* SuiteCache::layerSuite() {
    return static_cast<const AEGP_LayerSuite9*>(acquire(kLayer));
}
const AEGP_LightSuite2* SuiteCache::lightSuite() {
    return static_cast<const AEGP_LightSuite2*>(acquire(kLight));
}
const AEGP_StreamSuite6* SuiteCache::streamSuite() {
    return static_cast<const AEGP_StreamSuite6*>(acquire(kStream));
}
const AEGP_MemorySuite1* SuiteCache::memorySuite() {
    return static_cast<const AEGP_MemorySuite1*>(acquire(kMemory));
}

const PF_WorldSuite2* SuiteCache::worldSuite() { return static_cast<const PF_WorldSuite2*>(acquire(kWorld)); }

} // namespace nebulastra
