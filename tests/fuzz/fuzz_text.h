#pragma once

#include <orvani/standard.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvani::fuzz {

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
    std::string_view rest() const {
        return {reinterpret_cast<const char*>(data_) + position_, size_ - position_};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// UTF-8 to code points, an invalid sequence read as U+FFFD.
inline std::u32string Decode(std::string_view utf8) {
    std::u32string text;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        text.push_back(static_cast<char32_t>(c));
    }
    return text;
}

inline std::string Encode(std::u32string_view text) {
    std::string utf8;
    for (const char32_t c : text) {
        std::uint8_t buffer[U8_MAX_LENGTH];
        std::int32_t length = 0;
        U8_APPEND_UNSAFE(buffer, length, static_cast<UChar32>(c));
        utf8.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
    }
    return utf8;
}

// Where a fuzz property fails: abort, so that the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            __builtin_trap();                                                                      \
        }                                                                                          \
    } while (false)

} // namespace orvani::fuzz
