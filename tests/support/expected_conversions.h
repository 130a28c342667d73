#pragma once

// The table of conversions that every front end is held to (tests/data/conversions.tsv), read
// for the C++ tests.

#include "unicode_text.h"

#include <orvani/standard.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvani::testing {

struct ExpectedConversion {
    Standard source;
    Standard target;
    ConversionOptions options;
    std::string text;     // UTF-8
    std::string expected; // UTF-8
    bool needsNfc;        // holds decomposed accents
};

inline std::string Unescaped(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const char kind = field[++i];
        if (kind == 'u') {
            const std::size_t close = field.find('}', i);
            const auto c = static_cast<char32_t>(
                std::stoul(std::string(field.substr(i + 2, close - i - 2)), nullptr, 16));
            out += Utf8(std::u32string(1, c));
            i = close;
        } else {
            out += kind == 't' ? '\t' : kind == 'n' ? '\n' : kind == 'r' ? '\r' : kind;
        }
    }
    return out;
}

inline std::vector<ExpectedConversion> ExpectedConversions() {
    std::ifstream file(ORVANI_TEST_DATA "/conversions.tsv");
    if (!file) {
        throw std::runtime_error("cannot read " ORVANI_TEST_DATA "/conversions.tsv");
    }
    std::vector<ExpectedConversion> rows;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        std::vector<std::string> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab - start));
            if (tab == std::string::npos) {
                break;
            }
            start = tab + 1;
        }
        if (fields.size() < 6) {
            throw std::runtime_error("conversions.tsv: a row with too few columns: " + line);
        }
        rows.push_back({*ParseStandard(fields[0]),
                        *ParseStandard(fields[1]),
                        {.a = fields[2] == "1", .ohUh = fields[3] == "1"},
                        Unescaped(fields[4]),
                        Unescaped(fields[5]),
                        fields.size() > 6 && fields[6] == "nfc"});
    }
    return rows;
}

inline std::string Describe(const ExpectedConversion& row) {
    return std::string(ShortName(row.source)) + " to " + std::string(ShortName(row.target)) +
           (row.options.a ? " a" : "") + (row.options.ohUh ? " oh/uh" : "") + ": " + row.text;
}

} // namespace orvani::testing
