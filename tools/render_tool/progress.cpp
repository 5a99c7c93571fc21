// Terminal progress line.
#include "progress.h"

#include <unistd.h>

#include <algorithm>
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

void printLine(const Progress& progress, double done, long long frameNumber, int percentOfFrame) {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - progress.start).count();
    const double remaining = elapsed / done * (static_cast<double>(progress.total) - done);
    std::fprintf(stderr, "\rframe %lld of %lld", frameNumber, static_cast<long long>(progress.total));
    if (percentOfFrame >= 0) std::fprintf(stderr, ", %d %%", percentOfFrame);
    std::fprintf(stderr, ", elapsed ");
    printDuration(elapsed);
    std::fprintf(stderr, ", remaining ");
    printDuration(remaining);
    std::fprintf(stderr, "\033[K"); // clear what a longer previous line left
    std::fflush(stderr);
}

} // namespace

Progress startProgress(std::int64_t totalFrames) {
    const auto now = std::chrono::steady_clock::now();
    return {isatty(STDERR_FILENO) == 1, totalFrames, now, now};
}

void reportProgress(const Progress& progress, std::int64_t done) {
    if (!progress.enabled || done <= 0) return;
    printLine(progress, static_cast<double>(done), static_cast<long long>(done), -1);
}

void reportRows(Progress& progress, std::int64_t done, std::int64_t current, std::int64_t total) {
    if (!progress.enabled || total <= 0 || current <= 0) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - progress.lastLine < std::chrono::milliseconds(100)) return;
    progress.lastLine = now;
    const double fraction = static_cast<double>(std::min(current, total)) / static_cast<double>(total);
    printLine(progress, static_cast<double>(done) + fraction, static_cast<long long>(done) + 1,
              static_cast<int>(fraction * 100.0));
}

void printAboveProgress(const Progress& progress, const std::string& line) {
    if (progress.enabled) std::fprintf(stderr, "\r\033[K"); // back to the line's start, cleared
    std::fprintf(stderr, "%s\n", line.c_str());
}

void finishProgress(const Progress& progress) {
    if (progress.enabled) std::fprintf(stderr, "\n");
}

} // namespace nebulastra::render_tool
