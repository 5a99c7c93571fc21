// Progress on an interactive terminal: "frame n of N, elapsed ..., remaining ..." rewritten in
// place on stderr after each frame, and within a frame "frame n of N, 40 %, ..." as the effect
// reports its rows (at most ten times a second). Silent when stderr is not a terminal (logs,
// pipes, tests).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace nebulastra::render_tool {

struct Progress {
    bool enabled = false;
    std::int64_t total = 0;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point lastLine; // within a frame only
};

Progress startProgress(std::int64_t totalFrames);

// Reports that `done` frames of the total are finished.
void reportProgress(const Progress& progress, std::int64_t done);

// Reports that `done` frames are finished and `current` of `total` rows of the next one.
void reportRows(Progress& progress, std::int64_t done, std::int64_t current, std::int64_t total);

// Prints `line` as a line of its own: on a terminal over the progress line, which the next report
// draws again below it, rather than after the line's last character.
void printAboveProgress(const Progress& progress, const std::string& line);

// Ends the progress line.
void finishProgress(const Progress& progress);

} // namespace nebulastra::render_tool
