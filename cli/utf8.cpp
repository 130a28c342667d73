#include "utf8.h"

#include <unicode/utf8.h>

#include <cassert>
#include <cstdint>
#include <limits>

namespace orvani::cli {

DecodeResult DecodeUtf8(std::string_view bytes, std::u32string& out) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    assert(bytes.size() <= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()));
    const auto length = static_cast<std::int32_t>(bytes.size());
    std::int32_t i = 0;
    while (i < length) {
        if (data[i] < 0x80) {
            out.push_back(data[i++]);
            continue;
        }
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(data, i, length, c);
        if (c < 0) {
            // ICU consumes the longest prefix that could still become valid: when that prefix
            // runs to the end, more bytes may complete it.
            const bool cutOff = U8_IS_LEAD(data[start]) && i == length;
            return {static_cast<std::size_t>(start), !cutOff};
        }
        out.push_back(static_cast<char32_t>(c));
    }
    return {bytes.size(), false};
}

void EncodeUtf8(std::u32string_view text, std::string& out) {
    for (const char32_t c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        std::uint8_t buffer[U8_MAX_LENGTH];
        std::int32_t length = 0;
        U8_APPEND_UNSAFE(buffer, length, static_cast<UChar32>(c));
        out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
    }
}

} // namespace orvani::cli
