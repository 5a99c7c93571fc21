// libFuzzer entry for the scene loader (built by the fuzz preset with clang).
#include <cstdio>
#include <cstdlib>

#include "scene_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string failure = nebulastra::fuzz::checkSceneInput(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "FAULT: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
