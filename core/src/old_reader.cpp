#include "letter_table.h"
#include "lower_case.h"
#include "whole_text.h"

#include <orvani/old_standard.h>

namespace orvani {
namespace {

using detail::Flag;
using detail::Row;

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

constexpr auto kPairIndex = detail::IndexPairs(kOldSpellings);
constexpr auto kLetterIndex = detail::IndexLetters(kOldSpellings);

void AppendLetter(char32_t c, ConversionOptions options, std::u32string& out) {
    if (const Row* row = detail::FindLetter(kOldSpellings, kLetterIndex, c)) {
        out.append(row->pieceFor(options));
    } else {
        out.push_back(c);
    }
}

} // namespace

void OldReader::feed(std::u32string_view text, std::u32string& out) {
    for (const char32_t raw : text) {
        const char32_t c = detail::LowerCase(raw);
        if (hasPending_) {
            if (const Row* row = detail::FindPair(kOldSpellings, kPairIndex, pending_, c)) {
                out.append(row->pieceFor(options_));
                hasPending_ = false;
                continue;
            }
            AppendLetter(pending_, options_, out);
        }
        pending_ = c;
        hasPending_ = true;
    }
}

void OldReader::finish(std::u32string& out) {
    if (hasPending_) {
        AppendLetter(pending_, options_, out);
        hasPending_ = false;
    }
}

std::u32string ConvA(std::u32string_view text, DocumentType type, ConversionOptions options) {
    return detail::TranscribeWhole(OldReader(options), text, type);
}

} // namespace orvani
