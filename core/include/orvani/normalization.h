#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvani {

// The step that front ends put in front of a conversion so that canonically equivalent texts
// (an accent typed as a letter of its own or as part of its letter) convert alike: Unicode
// Normalization Form C. The conversions themselves take the text exactly as given.
//
//     ToNfc(U"xi\u0301co\u0301") == U"xícó"

// `text` in Normalization Form C. Values that are not characters (surrogates, anything past
// U+10FFFF) are kept as they are and end the run of text that composes around them.
[[nodiscard]] std::u32string ToNfc(std::u32string_view text);

// UTF-8 `utf8` in Normalization Form C. Invalid sequences are kept byte for byte and, like the
// values above, nothing composes across them.
[[nodiscard]] std::string ToNfc(std::string_view utf8);

// False when NFC certainly leaves `utf8` as it is: every character, as every one below U+0300
// is, is composed and composes with nothing before it (punctuation such as "—" and "…", the
// letters of most scripts; not combining marks). A quick scan, for the usual text that has no
// combining marks. Invalid sequences are passed over.
[[nodiscard]] bool NfcMayChange(std::string_view utf8) noexcept;

// The length, in bytes, of the longest prefix of `utf8` that no text following it can change
// under NFC: everything before the last character that could still compose with what follows.
// A stream normalises this prefix now and holds the rest back for its next piece.
[[nodiscard]] std::size_t NfcStablePrefix(std::string_view utf8) noexcept;

} // namespace orvani
