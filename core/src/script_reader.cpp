#include "letter_table.h"
#include "lower_case.h"
#include "whole_text.h"

#include <orvani/script.h>

namespace orvani {
namespace {

using detail::Row;

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

constexpr auto kLetterIndex = detail::IndexLetters(kNewLetterOfScript);

} // namespace

void ScriptReader::feed(std::u32string_view text, std::u32string& out) {
    for (const char32_t c : text) {
        if (const Row* row = detail::FindLetter(kNewLetterOfScript, kLetterIndex, c)) {
            out.append(row->piece);
        } else {
            out.push_back(detail::LowerCase(c));
        }
    }
}

std::u32string ConvS(std::u32string_view text, DocumentType type) {
    return detail::TranscribeWhole(ScriptReader{}, text, type);
}

} // namespace orvani
