// SuiteCache against a basic suite that records every acquire and release and, unlike the scene
// host, can grant a null table without an error.

#include "hostio/suite_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace nebulastra {
namespace {

using Calls = std::vector<std::pair<std::string, int32_t>>;

Calls acquired, released;
std::string refuseName; // refused with 'S!Fd'
std::string nullName;   // "granted" with a null table
char table[512];        // stands in for every suite's function table

SPErr acquire(const char* name, int32_t version, const void** suite) {
    acquired.emplace_back(name, version);
    *suite = refuseName == name || nullName == name ? nullptr : table;
    return refuseName == name ? kSPSuiteNotFoundError : kSPNoError;
}
SPErr release(const char* name, int32_t version) {
    released.emplace_back(name, version);
    return kSPNoError;
}

SPBasicSuite freshHost(const std::string& refuse = "", const std::string& null = "") {
    acquired.clear(), released.clear();
    refuseName = refuse, nullName = null;
    SPBasicSuite basic{};
    basic.AcquireSuite = &acquire;
    basic.ReleaseSuite = &release;
    return basic;
}

// The host code a callable throws, or 0.
template <typename F>
int thrownBy(F&& f) {
    try {
        f();
    } catch (const HostError& err) {
        return err.code();
    }
    return 0;
}

// (Each suite acquired once per call and released at its end is counted by the scene host in the
// capture tests.)
TEST(SuiteCache, RefusedOrNullSuiteThrows516AndIsNotReleased) {
    EXPECT_EQ(thrownBy([] { SuiteCache cache(nullptr); }), 516);
    SPBasicSuite host = freshHost("AEGP Light Suite", "AEGP Memory Suite");
    {
        SuiteCache cache(&host);
        cache.layerSuite();
        EXPECT_EQ(thrownBy([&] { cache.lightSuite(); }), 516);
        // A null table granted without an error cannot be used: it counts as refused.
        EXPECT_EQ(thrownBy([&] { cache.memorySuite(); }), 516);
        // Unwinding out of the cache's scope releases what it holds.
        EXPECT_EQ(thrownBy([&] {
                      SuiteCache inner(&host);
                      inner.streamSuite();
                      inner.lightSuite();
                  }),
                  516);
        EXPECT_EQ(released, (Calls{{"AEGP Stream Suite", 11}}));
    }
    EXPECT_EQ(released, (Calls{{"AEGP Stream Suite", 11}, {"AEGP Layer Suite", 15}}));
}

} // namespace
} // namespace nebulastra
