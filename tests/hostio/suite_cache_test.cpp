// SuiteCache against a minimal basic suite that records every acquire and release.

#include "hostio/suite_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace nebulastra {
namespace {

struct FakeBasicSuite {
    static inline std::vector<std::pair<std::string, int32_t>> acquired;
    static inline std::vector<std::pair<std::string, int32_t>> released;
    static inline std::string refuseName; // refused with 'S!Fd'
    static inline std::string nullName;   // "granted" with a null table
    static inline char table[512];        // stands in for every suite's function table

    static SPErr acquire(const char* name, int32_t version, const void** suite) {
        acquired.emplace_back(name, version);
        if (refuseName == name) {
            *suite = nullptr;
            return kSPSuiteNotFoundError;
        }
        *suite = nullName == name ? nullptr : table;
        return kSPNoError;
    }
    static SPErr release(const char* name, int32_t version) {
        released.emplace_back(name, version);
        return kSPNoError;
    }

    SPBasicSuite basic;
    FakeBasicSuite() {
        std::memset(&basic, 0, sizeof basic);
        basic.AcquireSuite = &acquire;
        basic.ReleaseSuite = &release;
        acquired.clear();
        released.clear();
        refuseName.clear();
        nullName.clear();
    }
};

using Calls = std::vector<std::pair<std::string, int32_t>>;

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

TEST(SuiteCache, AcquiresOnFirstUseAndReleasesEachOnce) {
    EXPECT_EQ(thrownBy([] { SuiteCache cache(nullptr); }), 516);

    FakeBasicSuite host;
    {
        SuiteCache cache(&host.basic);
        EXPECT_TRUE(FakeBasicSuite::acquired.empty()); // nothing until asked for
        const void* layer = cache.layerSuite();
        EXPECT_EQ(layer, FakeBasicSuite::table);
        EXPECT_EQ(cache.layerSuite(), layer); // cached: no second acquire
        cache.utilitySuite();
        cache.ansiSuite();
        cache.pfInterfaceSuite();
        cache.lightSuite();
        cache.streamSuite();
        cache.memorySuite();
        EXPECT_EQ(FakeBasicSuite::acquired, (Calls{{"AEGP Layer Suite", 15},
                                                   {"AEGP Utility Suite", 13},
                                                   {"PF ANSI Suite", 1},
                                                   {"AEGP PF Interface Suite", 1},
                                                   {"AEGP Light Suite", 2},
                                                   {"AEGP Stream Suite", 11},
                                                   {"AEGP Memory Suite", 1}}));
        EXPECT_TRUE(FakeBasicSuite::released.empty()); // held for the whole call
    }
    Calls released = FakeBasicSuite::released;
    Calls acquired = FakeBasicSuite::acquired;
    std::sort(released.begin(), released.end());
    std::sort(acquired.begin(), acquired.end());
    EXPECT_EQ(released, acquired);
}

TEST(SuiteCache, RefusedOrNullSuiteThrows516AndIsNotReleased) {
    FakeBasicSuite host;
    FakeBasicSuite::refuseName = "AEGP Light Suite";
    FakeBasicSuite::nullName = "AEGP Memory Suite";
    int lightErr = 0, memoryErr = 0;
    {
        SuiteCache cache(&host.basic);
        cache.layerSuite();
        lightErr = thrownBy([&] { cache.lightSuite(); });
        memoryErr = thrownBy([&] { cache.memorySuite(); });
        // Unwinding out of the cache's scope releases what it holds.
        EXPECT_EQ(thrownBy([&] {
                      SuiteCache inner(&host.basic);
                      inner.streamSuite();
                      inner.lightSuite();
                  }),
                  516);
        EXPECT_EQ(FakeBasicSuite::released, (Calls{{"AEGP Stream Suite", 11}}));
    }
    EXPECT_EQ(lightErr, 516);
    EXPECT_EQ(memoryErr, 516);
    // Only the layer suite was held by the outer cache. A null table granted without an error
    // cannot be used, so it counts as refused and is not held either.
    EXPECT_EQ(FakeBasicSuite::released, (Calls{{"AEGP Stream Suite", 11}, {"AEGP Layer Suite", 15}}));
}

} // namespace
} // namespace nebulastra
