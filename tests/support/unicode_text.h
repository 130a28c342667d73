#pragma once

#include <orvani/internal/utf8.h>

#include <string>
#include <string_view>

namespace orvani::testing {

// Code points to UTF-8; they are characters (no surrogates, nothing beyond U+10FFFF).
inline std::string Utf8(std::u32string_view text) {
    return internal::ToUtf8(text);
}

// UTF-8 to code points, an invalid sequence read as U+FFFD.
inline std::u32string CodePoints(std::string_view utf8) {
    return internal::ToCodePoints(utf8);
}

} // namespace orvani::testing
