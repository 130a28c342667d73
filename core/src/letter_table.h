#pragma once

#include <orvani/standard.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace orvani::detail {

// The option, if any, that changes what a row yields.
enum class Flag : std::uint8_t { None, A, OhUh };

// One row of a reading or writing table: a spelling and the piece written for it.
struct Row {
    std::u32string_view spelling;
    std::u32string_view piece;
    Flag flag = Flag::None;
    std::u32string_view pieceWhenFlagSet = {};

    [[nodiscard]] constexpr std::u32string_view pieceFor(ConversionOptions options) const noexcept {
        const bool set = (flag == Flag::A && options.a) || (flag == Flag::OhUh && options.ohUh);
        return set ? pieceWhenFlagSet : piece;
    }
};

// Every spelled letter lies below this bound ("š" U+0161 is the highest), so a lookup is one
// array access instead of a walk down the table.
inline constexpr char32_t kLetterBound = 0x180;
inline constexpr char32_t kAsciiBound = 0x80;
inline constexpr std::uint8_t kNoRow = 0xFF;

// For each character, the position of the first one-letter row spelled by it.
template <std::size_t N>
[[nodiscard]] consteval std::array<std::uint8_t, kLetterBound>
IndexLetters(const std::array<Row, N>& rows) {
    static_assert(N < kNoRow);
    std::array<std::uint8_t, kLetterBound> index{};
    index.fill(kNoRow);
    for (std::size_t i = N; i-- > 0;) {
        if (rows[i].spelling.size() == 1) {
            const char32_t c = rows[i].spelling[0];
            if (c >= kLetterBound) {
                throw "letter beyond kLetterBound";
            }
            index[c] = static_cast<std::uint8_t>(i);
        }
    }
    return index;
}

// For each pair of ASCII characters, the position of the first two-letter row spelled by it.
template <std::size_t N>
[[nodiscard]] consteval std::array<std::uint8_t, kAsciiBound * kAsciiBound>
IndexPairs(const std::array<Row, N>& rows) {
    static_assert(N < kNoRow);
    std::array<std::uint8_t, kAsciiBound * kAsciiBound> index{};
    index.fill(kNoRow);
    for (std::size_t i = N; i-- > 0;) {
        if (rows[i].spelling.size() == 2) {
            const char32_t first = rows[i].spelling[0];
            const char32_t second = rows[i].spelling[1];
            if (first >= kAsciiBound || second >= kAsciiBound) {
                throw "two-letter spellings are ASCII";
            }
            index[first * kAsciiBound + second] = static_cast<std::uint8_t>(i);
        }
    }
    return index;
}

// The first one-letter row spelled by `c`, or null.
template <std::size_t N>
[[nodiscard]] inline const Row* FindLetter(const std::array<Row, N>& rows,
                                           const std::array<std::uint8_t, kLetterBound>& index,
                                           char32_t c) noexcept {
    if (c >= kLetterBound || index[c] == kNoRow) {
        return nullptr;
    }
    return &rows[index[c]];
}

// The first two-letter row spelled by `first` and `second`, or null.
template <std::size_t N>
[[nodiscard]] inline const Row*
FindPair(const std::array<Row, N>& rows,
         const std::array<std::uint8_t, kAsciiBound * kAsciiBound>& index, char32_t first,
         char32_t second) noexcept {
    if (first >= kAsciiBound || second >= kAsciiBound ||
        index[first * kAsciiBound + second] == kNoRow) {
        return nullptr;
    }
    return &rows[index[first * kAsciiBound + second]];
}

} // namespace orvani::detail
