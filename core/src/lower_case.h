#pragma once

#include <unicode/uchar.h>

namespace orvani::detail {

// ICU's locale-independent simple lower-case mapping: one character to one character.
[[nodiscard]] inline char32_t LowerCase(char32_t c) noexcept {
    if (c < 0x80) {
        return (c >= U'A' && c <= U'Z') ? c + (U'a' - U'A') : c;
    }
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

} // namespace orvani::detail
