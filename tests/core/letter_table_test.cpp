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
constexpr std::array<Row, 8> kFifteenLetters{{{U"ab", U"x"},
                                              {U"cd", U"x"},
                                              {U"ef", U"x"},
                                              {U"gh", U"x"},
                                              {U"ij", U"x"},
                                              {U"kl", U"x"},
                                              {U"mn", U"x"},
                                              {U"oa", U"x"}}};
static_assert(WellFormedRows(kFifteenLetters));
constexpr std::array<Row, 8> kSixteenLetters{{{U"ab", U"x"},
                                              {U"cd", U"x"},
                                              {U"ef", U"x"},
                                              {U"gh", U"x"},
                                              {U"ij", U"x"},
                                              {U"kl", U"x"},
                                              {U"mn", U"x"},
                                              {U"op", U"x"}}};
static_assert(!WellFormedRows(kSixteenLetters));

// The Old reading table with one row more, "zh" for "ž" (U+017E), still fits: thirteen letters.
constexpr std::array<Row, 16> kOldWithZh{{{U"sh", U"š"},
                                          {U"kh", U"x"},
                                          {U"ah", U"a"},
                                          {U"ih", U"i"},
                                          {U"ee", U"í"},
                                          {U"eh", U"e"},
                                          {U"ay", U"é"},
                                          {U"th", U"þ"},
                                          {U"dh", U"ð"},
                                          {U"oy", U"ó"},
                                          {U"ch", U"ç"},
                                          {U"oo", U"ú"},
                                          {U"ts", U"c"},
                                          {U"oh", U"oh"},
                                          {U"uh", U"uh"},
                                          {U"zh", U"ž"}}};
static_assert(WellFormedRows(kOldWithZh));

} // namespace
} // namespace orvani::detail
