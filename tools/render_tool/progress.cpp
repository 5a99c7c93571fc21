// Terminal progress line.
#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace nebulastra::render_tool {

namespace {

void printDuration(double seconds) {
    if (seconds < 60.0) {
        std::fprintf(stderr, "%.1f s", seconds);
        return;
    }
    const long whole = static_cast<long>(seconds + 0.5);
    std::fprintf(stderr, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
}

} // namespace

Progress startProgress(std::int64_t totalFrames) {
    return {isatty(STDERR_FILENO) == 1, totalFrames, std::chrono::steady_clock::now()};
}

void reportProgress(const Progress& progress, std::int64_t done) {
    if (!progress.enabled || done <= 0) return;
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - progress.start).count();
    const double remaining = elapsed / static_cast<double>(done) * static_cast<double>(progress.total - done);
    std::fprintf(stderr, "\rframe %lld of %lld, elapsed ", static_cast<long long>(done),
                 static_cast<long long>(progress.total));
    printDuration(elapsed);
    std::fprintf(stderr, ", remaining ");
    printDuration(remaining);
    std::fprintf(stderr, "\033[K"); // clear what a longer previous line left
    std::fflush(stderr);
}

void finishProgress(const Progress& progress) {
    if (progress.enabled) std::fprintf(stderr, "\n");
}

} // namespace nebulastra::render_tool
