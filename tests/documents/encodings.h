#pragma once

// Documents in UTF-16, written out in the tests from UTF-16 literals.

#include <unicode/ustring.h>

#include <string>
#include <string_view>

namespace orvani::testing {

enum class Endian { Little, Big };

// `text` as UTF-16 bytes, after a byte-order mark where `mark` says so.
inline std::string Utf16(std::u16string_view text, Endian endian, bool mark = true) {
    std::string bytes;
    const auto put = [&](char16_t unit) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += endian == Endian::Little ? low : high;
        bytes += endian == Endian::Little ? high : low;
    };
    if (mark) {
        put(u'\uFEFF');
    }
    for (const char16_t unit : text) {
        put(unit);
    }
    return bytes;
}

// UTF-8 `text` as UTF-16 bytes.
inline std::string Utf16(std::string_view text, Endian endian, bool mark = true) {
    std::u16string units(text.size(), u'\0');
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(units.data(), static_cast<std::int32_t>(units.size()), &length, text.data(),
                  static_cast<std::int32_t>(text.size()), &status);
    units.resize(static_cast<std::size_t>(length));
    return Utf16(std::u16string_view(units), endian, mark);
}

} // namespace orvani::testing
