// The --isa option: which render path the effect library runs, handed to it through the
// environment variable the library reads once, on its first frame (NEBULASTRA_ISA, the effect's
// test switch), set before the library is loaded. The tool reaches the effect only through its
// exports, so it asks the processor itself whether a path can run.
#pragma once

#include <string>

namespace nebulastra::render_tool {

inline constexpr const char* kIsaVariable = "NEBULASTRA_ISA";

// The render paths this processor and its operating system can run (the OS must save the wide
// registers): sse2; avx2 = AVX, AVX2, FMA and BMI2; avx512 = avx2 plus AVX-512 F, DQ, BW and VL.
struct IsaSupport {
    bool sse2 = false;
    bool avx2 = false;
    bool avx512 = false;
};

// What the running processor supports, as the compiler's runtime reads it.
IsaSupport processorIsaSupport();

// The value NEBULASTRA_ISA must hold for `--isa name`: nullptr for "auto" (the variable is
// removed, so an inherited value cannot steer the tool), else the path's name. Throws
// std::runtime_error with a one-line message for a name it does not know or a path `support`
// lacks.
const char* isaVariableFor(const std::string& name, const IsaSupport& support);

// Sets NEBULASTRA_ISA to `value` in this process's environment, or removes it for nullptr.
void setIsaVariable(const char* value);

} // namespace nebulastra::render_tool
