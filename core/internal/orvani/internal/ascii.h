#pragma once

// ASCII case, without the program's locale: names, tags and file extensions are ASCII, and
// std::tolower would follow whatever locale the program runs in.

#include <cstddef>
#include <string_view>

namespace orvani::internal {

[[nodiscard]] constexpr char AsciiLower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

[[nodiscard]] constexpr bool AsciiLetter(char32_t c) noexcept {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

[[nodiscard]] constexpr bool EqualsIgnoringAsciiCase(std::string_view a,
                                                     std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace orvani::internal
