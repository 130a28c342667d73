#pragma once

#include "icu_converter.h"
#include "streams.h"

#include <cstdint>
#include <string>

namespace orvani::cli {

// Writes UTF-8 text into `out` in `encoding`, through ICU's converters. A character that the
// encoding cannot hold stops the output, after the text before it, with an error that names
// the character and where it is in the converted text.
class EncodingSink : public ByteSink {
public:
    EncodingSink(ByteSink& out, const std::string& encoding);

    // Positions in messages count from the start of the text converted from `input`.
    void startText(const std::string& input);
    void write(std::string_view utf8) override;
    // Writes what a stateful encoding keeps back for its end.
    void finish();

private:
    void encode(const char16_t* units, std::size_t length, bool flush);
    void advance(const char16_t* units, std::size_t length);

    ByteSink& out_;
    std::string encoding_;
    ConverterHandle converter_;
    std::string input_;
    std::string partial_; // a character that the next write completes
    std::u16string units_;
    std::string bytes_;
    std::uint64_t line_ = 1;
    std::uint64_t column_ = 1;
};

} // namespace orvani::cli
