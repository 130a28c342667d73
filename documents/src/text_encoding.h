#pragma once

#include <string>
#include <string_view>

namespace orvani::documents {

// Documents stored in an encoding other than UTF-8, read and written through ICU's converters.
// An encoding is any name or alias that ICU knows ("ISO-8859-1", "UTF-16LE", "latin1").

// Whether ICU knows `encoding`.
[[nodiscard]] bool IsKnownEncoding(const std::string& encoding);

// Whether `encoding` writes ASCII in more than one byte a character (UTF-16, UTF-32).
[[nodiscard]] bool IsWideEncoding(const std::string& encoding);

// Whether `encoding` is UTF-8 under any of its names.
[[nodiscard]] bool IsUtf8Encoding(const std::string& encoding);

// `bytes` in `encoding`, as UTF-8. Throws DocumentError naming `part` and the byte where a
// sequence is invalid in the encoding, counted from `firstByte`, where `bytes` begin.
[[nodiscard]] std::string DecodeText(std::string_view bytes, const std::string& encoding,
                                     const std::string& part, std::size_t firstByte = 0);

// Valid UTF-8 `text` in `encoding`; a character that the encoding cannot hold is written as
// a decimal character reference ("&#353;"), which XML and HTML read as the character itself.
[[nodiscard]] std::string EncodeText(std::string_view text, const std::string& encoding,
                                     const std::string& part);

} // namespace orvani::documents
