#pragma once

#include <orvani/standard.h>

#include <string>
#include <string_view>

namespace orvani {

// Reads Old text into New text, one piece at a time: feed() the text in any number of pieces,
// then finish(). A two-letter spelling split between two pieces is still read as one letter.
class OldReader {
public:
    explicit OldReader(ConversionOptions options) noexcept : options_(options) {}

    // Appends to `out` the New text of `text`, keeping back its last character when that may
    // begin a two-letter spelling completed by the next piece.
    void feed(std::u32string_view text, std::u32string& out);
    // Appends the character kept back, if any; the reader is then ready for a new text.
    void finish(std::u32string& out);

private:
    ConversionOptions options_;
    char32_t pending_ = 0;
    bool hasPending_ = false;
};

// Writes New text as Old text; it keeps nothing between pieces.
class OldWriter {
public:
    explicit OldWriter(ConversionOptions options) noexcept : options_(options) {}

    void feed(std::u32string_view text, std::u32string& out);
    void finish(std::u32string&) {}

private:
    ConversionOptions options_;
};

// Old text in any case to lower-case New text; empty for HTML.
[[nodiscard]] std::u32string ConvA(std::u32string_view text, DocumentType type,
                                   ConversionOptions options);

// New text in any case to lower-case Old text; empty for HTML. Only the oh/uh option applies.
[[nodiscard]] std::u32string OutA(std::u32string_view text, DocumentType type,
                                  ConversionOptions options);

} // namespace orvani
