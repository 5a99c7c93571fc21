#pragma once
// Comparison against reference values printed to a fixed number of significant digits: the
// computed float must round to the printed text, i.e. lie within half a unit of its last digit.

#include <cmath>

#include <gtest/gtest.h>

namespace nebulastra::testing {

inline ::testing::AssertionResult matchesPrinted(float value, double printed, int digits = 7) {
    const double exponent = std::floor(std::log10(std::fabs(printed)));
    const double halfUnit = 0.5 * std::pow(10.0, exponent - (digits - 1));
    if (std::fabs(static_cast<double>(value) - printed) <= halfUnit) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "value " << static_cast<double>(value) << " does not print as " << printed << " (" << digits
           << " digits, tolerance " << halfUnit << ")";
}

} // namespace nebulastra::testing
