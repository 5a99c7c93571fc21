// One fuzz input given to the scene loader: as a whole scene file, or as command-line overrides
// (--set key=value, --frames/--depth/--resolution/--command) on a valid scene. Any bytes must give
// either a scene within the loader's limits or one SceneError with a single-line message naming
// its source; anything else (another exception, a crash, a hang) is a fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace nebulastra::fuzz {

// Empty when the loader behaved; otherwise what went wrong.
std::string checkSceneInput(const std::uint8_t* data, std::size_t size);

} // namespace nebulastra::fuzz
