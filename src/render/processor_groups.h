#pragma once
// The machine's hardware threads as the row runner uses them. Windows gathers a machine's logical
// processors into groups of at most 64, and the standard library's count is only the calling
// process's group; before Windows 11 a thread runs only in its process's group unless it is moved
// to another. On a machine with more than one group the row runner therefore counts every group's
// processors and moves each worker into a group of its own share, so that a 128-thread machine
// gets 128 workers on 128 processors rather than 64. Elsewhere there is one group: the standard
// library's count, and nothing is moved.

#include <cstdint>
#include <vector>

namespace nebulastra {

/// The logical processors of each group, in the system's order (one entry, the standard library's
/// count, where there are no groups; 0 in it when that count is unknown).
std::vector<int32_t> processorGroups();

/// The group that worker `index` (0, 1, ... in start order) is dealt: each next worker goes to the
/// group with the fewest workers for its processors so far, the first such group on a tie. So the
/// first n workers spread over the groups in proportion to their sizes whatever n is, and a frame
/// with fewer workers than processors still uses every group. Groups of 0 processors get none.
int32_t groupOfWorker(const std::vector<int32_t>& groups, int32_t index);

/// Lets the calling thread run on every processor of group `group` (and only there). False when
/// the system refuses; the thread then stays where it was, which costs speed, never a pixel.
bool runInProcessorGroup(int32_t group);

} // namespace nebulastra
