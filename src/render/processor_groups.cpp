// Windows' processor groups, and the one group of every other system.

#include "render/processor_groups.h"

#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace nebulastra {

std::vector<int32_t> processorGroups() {
#ifdef _WIN32
    const WORD count = GetActiveProcessorGroupCount();
    if (count > 1) {
        std::vector<int32_t> groups;
        for (WORD g = 0; g < count; ++g) groups.push_back(static_cast<int32_t>(GetActiveProcessorCount(g)));
        return groups;
    }
#endif
    const unsigned reported = std::thread::hardware_concurrency();
    // A count beyond int32_t is cut to the row runner's bound anyway.
    return {reported > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(reported)};
}

int32_t groupOfWorker(const std::vector<int32_t>& groups, int32_t index) {
    const int32_t n = static_cast<int32_t>(groups.size());
    std::vector<int64_t> dealt(groups.size(), 0);
    int32_t chosen = 0;
    for (int32_t worker = 0; worker <= index; ++worker) {
        chosen = -1;
        for (int32_t g = 0; g < n; ++g) {
            if (groups[g] <= 0) continue;
            // dealt[g] / groups[g] < dealt[chosen] / groups[chosen], in integers.
            if (chosen < 0 || dealt[g] * groups[chosen] < dealt[chosen] * groups[g]) chosen = g;
        }
        if (chosen < 0) return 0; // no group has a processor: the one the thread is in
        ++dealt[chosen];
    }
    return chosen;
}

bool runInProcessorGroup(int32_t group) {
#ifdef _WIN32
    if (group < 0 || group >= static_cast<int32_t>(GetActiveProcessorGroupCount())) return false;
    const DWORD processors = GetActiveProcessorCount(static_cast<WORD>(group));
    if (processors == 0) return false;
    GROUP_AFFINITY affinity{};
    affinity.Group = static_cast<WORD>(group);
    affinity.Mask = processors >= 64 ? ~KAFFINITY{0} : (KAFFINITY{1} << processors) - 1;
    return SetThreadGroupAffinity(GetCurrentThread(), &affinity, nullptr) != 0;
#else
    return group == 0;
#endif
}

} // namespace nebulastra
