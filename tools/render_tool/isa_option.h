// The --isa option: which render path the effect library runs, handed to it through the
// library's NEBULASTRA_ISA test switch (render/simd/isa_override.h) before the library is loaded.
#pragma once

#include <string>

#include "render/simd/isa.h"

namespace nebulastra::render_tool {

// The value NEBULASTRA_ISA must hold for `--isa name` on a processor with `cpu`: nullptr for
// "auto" (the variable is removed, so an inherited value cannot steer the tool), else the path's
// name. Throws std::runtime_error with a one-line message for a name it does not know or a path
// the processor or its OS cannot run.
const char* isaVariableFor(const std::string& name, const CpuFeatures& cpu);

// Sets NEBULASTRA_ISA to `value` in this process's environment, or removes it for nullptr.
void setIsaVariable(const char* value);

} // namespace nebulastra::render_tool
