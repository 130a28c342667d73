#include "letter_table.h"
#include "lower_case.h"
#include "whole_text.h"

#include <orvani/script.h>

namespace orvani {
namespace {

using detail::Row;

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

constexpr auto kLetterIndex = detail::IndexLetters(kScriptOfNewLetter);

} // namespace

void ScriptWriter::feed(std::u32string_view text, std::u32string& out) {
    for (const char32_t raw : text) {
        const char32_t c = detail::LowerCase(raw);
        if (const Row* row = detail::FindLetter(kScriptOfNewLetter, kLetterIndex, c)) {
            out.append(row->piece);
        } else {
            out.push_back(c);
        }
    }
}

std::u32string OutS(std::u32string_view text, DocumentType type) {
    return detail::TranscribeWhole(ScriptWriter{}, text, type);
}

} // namespace orvani
