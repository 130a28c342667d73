#pragma once

#include <orvani/old_standard.h>
#include <orvani/script.h>
#include <orvani/standard.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvani {

namespace detail {
class Transcriber;
}

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
    struct Utf8Step {
        std::size_t read;    // bytes of input converted: all but an unreadable end
        std::size_t written; // bytes of output
        bool invalid;        // input[read] starts an invalid sequence; otherwise, where read
                             // falls short, a sequence that the next piece may complete
    };
    // The most bytes that feedUtf8() writes for `bytes` bytes of input (finishUtf8() for 0).
    [[nodiscard]] std::size_t maxUtf8Output(std::size_t bytes) const noexcept;
    // Converts `utf8` up to its first invalid or cut-off sequence into `out`, which has room
    // for maxUtf8Output(utf8.size()) bytes.
    Utf8Step feedUtf8(std::string_view utf8, char* out);
    // Writes what the last piece left open; returns the number of bytes written.
    std::size_t finishUtf8(char* out);

private:
    std::shared_ptr<const detail::Transcriber> transcriber_;
    char32_t pending_;
};

// A place where UTF-8 text may be cut, so that the part from the cut on can be converted apart
// (and so at the same time) with a fresh converter: the first position in [from, to) that
// holds an ASCII character other than a letter, which no two-letter spelling spans; npos if
// there is none. Finish the converter of the part before the cut to write all of it.
[[nodiscard]] std::size_t FindIndependentCut(std::string_view utf8, std::size_t from,
                                             std::size_t to) noexcept;

// The whole of `text` converted from `source` to `target`; never fails, an empty result is "".
[[nodiscard]] std::u32string ConvertText(std::u32string_view text, std::optional<Standard> source,
                                         std::optional<Standard> target, DocumentType type,
                                         ConversionOptions options);

} // namespace orvani
