#include "entry/shutter_times.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace nebulastra {
namespace {

// How much finer than the host's time scale a sub-frame's time may be: a 24 fps frame is then cut
// into 65536 ticks, far finer than any count of sub-frames needs.
constexpr int64_t kFinestSubdivision = 65536;
constexpr double kFixedOne = 65536.0; // 16.16 fixed point
constexpr double kDegreesPerFrame = 360.0;

} // namespace

bool shutterIsOpen(const PF_InData& in_data) {
    return in_data.shutter_angle > 0 && in_data.time_step > 0 && in_data.time_scale > 0;
}

A_Time shutterTime(const PF_InData& in_data, double fraction) {
    const double degrees =
        (static_cast<double>(in_data.shutter_phase) + static_cast<double>(in_data.shutter_angle) * fraction) /
        kFixedOne;
    const double offset =
        degrees / kDegreesPerFrame * static_cast<double>(in_data.time_step); // in ticks of time_scale

    // The finest power-of-two subdivision whose scale fits 32 unsigned bits and whose value fits
    // 31 bits with room to spare.
    const double valueLimit = static_cast<double>(std::numeric_limits<int32_t>::max());
    int64_t m = kFinestSubdivision;
    while (m > 1 && (static_cast<uint64_t>(in_data.time_scale) * static_cast<uint64_t>(m) >
                         std::numeric_limits<uint32_t>::max() ||
                     (std::fabs(static_cast<double>(in_data.current_time)) + std::fabs(offset) + 1.0) *
                             static_cast<double>(m) >
                         valueLimit)) {
        m /= 2;
    }
    int64_t value =
        static_cast<int64_t>(in_data.current_time) * m + std::llround(offset * static_cast<double>(m));
    if (value > std::numeric_limits<int32_t>::max()) value = std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) value = std::numeric_limits<int32_t>::min();
    return A_Time{static_cast<A_long>(value),
                  static_cast<A_u_long>(in_data.time_scale * static_cast<uint64_t>(m))};
}

float shutterSeconds(const A_Time& time) {
    if (time.scale == 0) return 0.0f;
    const float seconds =
        static_cast<float>(static_cast<double>(time.value) / static_cast<double>(time.scale));
    return seconds >= 0.0f ? seconds : 0.0f;
}

} // namespace nebulastra
