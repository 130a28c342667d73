#include "letter_table.h"

#include <orvani/old_standard.h>
#include <orvani/pipeline.h>

namespace orvani {
namespace detail {
namespace {

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
constexpr ScanRules kRules{kOldSpellingOfNew, Casing::LowerFirst};
static_assert(WellFormed(kRules));

} // namespace

ScanRules OldWriting() noexcept {
    return kRules;
}

} // namespace detail

std::u32string OutA(std::u32string_view text, DocumentType type, ConversionOptions options) {
    if (type == DocumentType::HTML) {
        return {};
    }
    return ConvertText(text, Standard::New, Standard::Old, options);
}

} // namespace orvani
