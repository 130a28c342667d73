#pragma once

#include <orvani/standard.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvani {

namespace detail {
class Transcriber;
class CaseKeeping;

// What a conversion that keeps capitals carries from one piece of text to the next.
struct CaseState {
    // An Old letter, as typed, that the next character may make half of a two-letter spelling.
    std::optional<char32_t> readerHeld;
    // A capital New letter written with two letters, waiting for the next character to tell
    // whether it stands in a word in capitals; and whether a capital came before it.
    std::optional<char32_t> writerHeld;
    bool writerHeldAfterCapital = false;
    bool previousCapital = false;
};
} // namespace detail

// Why a whole-text UTF-8 conversion stopped short of the end of its text.
enum class Utf8Error : std::uint8_t {
    None,    // it converted the whole text
    Invalid, // at a sequence that is not UTF-8
    CutOff,  // at a character that the end of the text cuts off
};

// The result of a whole-text UTF-8 conversion.
struct Utf8Conversion {
    std::string text; // the converted text, UTF-8: of the whole input, or else of
                      // the bytes before `position`
    Utf8Error error = Utf8Error::None;
    std::size_t position = 0; // bytes of the input converted: its size, or where the error is

    [[nodiscard]] bool ok() const noexcept { return error == Utf8Error::None; }
};

// The whole UTF-8 `text` converted from `source` to `target`, up to its first invalid
// sequence. The text is taken exactly as given: put an NFC step in front for text whose
// accents may come decomposed (the front ends do).
//
//     ConvertUtf8("Kheetsoy dhath", Standard::Old, Standard::New).text == "xícó ðæþ"
[[nodiscard]] Utf8Conversion ConvertUtf8(std::string_view text, Standard source, Standard target,
                                         ConversionOptions options = {});

// The whole of `text`, code points, converted from `source` to `target`. Every value converts,
// those that are no characters (surrogates, past U+10FFFF) passing as they are.
//
//     ConvertText(U"Kheetsoy dhath", Standard::Old, Standard::New) == U"xícó ðæþ"
[[nodiscard]] std::u32string ConvertText(std::u32string_view text, Standard source, Standard target,
                                         ConversionOptions options = {});

// Why a step of the UTF-8 road stopped where it did.
enum class Utf8Stop : std::uint8_t {
    End,        // the whole piece is converted
    Invalid,    // at a sequence that is not UTF-8, at `read`
    CutOff,     // at a sequence that the end of the piece cuts off, at `read`
    OutputFull, // the output had no room for more
};

// One step of the UTF-8 road: bytes read and written, and why it stopped.
struct Utf8Progress {
    std::size_t read;
    std::size_t written;
    Utf8Stop stop;
    // Whether what was read holds a character that Unicode normalization (NFC) might change or
    // compose with its neighbours: one from U+0300 on, but for the punctuation of U+2002-U+207F.
    // Text without one is its own NFC, so that a stream can convert first and normalise only
    // where this is set.
    bool mayCompose = false;
    // Whether the letter held from the last piece paired with this piece's first character, so
    // that the first thing written spells both; if not, it begins with the held letter alone.
    bool heldPaired = false;
};

// The last step of the UTF-8 road: bytes written, and whether they fitted (End) or the output
// had no room (OutputFull, and nothing is written).
struct Utf8Finish {
    std::size_t written;
    Utf8Stop stop;
};

// One conversion from a source to a target standard through the New pivot, fed in pieces so
// that texts of any size convert in constant memory. Cheap to make and to copy: the compiled
// tables are built once for each pair and set of options and shared by every converter, on
// any thread; one converter serves one thread at a time.
//
//     Converter converter(Standard::Old, Standard::New);
//     std::u32string out;
//     converter.feed(U"Kheetsoy dh", out);
//     converter.feed(U"ath", out);
//     converter.finish(out); // out == U"xícó ðæþ"
class Converter {
public:
    Converter(Standard source, Standard target, ConversionOptions options = {});

    // Appends to `out` the converted text of `text`, the next piece of the source text.
    void feed(std::u32string_view text, std::u32string& out);
    // Appends what the last piece left open; the converter is then ready for a new text.
    void finish(std::u32string& out);

    // The road for UTF-8 streams, which skips the detour through code points.
    //
    //     std::array<char, 4096> out;
    //     const Utf8Progress step = converter.convertUtf8(piece, out);
    //     write(std::span(out).first(step.written));
    //     // step.read bytes of `piece` are done; see step.stop for why it stopped there.

    // The most bytes that convertUtf8() writes for `bytes` bytes of input; for 0, what
    // finishUtf8() may need.
    [[nodiscard]] std::size_t maxUtf8Output(std::size_t bytes) const noexcept;
    // Converts the next piece of UTF-8 text into `out`, as much of it as `out` has room for,
    // and stops at the first invalid sequence or at one that the piece's end cuts off (feed
    // its bytes again in front of the next piece). Never writes past `out`.
    [[nodiscard]] Utf8Progress convertUtf8(std::string_view utf8, std::span<char> out) noexcept;
    // Writes what the last piece left open; the converter is then ready for a new text. Needs
    // room for maxUtf8Output(0) bytes, or stops with OutputFull and writes nothing.
    [[nodiscard]] Utf8Finish finishUtf8(std::span<char> out) noexcept;

private:
    [[nodiscard]] Utf8Progress convertUtf8KeepingCase(std::string_view utf8,
                                                      std::span<char> out) noexcept;

    const detail::Transcriber* transcriber_;
    std::optional<char16_t> pending_; // a letter that the next piece may pair with
    // With ConversionOptions::keepCase, the road that keeps capitals, a character at a time.
    const detail::CaseKeeping* caseKeeping_;
    detail::CaseState caseState_;
};

// A place where UTF-8 text may be cut, so that the part from the cut on can be converted apart
// (and so at the same time) with a fresh converter: the first position in [from, to) that
// holds an ASCII character other than a letter, which no two-letter spelling spans; npos if
// there is none. Finish the converter of the part before the cut to write all of it.
[[nodiscard]] std::size_t FindIndependentCut(std::string_view utf8, std::size_t from,
                                             std::size_t to) noexcept;

} // namespace orvani
