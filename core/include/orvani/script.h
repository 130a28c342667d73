#pragma once

#include <orvani/standard.h>

#include <string>
#include <string_view>

namespace orvani {

// Reads Orvani Script letter codes into New text. Upper and lower case are different letters
// there, so the text is read exactly as typed. It keeps nothing between pieces.
class ScriptReader {
public:
    void feed(std::u32string_view text, std::u32string& out);
    void finish(std::u32string&) {}
};

// Writes New text (lower-cased first) as Orvani Script letter codes. It keeps nothing between
// pieces.
class ScriptWriter {
public:
    void feed(std::u32string_view text, std::u32string& out);
    void finish(std::u32string&) {}
};

// Orvani Script text to New text; empty for HTML.
[[nodiscard]] std::u32string ConvS(std::u32string_view text, DocumentType type);

// New text to Orvani Script text; empty for HTML.
[[nodiscard]] std::u32string OutS(std::u32string_view text, DocumentType type);

} // namespace orvani
