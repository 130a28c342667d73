#pragma once

#include <orvani/standard.h>

#include <string>
#include <string_view>

namespace orvani {

// Orvani Script text to New text; empty for HTML. Upper and lower case are different letters
// in the script, so the text is read exactly as typed.
[[nodiscard]] std::u32string ConvS(std::u32string_view text, DocumentType type);

// New text (lower-cased first) to Orvani Script text; empty for HTML.
[[nodiscard]] std::u32string OutS(std::u32string_view text, DocumentType type);

} // namespace orvani
