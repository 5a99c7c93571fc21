// Turns fuzz input bytes into decisions. Every read succeeds: past the end of the input it yields
// zeros, so any byte string (the empty one included) is a valid program for the drivers, and a
// mutation of one byte changes one decision.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace nebulastra::fuzz {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = (v << 8) | byte();
        return v;
    }

    // 0 .. n-1 (n >= 1).
    int pick(int n) {
        return n <= 256 ? byte() % n : static_cast<int>(u32() % static_cast<std::uint32_t>(n));
    }

    bool flag() { return (byte() & 1) != 0; }

    template <typename T, std::size_t N>
    const T& choose(const T (&options)[N]) {
        return options[pick(static_cast<int>(N))];
    }

    // A number a host could hand over: mostly ordinary, often a boundary, sometimes any bit
    // pattern a double can hold (NaN and infinities included).
    double number() {
        static const double kSpecial[] = {0.0,
                                          -0.0,
                                          1.0,
                                          -1.0,
                                          0.5,
                                          2.0,
                                          12.0,
                                          50.0,
                                          100.0,
                                          -100.0,
                                          360.0,
                                          1e6,
                                          -1e6,
                                          1e30,
                                          -1e30,
                                          1e300,
                                          -1e300,
                                          1e-30,
                                          std::numeric_limits<double>::denorm_min(),
                                          std::numeric_limits<double>::max(),
                                          std::numeric_limits<double>::quiet_NaN(),
                                          std::numeric_limits<double>::infinity(),
                                          -std::numeric_limits<double>::infinity(),
                                          2147483647.0,
                                          -2147483648.0,
                                          4294967296.0,
                                          32768.0};
        switch (pick(4)) {
        case 0:
            return static_cast<double>(static_cast<std::int8_t>(byte())) * 4.0;
        case 1:
            return static_cast<double>(static_cast<std::int16_t>(u32())) * 0.25;
        case 2:
            return choose(kSpecial);
        default: {
            const std::uint64_t bits = (static_cast<std::uint64_t>(u32()) << 32) | u32();
            double d;
            std::memcpy(&d, &bits, sizeof d);
            return d;
        }
        }
    }

    std::int32_t integer() {
        static const std::int32_t kSpecial[] = {0,
                                                1,
                                                -1,
                                                2,
                                                3,
                                                4,
                                                7,
                                                16,
                                                255,
                                                65535,
                                                1 << 20,
                                                std::numeric_limits<std::int32_t>::max(),
                                                std::numeric_limits<std::int32_t>::min()};
        return flag() ? choose(kSpecial) : static_cast<std::int32_t>(u32());
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace nebulastra::fuzz
