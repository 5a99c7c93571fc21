// libFuzzer entry for the command-sequence fuzz driver (built by the fuzz preset with clang).
#include <cstdio>
#include <cstdlib>

#include "host_sequence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const nebulastra::fuzz::SequenceReport report = nebulastra::fuzz::runHostSequence(data, size);
    if (!report.failure.empty()) {
        std::fprintf(stderr, "FAULT: %s\n", report.failure.c_str());
        std::abort();
    }
    return 0;
}
