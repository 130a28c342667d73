#pragma once

#include "unicode_text.h"

#include <orvani/standard.h>
#include <unicode/uchar.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvani::fuzz {

// A pair of standards and the options, as the fuzzer's first bytes choose them.
struct Conversion {
    Standard source;
    Standard target;
    ConversionOptions options;
};

// Reads the fuzzer's bytes: a few leading bytes of settings, then the text.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    Standard standard() { return kStandards[byte() % kStandards.size()]; }
    ConversionOptions options() {
        const std::uint8_t bits = byte();
        return {.a = (bits & 1) != 0, .ohUh = (bits & 2) != 0};
    }
    Conversion conversion() {
        const Standard source = standard();
        const Standard target = standard();
        return {source, target, options()};
    }
    std::string_view rest() const {
        return {reinterpret_cast<const char*>(data_) + position_, size_ - position_};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

using testing::CodePoints;
using testing::Utf8;

// Where a fuzz property fails: abort, so that the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)

} // namespace orvani::fuzz
