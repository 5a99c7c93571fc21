// How the row runner deals its workers to a machine's processor groups.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/processor_groups.h"

namespace nebulastra {
namespace {

// Every prefix of the deal gives each group its share of the workers within one worker, in
// proportion to its processors: so any frame, however few its workers, spreads over every group,
// and groups without processors get none. Kills a deal in blocks (the first 64 workers all in
// group 0), a deal that ignores the groups' sizes, and one that gives an empty group a worker.
TEST(ProcessorGroups, EveryPrefixOfTheDealIsProportional) {
    for (const std::vector<int32_t>& groups : std::vector<std::vector<int32_t>>{
             {64, 64}, {64, 32}, {48, 48, 32}, {0, 8, 8}, {1}, {36, 64, 64, 28}, {64, 64, 64, 64, 64}}) {
        double total = 0.0;
        for (const int32_t n : groups) total += n;
        std::vector<int32_t> dealt(groups.size(), 0);
        for (int32_t worker = 0; worker < 300; ++worker) {
            const int32_t g = groupOfWorker(groups, worker);
            ASSERT_TRUE(g >= 0 && g < static_cast<int32_t>(groups.size()));
            ++dealt[g];
            for (size_t i = 0; i < groups.size(); ++i)
                EXPECT_LT(std::fabs(dealt[i] - (worker + 1) * (groups[i] / total)), 1.0)
                    << "group " << i << " after " << worker + 1 << " workers of " << groups.size()
                    << " groups";
        }
    }
    EXPECT_EQ(groupOfWorker({}, 5), 0); // nothing to deal to: the group the thread is already in
}

} // namespace
} // namespace nebulastra
