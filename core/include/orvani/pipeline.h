#pragma once

#include <orvani/old_standard.h>
#include <orvani/script.h>
#include <orvani/standard.h>

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orvani {

// One conversion from a source to a target standard through the New pivot, fed in pieces so
// that texts of any size convert in constant memory. A missing standard (a name that matched
// none) converts every text to the empty text; with HTML only New to New yields text.
class Converter {
public:
    Converter(std::optional<Standard> source, std::optional<Standard> target, DocumentType type,
              ConversionOptions options);

    // Appends to `out` the converted text of `text`, the next piece of the source text.
    void feed(std::u32string_view text, std::u32string& out);
    // Appends what the last piece left open; the converter is then ready for a new text.
    void finish(std::u32string& out);

private:
    struct PassThrough {
        void feed(std::u32string_view text, std::u32string& out) { out.append(text); }
        void finish(std::u32string&) {}
    };
    struct Discard {
        void feed(std::u32string_view, std::u32string&) {}
        void finish(std::u32string&) {}
    };

    using Reader = std::variant<PassThrough, Discard, OldReader, ScriptReader>;
    using Writer = std::variant<PassThrough, Discard, OldWriter, ScriptWriter>;

    static Reader MakeReader(std::optional<Standard> source, DocumentType type,
                             ConversionOptions options);
    static Writer MakeWriter(std::optional<Standard> target, DocumentType type,
                             ConversionOptions options);

    Reader reader_;
    Writer writer_;
    std::u32string pivot_;
};

// The whole of `text` converted from `source` to `target`; never fails, an empty result is "".
[[nodiscard]] std::u32string ConvertText(std::u32string_view text, std::optional<Standard> source,
                                         std::optional<Standard> target, DocumentType type,
                                         ConversionOptions options);

} // namespace orvani
