#include "paragraph.h"

#include <orvani/normalization.h>
#include <unicode/utf8.h>

namespace orvani::documents {
namespace {

std::string Utf8(std::u32string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text) {
        std::uint8_t buffer[U8_MAX_LENGTH];
        std::int32_t length = 0;
        // The text came from valid UTF-8, and conversion writes only characters.
        U8_APPEND_UNSAFE(buffer, length, static_cast<UChar32>(c));
        bytes.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
    }
    return bytes;
}

std::u32string CodePoints(std::string_view utf8) {
    std::u32string text;
    text.reserve(utf8.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(utf8.data());
    const auto length = static_cast<std::int32_t>(utf8.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        text.push_back(static_cast<char32_t>(c));
    }
    return text;
}

} // namespace

ParagraphConverter::ParagraphConverter(const DocumentSettings& settings)
    : normalize_(settings.normalize),
      converter_(settings.from, settings.to, DocumentType::Plain, settings.options) {}

std::size_t ParagraphConverter::add(std::string_view text) {
    std::u32string source = CodePoints(text);
    if (normalize_) {
        source = ToNfc(source);
    }
    // What the letter held from the last run writes if nothing pairs with it. The output of
    // this run begins with it exactly when it did not pair; it then belongs to the last run.
    std::u32string heldAlone;
    if (!runs_.empty()) {
        Converter alone = converter_;
        alone.finish(heldAlone);
    }
    scratch_.clear();
    converter_.feed(source, scratch_);
    std::u32string_view out = scratch_;
    if (!heldAlone.empty() && out.starts_with(heldAlone)) {
        runs_[lastFed_] += Utf8(heldAlone);
        out.remove_prefix(heldAlone.size());
    }
    runs_.push_back(Utf8(out));
    if (!source.empty()) {
        lastFed_ = runs_.size() - 1;
    }
    return runs_.size() - 1;
}

void ParagraphConverter::breakHere() {
    scratch_.clear();
    converter_.finish(scratch_);
    if (!runs_.empty()) {
        runs_[lastFed_] += Utf8(scratch_);
    }
}

void ParagraphConverter::finish() {
    breakHere();
}

} // namespace orvani::documents
