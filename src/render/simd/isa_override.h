// Forcing the render path: for tests and benchmarks only, never for users.
//
// Every path draws the same frame, so the only reasons to pick one by hand are to check exactly
// that and to time them against each other. Programs that reach the effect only through its two
// exported entry points (nebulastra-render, which loads the library as After Effects would) cannot
// call into it, so the library reads one environment variable, once per process, on the first
// renderIsa() call:
//
//   NEBULASTRA_ISA=<a path's name, as isaName gives it: "scalar", "sse2" and so on>
//
// A path the processor or its OS cannot run, an empty value, or anything else is ignored (the
// process runs the path chooseIsa picks): a stray value must never make the effect fault inside
// After Effects. nebulastra-render's --isa option sets the variable before it loads the library.
#pragma once

#include "render/simd/isa.h"

namespace nebulastra {

inline constexpr const char* kIsaEnvironmentVariable = "NEBULASTRA_ISA";

// What the process renders with given the variable's value (nullptr when unset): the requested
// path when it names one the processor supports, otherwise chooseIsa(features).
Isa isaForProcess(const char* requested, const CpuFeatures& features);

} // namespace nebulastra
