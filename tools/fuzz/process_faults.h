// Refusing the effect's own requests to the process: memory allocations and thread starts.
//
// The effect asks nothing of the host for memory or threads; it uses the C++ runtime. To see what
// it does when the machine says no, the fuzz programs replace the global operator new and
// pthread_create (native builds only: a Windows .aex carries its runtime inside and cannot be
// interposed; under clang's ASan or TSan only pthread_create). While armed, the n-th allocation made by code inside the effect library and the
// n-th thread start in the process are refused: operator new throws std::bad_alloc,
// pthread_create returns EAGAIN (std::thread throws std::system_error). Counting restarts at each
// arm, so a command repeated with the same setting fails at the same place.
#pragma once

#include <cstdint>

namespace nebulastra::fuzz {

// Whether this build can refuse thread starts, and allocations. Clang's sanitizer runtimes bring
// their own operator new, which cannot be replaced; thread starts can still be refused there.
bool processFaultsAvailable();
bool allocationFaultsAvailable();

// The effect library is the loaded module that contains this address (any of its functions).
void setEffectModuleAddress(const void* address);

struct ProcessFaultCounts {
    int effectAllocations = 0; // allocations made by the effect's code while armed
    int threadStarts = 0;      // thread starts while armed
    int refused = 0;           // requests refused
};

// failAllocation / failThreadStart: which request to refuse, counting from 1; 0 refuses none.
void armProcessFaults(int failAllocation, int failThreadStart);
ProcessFaultCounts disarmProcessFaults();

// Arms on construction, disarms on destruction (also when the body throws).
class ProcessFaultScope {
public:
    ProcessFaultScope(int failAllocation, int failThreadStart) {
        armProcessFaults(failAllocation, failThreadStart);
    }
    ~ProcessFaultScope() { disarmProcessFaults(); }
    ProcessFaultScope(const ProcessFaultScope&) = delete;
    ProcessFaultScope& operator=(const ProcessFaultScope&) = delete;
};

} // namespace nebulastra::fuzz
