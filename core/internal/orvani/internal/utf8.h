#pragma once

// UTF-8 as the project's libraries read and write it, in one place: the core, the NFC step,
// the documents layer and the Python module share it. Not part of the installed API.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace orvani::internal {

// The most bytes that one character takes.
inline constexpr std::size_t kLongestUtf8 = 4;

// Whether `byte` goes on a character begun before it (10xxxxxx).
[[nodiscard]] constexpr bool IsUtf8Continuation(char byte) noexcept {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The first place at or after `at` (and at most the end) where a character starts, for cutting
// text into pieces that split no character.
[[nodiscard]] constexpr std::size_t CharacterStartFrom(std::string_view bytes,
                                                       std::size_t at) noexcept {
    while (at < bytes.size() && IsUtf8Continuation(bytes[at])) {
        ++at;
    }
    return std::min(at, bytes.size());
}

enum class Utf8Status : std::uint8_t {
    Valid,
    Invalid,   // not UTF-8, whatever follows
    Truncated, // the start of a character that the end of the bytes cuts off
};

// One character read from UTF-8. Where the bytes are not a character, `length` is that of the
// maximal subpart (the longest start of a well-formed sequence, at least 1), the unit that
// Unicode recommends replacing with one U+FFFD, and `c` is U+FFFD.
struct Utf8Char {
    char32_t c;
    std::uint8_t length;
    Utf8Status status;
};

// The character at the start of [p, end), which must not be empty.
[[nodiscard]] constexpr Utf8Char DecodeUtf8(const char* p, const char* end) noexcept {
    const auto byte = [p](std::size_t i) -> std::uint32_t {
        return static_cast<unsigned char>(p[i]);
    };
    const std::uint32_t lead = byte(0);
    if (lead < 0x80) {
        return {lead, 1, Utf8Status::Valid};
    }
    // The range of the second byte rules out overlong forms, surrogates and values past
    // U+10FFFF.
    std::size_t trail = 0;
    std::uint32_t low = 0x80;
    std::uint32_t high = 0xBF;
    char32_t c = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trail = 2;
        c = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trail = 3;
        c = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {0xFFFD, 1, Utf8Status::Invalid};
    }
    const auto available = static_cast<std::size_t>(end - p);
    for (std::size_t i = 1; i <= trail; ++i) {
        const auto taken = static_cast<std::uint8_t>(i);
        if (i == available) {
            return {0xFFFD, taken, Utf8Status::Truncated};
        }
        if (byte(i) < low || byte(i) > high) {
            return {0xFFFD, taken, Utf8Status::Invalid};
        }
        c = (c << 6) | (byte(i) & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {c, static_cast<std::uint8_t>(trail + 1), Utf8Status::Valid};
}

[[nodiscard]] constexpr Utf8Char DecodeUtf8(std::string_view bytes, std::size_t at) noexcept {
    return DecodeUtf8(bytes.data() + at, bytes.data() + bytes.size());
}

// Where `bytes` stops being UTF-8: the offset of its first invalid or cut-off sequence, or
// npos when all of it is valid.
[[nodiscard]] inline std::size_t FindInvalidUtf8(std::string_view bytes) noexcept {
    std::size_t i = 0;
    while (i < bytes.size()) {
        // Most text is ASCII: eight bytes at a time where it is.
        std::uint64_t eight = 0;
        if (bytes.size() - i >= 8 &&
            (std::memcpy(&eight, bytes.data() + i, 8), (eight & 0x8080808080808080U) == 0)) {
            i += 8;
            continue;
        }
        const Utf8Char read = DecodeUtf8(bytes, i);
        if (read.status != Utf8Status::Valid) {
            return i;
        }
        i += read.length;
    }
    return std::string_view::npos;
}

// The number of bytes of the UTF-8 of `c`, a value up to U+10FFFF.
[[nodiscard]] constexpr std::size_t Utf8Length(char32_t c) noexcept {
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// Writes the UTF-8 of `c`, a value up to U+10FFFF, from `out` on; returns its end.
constexpr char* EncodeUtf8(char32_t c, char* out) noexcept {
    const auto put = [&out](std::uint32_t byte) { *out++ = static_cast<char>(byte); };
    if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | (c >> 6));
        put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        put(0xE0 | (c >> 12));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    } else {
        put(0xF0 | (c >> 18));
        put(0x80 | ((c >> 12) & 0x3F));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    }
    return out;
}

inline void AppendUtf8(std::string& out, char32_t c) {
    char bytes[4];
    out.append(bytes, EncodeUtf8(c, bytes));
}

// Code points, each up to U+10FFFF, as UTF-8.
[[nodiscard]] inline std::string ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t c : text) {
        AppendUtf8(out, c);
    }
    return out;
}

// UTF-8 as code points, each invalid sequence (maximal subpart) as one U+FFFD.
[[nodiscard]] inline std::u32string ToCodePoints(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Char read = DecodeUtf8(utf8, i);
        out.push_back(read.c);
        i += read.length;
    }
    return out;
}

} // namespace orvani::internal
