#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvani::documents {

// The encoding of an HTML page, told as browsers tell it: a byte-order mark; else `given`
// (the user's, where not empty); else the first <meta charset> or <meta http-equiv=
// "Content-Type" content="...; charset=..."> among the page's first 1024 bytes; else UTF-8.
// A page labelled ISO-8859-1 or ASCII is read as Latin-1, every byte as the character of its
// value, which keeps each byte as it was (browsers read bytes 0x80 to 0x9F as windows-1252).
struct HtmlEncoding {
    std::string name;       // as ICU knows it
    std::size_t markLength; // the byte-order mark's bytes at the start
};

// Throws DocumentError where the page declares an encoding that is not known.
[[nodiscard]] HtmlEncoding HtmlEncodingOf(std::string_view html, const std::string& given);

} // namespace orvani::documents
