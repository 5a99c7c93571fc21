// nebulastra-frame-diff: compares two raw float frames (.nbrf, the reference-frame layout that
// nebulastra-render writes for --depth 32 -o NAME.nbrf) sample by sample.
//
//   nebulastra-frame-diff A.nbrf B.nbrf                 exit 0 only when bit-identical
//   nebulastra-frame-diff A.nbrf B.nbrf --tolerance 2e-5 1e-5
//                                                       exit 0 when every sample of A lies within
//                                                       2e-5 + 1e-5 * |B| of B's
// Prints one line either way: how many of the samples differ, how many beyond the tolerance, and
// the largest difference with its place. Exit status 1 when the frames differ (beyond the
// tolerance, when one is given), 2 when a file cannot be read or the command line is wrong.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "raw_frame/raw_frame.h"

int main(int argc, char** argv) {
    using namespace nebulastra::raw_frame;
    const bool tolerant = argc == 6 && std::string(argv[3]) == "--tolerance";
    if (argc != 3 && !tolerant) {
        std::fprintf(stderr, "usage: nebulastra-frame-diff A.nbrf B.nbrf [--tolerance ABSOLUTE RELATIVE]\n");
        return 2;
    }
    const double absolute = tolerant ? std::atof(argv[4]) : 0.0;
    const double relative = tolerant ? std::atof(argv[5]) : 0.0;
    FloatFrame a;
    FloatFrame b;
    try {
        a = readRawFrame(argv[1]);
        b = readRawFrame(argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    if (a.width != b.width || a.height != b.height) {
        std::printf("%s is %dx%d, %s is %dx%d\n", argv[1], a.width, a.height, argv[2], b.width, b.height);
        return 1;
    }
    const FrameDifference d = compareFrames(a, b, absolute, relative);
    static const char* const kChannels[] = {"alpha", "red", "green", "blue"};
    if (d.differing == 0) {
        std::printf("%dx%d: identical, all %zu samples bit for bit\n", a.width, a.height, d.channels);
        return 0;
    }
    std::printf("%dx%d: %zu of %zu samples differ", a.width, a.height, d.differing, d.channels);
    if (tolerant) std::printf(" (%zu beyond %g + %g * |B|)", d.outOfTolerance, absolute, relative);
    std::printf("; largest absolute difference %.3g at pixel %d,%d %s, largest relative %.3g\n",
                d.maxAbsolute, d.worstX, d.worstY, kChannels[d.worstChannel], d.maxRelative);
    return (tolerant ? d.outOfTolerance : d.differing) == 0 ? 0 : 1;
}
