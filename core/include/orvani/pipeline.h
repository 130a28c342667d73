#pragma once

#include <orvani/old_standard.h>
#include <orvani/script.h>
#include <orvani/standard.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orvani {

namespace detail {
class Transcriber;
}

// Why a step of the UTF-8 road stopped where it did.
enum class Utf8Stop {
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
};

// The result of a whole-text UTF-8 conversion.
struct Utf8Conversion {
    std::string text;                     // the converted text, UTF-8
    std::optional<std::size_t> invalidAt; // the byte of the first invalid sequence, if any: the
                                          // text before it is converted, the rest is not
};

// One conversion from a source to a target standard through the New pivot, fed in pieces so
// that texts of any size convert in constant memory. A missing standard (a name that matched
// none) converts every text to the empty text; with HTML only New to New yields text.
//
//     Converter converter(Standard::Old, Standard::New, DocumentType::Plain, {});
//     std::u32string out;
//     converter.feed(U"Kheetsoy dh", out);
//     converter.feed(U"ath", out);
//     converter.finish(out); // out == U"xícó ðæþ"
//
// Copies are independent converters that share their compiled tables.
class Converter {
public:
    Converter(std::optional<Standard> source, std::optional<Standard> target, DocumentType type,
              ConversionOptions options);

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
    [[nodiscard]] Utf8Progress finishUtf8(std::span<char> out) noexcept;

private:
    std::shared_ptr<const detail::Transcriber> transcriber_;
    std::optional<char16_t> pending_; // a letter that the next piece may pair with
};

// A place where UTF-8 text may be cut, so that the part from the cut on can be converted apart
// (and so at the same time) with a fresh converter: the first position in [from, to) that
// holds an ASCII character other than a letter, which no two-letter spelling spans; npos if
// there is none. Finish the converter of the part before the cut to write all of it.
[[nodiscard]] std::size_t FindIndependentCut(std::string_view utf8, std::size_t from,
                                             std::size_t to) noexcept;

// The whole UTF-8 `text` converted from `from` to `to`. The text is taken exactly as given:
// put ToNfc() (<orvani/normalization.h>) in front for text whose accents may come decomposed.
//
//     ConvertUtf8("Kheetsoy dhath", Standard::Old, Standard::New).text == "xícó ðæþ"
[[nodiscard]] Utf8Conversion ConvertUtf8(std::string_view text, Standard from, Standard to,
                                         ConversionOptions options = {});

// The whole of `text` converted from `source` to `target`; never fails, an empty result is "".
[[nodiscard]] std::u32string ConvertText(std::u32string_view text, std::optional<Standard> source,
                                         std::optional<Standard> target, DocumentType type,
                                         ConversionOptions options);

} // namespace orvani
