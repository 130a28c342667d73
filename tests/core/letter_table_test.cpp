// The limits that the compiled scanner relies on are checked where a table is declared: a row
// beyond them does not compile.

#include "letter_table.h"

#include <array>

namespace orvani::detail {
namespace {

template <std::size_t N>
consteval bool WellFormedRows(const std::array<Row, N>& rows, Casing casing = Casing::LowerFirst) {
    return WellFormed(ScanRules{rows, casing});
}

constexpr std::array<Row, 2> kUsual{{{U"sh", U"š"}, {U"a", U"a", Flag::A, U"æ"}}};
static_assert(WellFormedRows(kUsual));

// A piece letter at U+0180 or beyond would overflow the scanner's pieces.
constexpr std::array<Row, 1> kWidePiece{{{U"a", U"ƀ"}}};
static_assert(!WellFormedRows(kWidePiece));
constexpr std::array<Row, 1> kWideFlagged{{{U"a", U"a", Flag::A, U"\u0250"}}};
static_assert(!WellFormedRows(kWideFlagged));
constexpr std::array<Row, 1> kLongPiece{{{U"a", U"abc"}}};
static_assert(!WellFormedRows(kLongPiece));

// Two-letter spellings: of small ASCII letters, read from lower-cased text, at most fifteen
// letters in all.
constexpr std::array<Row, 1> kCapital{{{U"Sh", U"š"}}};
static_assert(!WellFormedRows(kCapital));
constexpr std::array<Row, 1> kAsTyped{{{U"sh", U"š"}}};
static_assert(!WellFormedRows(kAsTyped, Casing::LowerUnmatched));
constexpr std::u32string_view kSevenPairs[] = {U"ab", U"cd", U"ef", U"gh", U"ij", U"kl", U"mn"};
consteval bool EightPairsWellFormed(std::u32string_view last) {
    std::array<Row, 8> rows{};
    for (std::size_t i = 0; i < 7; ++i) {
        rows[i] = {kSevenPairs[i], U"x"};
    }
    rows[7] = {last, U"x"};
    return WellFormedRows(rows);
}
static_assert(EightPairsWellFormed(U"oa"));  // fifteen letters
static_assert(!EightPairsWellFormed(U"op")); // sixteen

} // namespace
} // namespace orvani::detail
