#pragma once
// Scoped access to host suites for one handler call.
//
// A handler creates a SuiteCache on its stack from in_data->pica_basicP and asks for the suites
// it needs. Each suite is acquired from the host the first time it is asked for and kept for the
// rest of the call; when the cache goes out of scope it releases every suite it acquired, and
// no other, on every exit path including exceptions.
//
// This is the effect's only way to acquire a host suite. Failure is reported by throwing
// HostError(PF_Err_BAD_CALLBACK_PARAM) (516): at construction when the basic suite (or its acquire
// or release function) is missing, on access when the host refuses a suite or hands back a null
// table. A null table counts as refused: it is not held, so it is not released either. The
// dispatcher returns the code to the host unchanged; callers that can carry on without a suite
// catch the HostError themselves.

#include <cstdint>

#include "host/host_suites.h"
#include "hostio/host_error.h"

namespace nebulastra {

class SuiteCache {
public:
    /// Throws HostError(516) if `basic` or its AcquireSuite/ReleaseSuite is null.
    explicit SuiteCache(SPBasicSuite* basic);
    ~SuiteCache();

    SuiteCache(const SuiteCache&) = delete;
    SuiteCache& operator=(const SuiteCache&) = delete;

    // Typed accessors; each returns a non-null table or throws HostError(516).
    const AEGP_UtilitySuite6* utilitySuite();         // "AEGP Utility Suite" 13
    const PF_ANSICallbacksSuite1* ansiSuite();        // "PF ANSI Suite" 1
    const AEGP_PFInterfaceSuite1* pfInterfaceSuite(); // "AEGP PF Interface Suite" 1
    const AEGP_LayerSuite9* layerSuite();             // "AEGP Layer Suite" 15
    const AEGP_LightSuite2* lightSuite();             // "AEGP Light Suite" 2
    const AEGP_StreamSuite6* streamSuite();           // "AEGP Stream Suite" 11
    const AEGP_MemorySuite1* memorySuite();           // "AEGP Memory Suite" 1
    const PF_WorldSuite2* worldSuite();               // "PF World Suite" 2

    /// Number of (name, version) pairs the cache can hold.
    static constexpr int kSlotCount = 8;

private:
    const void* acquire(int slot);

    SPBasicSuite* basic_;
    const void* slots_[kSlotCount] = {};
};

} // namespace nebulastra
