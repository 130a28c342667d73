#pragma once

// NFC through Windows' own NormalizeString (normaliz.dll), so that the program carries no
// Unicode tables of its own.

#include <string>
#include <string_view>

namespace orvani::win32 {

// `text` in NFC. Lone surrogates and non-characters, which NormalizeString refuses as a whole
// text, are kept as they are and the text around them is normalised on its own; since neither
// combines with anything, that is the NFC of the whole. Where Windows fails otherwise, the
// text is returned unchanged rather than lost.
[[nodiscard]] std::wstring ToNfc(std::wstring_view text);

} // namespace orvani::win32
