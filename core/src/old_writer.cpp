#include "letter_table.h"
#include "lower_case.h"
#include "whole_text.h"

#include <orvani/old_standard.h>

namespace orvani {
namespace {

using detail::Flag;
using detail::Row;

// The Old spelling of each New letter, written from lower-cased text; any character without a
// row passes unchanged.
constexpr auto kOldSpellingOfNew = std::to_array<Row>({
    {U"š", U"sh"}, // U+0161
    {U"x", U"kh"},
    {U"á", U"i"},  // U+00E1
    {U"í", U"ee"}, // U+00ED
    {U"æ", U"a"},  // U+00E6
    {U"é", U"ay"}, // U+00E9
    {U"þ", U"th"}, // U+00FE
    {U"ð", U"dh"}, // U+00F0
    {U"ó", U"oy"}, // U+00F3
    {U"ç", U"ch"}, // U+00E7
    {U"ú", U"oo"}, // U+00FA
    {U"c", U"ts"},
    {U"a", U"ah"},
    {U"i", U"ih"},
    {U"e", U"eh"},
    {U"o", U"o", Flag::OhUh, U"oh"},
    {U"u", U"u", Flag::OhUh, U"uh"},
});

constexpr auto kLetterIndex = detail::IndexLetters(kOldSpellingOfNew);

} // namespace

void OldWriter::feed(std::u32string_view text, std::u32string& out) {
    for (const char32_t raw : text) {
        const char32_t c = detail::LowerCase(raw);
        if (const Row* row = detail::FindLetter(kOldSpellingOfNew, kLetterIndex, c)) {
            out.append(row->pieceFor(options_));
        } else {
            out.push_back(c);
        }
    }
}

std::u32string OutA(std::u32string_view text, DocumentType type, ConversionOptions options) {
    return detail::TranscribeWhole(OldWriter(options), text, type);
}

} // namespace orvani
