// Build-time helper: writes the effect's PiPL resource bytes to the file named on the command
// line. The Windows resource script embeds that file, so the resource always carries exactly
// the bytes src/entry/pipl.h computes from the effect's identity constants.

#include <cstdio>

#include "entry/pipl.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
        return 2;
    }
    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const auto& bytes = nebulastra::kPiplBytes;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "%s: could not write the PiPL resource\n", argv[1]);
        return 1;
    }
    return 0;
}
