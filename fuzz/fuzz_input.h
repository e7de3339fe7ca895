#pragma once

// Splits one fuzz input into the values a target needs. Numbers come from the back of the
// input and texts from the front, byte for byte as libFuzzer's own data provider takes them,
// so the seeds and any input found by either build mean the same in both: the libFuzzer build
// and the plain driver that the test command runs.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <type_traits>

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), remaining_(size) {}

    std::size_t remaining_bytes() const { return remaining_; }

    // A value in [min, max] from as many bytes off the back as the range needs (fewer when
    // the input runs out, giving min).
    template <typename T>
    T ConsumeIntegralInRange(T min, T max) {
        static_assert(std::is_integral_v<T>);
        if (min > max) std::abort();  // the target's own mistake, whatever the input
        const std::uint64_t range =
            static_cast<std::uint64_t>(max) - static_cast<std::uint64_t>(min);
        std::uint64_t result = 0;
        for (std::size_t offset = 0;
             offset < sizeof(T) * CHAR_BIT && (range >> offset) > 0 && remaining_ != 0;
             offset += CHAR_BIT) {
            --remaining_;
            result = (result << CHAR_BIT) | data_[remaining_];
        }
        if (range != std::numeric_limits<std::uint64_t>::max()) result %= range + 1;
        return static_cast<T>(static_cast<std::uint64_t>(min) + result);
    }

    template <typename T>
    T ConsumeIntegral() {
        return ConsumeIntegralInRange(std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
    }

    bool ConsumeBool() { return (ConsumeIntegral<std::uint8_t>() & 1) != 0; }

    std::string ConsumeBytesAsString(std::size_t count) {
        count = std::min(count, remaining_);
        std::string out(reinterpret_cast<const char*>(data_), count);
        advance(count);
        return out;
    }

    std::string ConsumeRemainingBytesAsString() { return ConsumeBytesAsString(remaining_); }

    // Up to max_length bytes from the front; a backslash followed by anything but a second
    // backslash ends the text (and is used up with that byte), "\\" gives one backslash.
    std::string ConsumeRandomLengthString(std::size_t max_length) {
        std::string out;
        for (std::size_t i = 0; i < max_length && remaining_ != 0; ++i) {
            char next = static_cast<char>(data_[0]);
            advance(1);
            if (next == '\\' && remaining_ != 0) {
                next = static_cast<char>(data_[0]);
                advance(1);
                if (next != '\\') break;
            }
            out += next;
        }
        return out;
    }

  private:
    void advance(std::size_t count) {
        data_ += count;
        remaining_ -= count;
    }

    const std::uint8_t* data_;
    std::size_t remaining_;
};
