#include "letter_table.h"

#include <orvani/pipeline.h>
#include <orvani/script.h>

namespace orvani {
namespace detail {
namespace {

// The New letter of each Orvani Script letter code. Case matters: "k" and "K" are different
// letters. Any other character passes in lower case.
constexpr auto kNewLetterOfScript = std::to_array<Row>({
    {U"S", U"š"}, // U+0161
    {U"k", U"x"},
    {U"K", U"k"},
    {U"I", U"á"}, // U+00E1
    {U"E", U"í"}, // U+00ED
    {U"A", U"é"}, // U+00E9
    {U"D", U"d"},
    {U"T", U"þ"}, // U+00FE
    {U"d", U"ð"}, // U+00F0
    {U"O", U"ó"}, // U+00F3
    {U"c", U"ç"}, // U+00E7
    {U"U", U"ú"}, // U+00FA
    {U"x", U"c"},
    {U"X", U"c"},
    {U"Y", U"æ"}, // U+00E6
    {U"q", U"æ"}, // U+00E6
});
constexpr ScanRules kRules{kNewLetterOfScript, Casing::LowerUnmatched};
static_assert(WellFormed(kRules));

} // namespace

ScanRules ScriptReading() noexcept {
    return kRules;
}

} // namespace detail

std::u32string ConvS(std::u32string_view text, DocumentType type) {
    if (type == DocumentType::HTML) {
        return {};
    }
    return ConvertText(text, Standard::Script, Standard::New);
}

} // namespace orvani
