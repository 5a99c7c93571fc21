#pragma once
// Scoped access to host suites for one handler call.
//
// A handler creates a SuiteCache on its stack from in_data->pica_basicP and asks for the suites
// it needs. Each suite is acquired from the host the first time it is asked for and kept for the
// rest of the call; when the cache goes out of scope it releases every suite it acquired, and
// no other, on every exit path including exceptions.
//
// Failure is reported by throwing the int PF_Err_BAD_CALLBACK_PARAM (516): at construction when
// the basic suite is null, on access when the host refuses a suite or hands back a null table.
// The dispatcher returns a thrown int to the host unchanged; callers that can carry on without
// a suite catch it themselves.

#include <cstdint>

#include "host/host_suites.h"

namespace nebulastra {

class SuiteCache {
public:
    /// Throws 516 if `basic` is null.
    explicit SuiteCache(SPBasicSuite* basic);
    ~SuiteCache();

    SuiteCache(const SuiteCache&) = delete;
    SuiteCache& operator=(const SuiteCache&) = delete;

    // Typed accessors; each returns a non-null table or throws 516.
    const AEGP_UtilitySuite6* utilitySuite();         // "AEGP Utility Suite" 13
    const PF_ANSICallbacksSuite1* ansiSuite();        // "PF ANSI Suite" 1
    const AEGP_PFInterfaceSuite1* pfInterfaceSuite(); // "AEGP PF Interface Suite" 1
    const AEGP_LayerSuite9* layerSuite();             // "AEGP Layer Suite" 15
    const AEGP_LightSuite2* lightSuite();             // "AEGP Light Suite" 2
    const AEGP_StreamSuite6* streamSuite();           // "AEGP Stream Suite" 11
    const AEGP_MemorySuite1* memorySuite();           // "AEGP Memory Suite" 1

    /// Number of (name, version) pairs the cache can hold.
    static constexpr int kSlotCount = 7;

private:
    const void* acquire(int slot);

    SPBasicSuite* basic_;
    const void* slots_[kSlotCount] = {};
};

} // namespace nebulastra
