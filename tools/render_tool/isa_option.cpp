// --isa: checked against the processor, then passed on through the environment.
#include "isa_option.h"

#include <cstdlib>
#include <stdexcept>

namespace nebulastra::render_tool {

IsaSupport processorIsaSupport() {
    __builtin_cpu_init();
    IsaSupport s;
    s.sse2 = __builtin_cpu_supports("sse2");
    // The compiler's runtime reports AVX and AVX-512 only when the OS saves their registers.
    s.avx2 = s.sse2 && __builtin_cpu_supports("avx") && __builtin_cpu_supports("avx2") &&
             __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi2");
    s.avx512 = s.avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
               __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
    return s;
}

const char* isaVariableFor(const std::string& name, const IsaSupport& support) {
    struct Path {
        const char* name;
        bool runs;
    };
    const Path paths[] = {
        {"scalar", true}, {"sse2", support.sse2}, {"avx2", support.avx2}, {"avx512", support.avx512}};
    if (name == "auto") return nullptr;
    for (const Path& path : paths) {
        if (name != path.name) continue;
        if (path.runs) return path.name;
        std::string usable;
        for (const Path& other : paths) {
            if (other.runs) usable += std::string(usable.empty() ? "" : ", ") + other.name;
        }
        throw std::runtime_error("--isa " + name +
                                 ": this processor (or its operating system) cannot run the " + name +
                                 " path; it can run " + usable);
    }
    throw std::runtime_error("--isa " + name + ": expected auto, scalar, sse2, avx2 or avx512");
}

void setIsaVariable(const char* value) {
#ifdef _WIN32
    _putenv_s(kIsaVariable, value != nullptr ? value : ""); // "" removes it
#else
    if (value != nullptr) {
        setenv(kIsaVariable, value, 1);
    } else {
        unsetenv(kIsaVariable);
    }
#endif
}

} // namespace nebulastra::render_tool
