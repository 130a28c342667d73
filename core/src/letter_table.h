#pragma once

#include <orvani/standard.h>

#include <cstddef>
#include <cstdint>
#include <span>
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

// How a table scan treats case.
enum class Casing : std::uint8_t {
    LowerFirst,     // the text is lower-cased, then matched
    LowerUnmatched, // the text is matched as typed; what no row matches passes lower-cased
};

// A reader or a writer: its rows, tried in order, and its case rule. Two-letter spellings are
// read greedily from the left; a character without a row passes through.
struct ScanRules {
    std::span<const Row> rows;
    Casing casing;
};

// Every spelled letter lies below this bound ("š" U+0161 is the highest), two-letter spellings
// are ASCII, and no piece is longer than two characters: the compiled scanner relies on it.
inline constexpr char32_t kLetterBound = 0x180;
inline constexpr std::size_t kLongestPiece = 2;
// The letters that two-letter spellings use, once lower-cased, each get a place of their own
// among this many, 0 meaning none.
inline constexpr std::size_t kPairLetterPlaces = 16;

// Whether a table keeps to what the compiled scanner can hold: a table that does not is a
// compile error where it is declared, not an overrun at run time.
[[nodiscard]] consteval bool WellFormed(const ScanRules& rules) {
    const auto piecesFit = [](std::u32string_view piece) {
        for (const char32_t c : piece) {
            if (c >= kLetterBound) {
                return false;
            }
        }
        return piece.size() <= kLongestPiece;
    };
    bool pairLetter[26] = {};
    std::size_t pairLetters = 0;
    for (const Row& row : rules.rows) {
        if (row.spelling.empty() || row.spelling.size() > 2 || !piecesFit(row.piece) ||
            !piecesFit(row.pieceWhenFlagSet)) {
            return false;
        }
        if (row.spelling.size() == 1) {
            if (row.spelling[0] >= kLetterBound) {
                return false;
            }
            continue;
        }
        // Two-letter spellings are of small ASCII letters, so that text may be cut anywhere
        // else, and are matched on lower-cased text.
        if (rules.casing != Casing::LowerFirst) {
            return false;
        }
        for (const char32_t c : row.spelling) {
            if (c < U'a' || c > U'z') {
                return false;
            }
            bool& seen = pairLetter[c - U'a'];
            pairLetters += seen ? 0 : 1;
            seen = true;
        }
    }
    return pairLetters < kPairLetterPlaces;
}

ScanRules OldReading() noexcept;
ScanRules OldWriting() noexcept;
ScanRules ScriptReading() noexcept;
ScanRules ScriptWriting() noexcept;

} // namespace orvani::detail
