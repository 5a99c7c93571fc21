// SuiteCache against a minimal basic suite that records every acquire and release.

#include "entry/suite_cache.h"

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
    static inline std::string refuseName;  // refused with 'S!Fd'
    static inline std::string nullName;    // "granted" with a null table
    static inline char table[512];         // stands in for every suite's function table

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

TEST(SuiteCache, NullBasicSuiteThrows516) {
    try {
        SuiteCache cache(nullptr);
        FAIL() << "expected a throw";
    } catch (int err) {
        EXPECT_EQ(err, 516);
    }
}

TEST(SuiteCache, AcquiresOnFirstUseAndReleasesEachOnce) {
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
        cache.streamSuite();
        EXPECT_EQ(FakeBasicSuite::acquired,
                  (Calls{{"AEGP Layer Suite", 15},
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
    {
        SuiteCache cache(&host.basic);
        cache.layerSuite();
        int lightErr = 0, memoryErr = 0;
        try {
            cache.lightSuite();
        } catch (int err) {
            lightErr = err;
        }
        try {
            cache.memorySuite();
        } catch (int err) {
            memoryErr = err;
        }
        EXPECT_EQ(lightErr, 516);
        EXPECT_EQ(memoryErr, 516);
    }
    // Only the layer suite was held, so only it is released. (A null table granted without an
    // error is not held either: it cannot be used, so it is treated as refused.)
    EXPECT_EQ(FakeBasicSuite::released, (Calls{{"AEGP Layer Suite", 15}}));
}

TEST(SuiteCache, ReleasesWhenUnwindingFromAThrow) {
    FakeBasicSuite host;
    FakeBasicSuite::refuseName = "AEGP Stream Suite";
    try {
        SuiteCache cache(&host.basic);
        cache.pfInterfaceSuite();
        cache.streamSuite(); // throws out of the cache's scope
        FAIL() << "expected a throw";
    } catch (int err) {
        EXPECT_EQ(err, 516);
    }
    EXPECT_EQ(FakeBasicSuite::released, (Calls{{"AEGP PF Interface Suite", 1}}));
}

} // namespace
} // namespace nebulastra
