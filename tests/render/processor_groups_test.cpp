// The row runner's use of processor groups: how workers are dealt to groups, and moving a thread
// into one.

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

#include "render/processor_groups.h"

namespace nebulastra {
namespace {

// Every prefix of the deal gives each group its share of the workers within one worker, in
// proportion to its processors: so any frame, however few its workers, spreads over every group,
// and groups without processors get none. Kills a deal in blocks (the first 64 workers all in
// group 0), a deal that ignores the groups' sizes, and one that gives an empty group a worker.
TEST(ProcessorGroups, EveryPrefixOfTheDealIsProportional) {
    const std::vector<std::vector<int32_t>> machines = {
        {64, 64}, {64, 32}, {48, 48, 32}, {0, 8, 8}, {1}, {36, 64, 64, 28}, {64, 64, 64, 64, 64}};
    for (const std::vector<int32_t>& groups : machines) {
        double total = 0.0;
        for (const int32_t n : groups) total += n;
        std::vector<int32_t> dealt(groups.size(), 0);
        for (int32_t worker = 0; worker < 300; ++worker) {
            const int32_t g = groupOfWorker(groups, worker);
            ASSERT_GE(g, 0);
            ASSERT_LT(g, static_cast<int32_t>(groups.size()));
            ++dealt[g];
            for (size_t i = 0; i < groups.size(); ++i) {
                const double share = (worker + 1) * (groups[i] / total);
                EXPECT_LT(std::fabs(dealt[i] - share), 1.0) << "group " << i << " after " << worker + 1
                                                            << " workers of " << groups.size() << " groups";
            }
        }
    }
    // Nothing to deal to: the group the thread is already in.
    EXPECT_EQ(groupOfWorker({}, 5), 0);
    EXPECT_EQ(groupOfWorker({0}, 0), 0);
}

// A thread can be moved into the machine's first group and not into one beyond the last.
TEST(ProcessorGroups, AThreadMovesOnlyIntoAGroupThatExists) {
    const std::vector<int32_t> groups = processorGroups();
    ASSERT_FALSE(groups.empty());
    bool first = false, beyond = true;
    std::thread([&] {
        first = runInProcessorGroup(0);
        beyond = runInProcessorGroup(static_cast<int32_t>(groups.size()));
    }).join();
    EXPECT_TRUE(first);
    EXPECT_FALSE(beyond);
}

} // namespace
} // namespace nebulastra
