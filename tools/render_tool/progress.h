// Progress on an interactive terminal: "frame n of N, elapsed ..., remaining ..." rewritten in
// place on stderr after each frame. Silent when stderr is not a terminal (logs, pipes, tests).
#pragma once

#include <chrono>
#include <cstdint>

namespace nebulastra::render_tool {

struct Progress {
    bool enabled = false;
    std::int64_t total = 0;
    std::chrono::steady_clock::time_point start;
};

Progress startProgress(std::int64_t totalFrames);

// Reports that `done` frames of the total are finished.
void reportProgress(const Progress& progress, std::int64_t done);

// Ends the progress line.
void finishProgress(const Progress& progress);

} // namespace nebulastra::render_tool
