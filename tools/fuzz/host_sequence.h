// One fuzz input played as a session of a strict host with the effect: a scene, then a sequence of
// life-cycle commands, scene edits and injected host faults in the order the bytes say. After every
// command the host contract is checked (scenehost's records: suites released, parameters checked in
// once, memory handles unlocked and freed, world guards and row padding intact, the input world
// untouched, no host call from another thread or outside a command), and a successful render must
// cover the output and come out bit-identical when the same frame is rendered again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace nebulastra::fuzz {

struct SequenceReport {
    std::string failure; // empty when the effect kept the contract; else what broke and the trace
    int commands = 0;    // commands sent to the effect
    int renders = 0;     // frames requested
    int rendered = 0;    // frames the effect rendered successfully
    int faults = 0;      // host faults injected (each refusal setting counts once)
};

SequenceReport runHostSequence(const std::uint8_t* data, std::size_t size);

// Checks that the process-level refusals reach the effect: a frame rendered with its first
// allocation, or its first or second thread start, refused must fail with an error code and leave
// the host contract intact, and the next frame must render. Empty when all holds (or when the
// build cannot refuse them); otherwise what did not.
std::string probeProcessFaults();

} // namespace nebulastra::fuzz
