#include "letter_table.h"

#include <orvani/pipeline.h>
#include <orvani/script.h>

namespace orvani {
namespace detail {
namespace {

// The Orvani Script letter code of each New letter, written from lower-cased text. The only
// capitals in the output are the codes below; any other character passes unchanged.
constexpr auto kScriptOfNewLetter = std::to_array<Row>({
    {U"š", U"S"}, // U+0161
    {U"x", U"k"},
    {U"k", U"K"},
    {U"á", U"I"}, // U+00E1
    {U"í", U"E"}, // U+00ED
    {U"æ", U"q"}, // U+00E6
    {U"é", U"A"}, // U+00E9
    {U"þ", U"T"}, // U+00FE
    {U"ð", U"d"}, // U+00F0
    {U"d", U"D"},
    {U"ó", U"O"}, // U+00F3
    {U"ç", U"c"}, // U+00E7
    {U"ú", U"U"}, // U+00FA
    {U"c", U"x"},
});
constexpr ScanRules kRules{kScriptOfNewLetter, Casing::LowerFirst};
static_assert(WellFormed(kRules));

} // namespace

ScanRules ScriptWriting() noexcept {
    return kRules;
}

} // namespace detail

std::u32string OutS(std::u32string_view text, DocumentType type) {
    if (type == DocumentType::HTML) {
        return {};
    }
    return ConvertText(text, Standard::New, Standard::Script);
}

} // namespace orvani
