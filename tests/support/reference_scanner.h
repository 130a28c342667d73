#pragma once

// A slow, plain conversion over the same rows as the engine, written apart from its compiled
// tables so that tests have something other than the engine to compare it with.

#include "letter_table.h"
#include "reference_rules.h"

#include <orvani/standard.h>
#include <unicode/uchar.h>

#include <string>
#include <string_view>

namespace orvani::testing {

inline char32_t ReferenceLower(char32_t c) {
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

inline std::u32string_view ReferencePiece(const detail::Row& row, ConversionOptions options) {
    const bool set = (row.flag == detail::Flag::A && options.a) ||
                     (row.flag == detail::Flag::OhUh && options.ohUh);
    return set ? row.pieceWhenFlagSet : row.piece;
}

// One reader or writer over `text`: at each place the longest spelling that a row has there
// (the first such row), else the character itself.
inline std::u32string ReferenceScan(std::u32string_view text, const detail::ScanRules& rules,
                                    ConversionOptions options) {
    const bool lowerFirst = rules.casing == detail::Casing::LowerFirst;
    std::u32string typed(text);
    if (lowerFirst) {
        for (char32_t& c : typed) {
            c = ReferenceLower(c);
        }
    }
    const std::u32string_view view(typed);
    std::u32string out;
    for (std::size_t i = 0; i < typed.size();) {
        const detail::Row* match = nullptr;
        for (const std::size_t length : {2, 1}) {
            for (const detail::Row& row : rules.rows) {
                if (match == nullptr && row.spelling == view.substr(i, length)) {
                    match = &row;
                }
            }
        }
        if (match != nullptr) {
            out += ReferencePiece(*match, options);
            i += match->spelling.size();
        } else {
            out += lowerFirst ? typed[i] : ReferenceLower(typed[i]);
            ++i;
        }
    }
    return out;
}

// `text` read into New by the source's reader, then written by the target's writer (plain
// text; New is neither read nor written).
inline std::u32string ReferenceConvert(std::u32string_view text, Standard source, Standard target,
                                       ConversionOptions options) {
    std::u32string pivot(text);
    if (const auto reader = ReferenceReader(source)) {
        pivot = ReferenceScan(pivot, *reader, options);
    }
    if (const auto writer = ReferenceWriter(target)) {
        return ReferenceScan(pivot, *writer, options);
    }
    return pivot;
}

} // namespace orvani::testing
