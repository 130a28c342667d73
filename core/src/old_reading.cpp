#include "letter_table.h"

#include <orvani/old_standard.h>
#include <orvani/pipeline.h>

namespace orvani {
namespace detail {
namespace {

// Old spellings, read from lower-cased text. Two-letter spellings come first and are always
// read whole, greedily from the left; any character without a row passes unchanged.
constexpr auto kOldSpellings = std::to_array<Row>({
    {U"sh", U"š"}, // U+0161
    {U"kh", U"x"},
    {U"ah", U"a"},
    {U"ih", U"i"},
    {U"ee", U"í"}, // U+00ED
    {U"eh", U"e"},
    {U"ay", U"é"}, // U+00E9
    {U"th", U"þ"}, // U+00FE
    {U"dh", U"ð"}, // U+00F0
    {U"oy", U"ó"}, // U+00F3
    {U"ch", U"ç"}, // U+00E7
    {U"oo", U"ú"}, // U+00FA
    {U"ts", U"c"},
    {U"oh", U"oh", Flag::OhUh, U"o"},
    {U"uh", U"uh", Flag::OhUh, U"u"},
    {U"a", U"a", Flag::A, U"æ"}, // U+00E6
    {U"i", U"á"},                // U+00E1
});
constexpr ScanRules kRules{kOldSpellings, Casing::LowerFirst};
static_assert(WellFormed(kRules));

} // namespace

ScanRules OldReading() noexcept {
    return kRules;
}

} // namespace detail

std::u32string ConvA(std::u32string_view text, DocumentType type, ConversionOptions options) {
    if (type == DocumentType::HTML) {
        return {};
    }
    return ConvertText(text, Standard::Old, Standard::New, options);
}

} // namespace orvani
