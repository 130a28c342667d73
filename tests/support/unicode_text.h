#pragma once

#include <unicode/utf8.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace orvani::testing {

// Code points to UTF-8; they are characters (no surrogates, nothing beyond U+10FFFF).
inline std::string Utf8(std::u32string_view text) {
    std::string bytes;
    for (const char32_t c : text) {
        std::uint8_t buffer[U8_MAX_LENGTH];
        std::int32_t length = 0;
        U8_APPEND_UNSAFE(buffer, length, static_cast<UChar32>(c));
        bytes.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
    }
    return bytes;
}

// UTF-8 to code points, an invalid sequence read as U+FFFD.
inline std::u32string CodePoints(std::string_view utf8) {
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

} // namespace orvani::testing
