// The dispatcher's exception rule, exercised through callGuarded, the wrapper EffectMain puts
// around every handler. The int path is also covered end to end through the library (a refused
// suite in About); a handler that throws something else cannot be provoked from outside.

#include "entry/guarded_call.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace nebulastra {
namespace {

TEST(CallGuarded, ResultsAndThrownIntsPassThroughOtherExceptionsBecome512) {
    EXPECT_EQ(callGuarded([] { return PF_Err(513); }), 513);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw 516; }), 516);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw -7; }), -7);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw std::runtime_error("boom"); }), 512);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw std::bad_alloc(); }), 512);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw "text"; }), 512);
}

} // namespace
} // namespace nebulastra
