#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvani {

// The step that front ends put in front of a conversion so that canonically equivalent texts
// (an accent typed as a letter of its own or as part of its letter) convert alike: Unicode
// Normalization Form C, through ICU. The conversions themselves take the text exactly as given.
//
//     ToNfc(U"xi\u0301co\u0301") == U"xícó"
//
// Throws std::bad_alloc when memory runs out and std::runtime_error when ICU cannot normalise
// (its data missing).

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

// Normalization Form C of UTF-8 text that comes in pieces: a stream read a block at a time, or
// a paragraph that formatting cuts into runs. The pieces' results, one after another, are the
// NFC of their whole. The end of each piece that what follows may still compose with (its
// last character with the combining marks after it, or a character that the piece's end cuts
// off) is held for the next piece; a tail that grows past kLongestHeldTail bytes without
// reaching a character that starts a composition of its own is normalised as it stands, so
// that memory stays bounded whatever the input (such a tail is no text).
//
//     NfcStream nfc;
//     std::string out;
//     nfc.feed("xi", out);      // out == "x", "i" held
//     nfc.feed("\u0301co", out); // out == "xíc"
//     nfc.finish(out);          // out == "xíco"
class NfcStream {
public:
    static constexpr std::size_t kLongestHeldTail = 4096;

    // Appends to `out` the NFC of the text fed so far, but for the tail held for what comes
    // next. Returns how many of the bytes appended come from text that an earlier piece left
    // held (they come first), so that a caller can tell which piece each belongs to.
    std::size_t feed(std::string_view utf8, std::string& out);
    // Appends the NFC of what is held; the stream is then ready for a new text.
    void finish(std::string& out);

    // The tail held so far, as it was fed.
    [[nodiscard]] std::string_view held() const noexcept { return held_; }
    // Hands the held tail back to a caller that will feed it again in front of what follows;
    // the stream then holds nothing.
    [[nodiscard]] std::string takeHeld() noexcept;

private:
    std::string held_;
};

} // namespace orvani
