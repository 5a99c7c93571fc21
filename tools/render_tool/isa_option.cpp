// --isa: checked against the processor, then passed on through the environment.
#include "isa_option.h"

#include <cstdlib>
#include <initializer_list>
#include <stdexcept>

#include "render/simd/isa_override.h"

namespace nebulastra::render_tool {

const char* isaVariableFor(const std::string& name, const CpuFeatures& cpu) {
    if (name == "auto") return nullptr;
    Isa isa = Isa::Scalar;
    if (!parseIsa(name.c_str(), isa)) {
        throw std::runtime_error("--isa " + name + ": expected auto, scalar, sse2, avx2 or avx512");
    }
    if (!isaSupported(isa, cpu)) {
        std::string usable;
        for (Isa other : {Isa::Scalar, Isa::Sse2, Isa::Avx2, Isa::Avx512}) {
            if (isaSupported(other, cpu)) usable += std::string(usable.empty() ? "" : ", ") + isaName(other);
        }
        throw std::runtime_error("--isa " + name +
                                 ": this processor (or its operating system) cannot run the " + name +
                                 " path; it can run " + usable);
    }
    return isaName(isa);
}

void setIsaVariable(const char* value) {
#ifdef _WIN32
    _putenv_s(kIsaEnvironmentVariable, value != nullptr ? value : ""); // "" removes it
#else
    if (value != nullptr) {
        setenv(kIsaEnvironmentVariable, value, 1);
    } else {
        unsetenv(kIsaEnvironmentVariable);
    }
#endif
}

} // namespace nebulastra::render_tool
