#pragma once

#include "character_tally.h"
#include "command_line.h"

#include <orvani/standard.h>

#include <string>
#include <vector>

namespace orvani::cli {

// What a conversion of one input did not convert, and what it cannot give back.
struct InputReport {
    // A character that no table of the source standard names, which passed through as it was
    // (or only lower-cased).
    struct Unconverted {
        char32_t c;
        CharacterTally::Seen seen;
    };
    // Characters of the input that are all written alike, where that does not convert back
    // to each of them: New "Q" and "q" both become Script "q", which converts back to "æ".
    struct Merge {
        std::u32string characters;
        std::u32string written;
        std::u32string back;
    };

    std::string name;
    Standard from;
    Standard to;
    bool document = false; // places are counted in the document's text, not in lines
    std::vector<Unconverted> unconverted;
    std::vector<Merge> merged;
    bool capitalsLowered = false; // capitals that come back as small letters, and only that
};

// The report on a text whose characters `tally` counted, converted as `options` say.
[[nodiscard]] InputReport MakeReport(std::string name, const CharacterTally& tally, Standard from,
                                     Standard to, ConversionOptions options, bool document);

// For standard error: a heading line "orvaniconv-cli: NAME: ..." and indented lines.
[[nodiscard]] std::string ReportText(const InputReport& report);

// A JSON array with an object for each report.
[[nodiscard]] std::string ReportJson(const std::vector<InputReport>& reports);

} // namespace orvani::cli
