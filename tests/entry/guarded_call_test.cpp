// The dispatcher's exception rule, exercised through callGuarded, the wrapper EffectMain puts
// around every handler. The HostError path is also covered end to end through the library (a
// refused suite in About); a handler that throws something else cannot be provoked from outside.

#include "entry/guarded_call.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace nebulastra {
namespace {

TEST(CallGuarded, HostErrorsPassThroughExhaustedHeapIs4OtherExceptionsBecome512) {
    EXPECT_EQ(callGuarded([] { return PF_Err(513); }), 513);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw HostError(516); }), 516);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw HostError(-7); }), -7);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw std::bad_alloc(); }), 4);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw std::runtime_error("boom"); }), 512);
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw 516; }), 512); // a bare int is not a host code
    EXPECT_EQ(callGuarded([]() -> PF_Err { throw "text"; }), 512);
}

} // namespace
} // namespace nebulastra
