#include "window_pipeline.h"

#include <orvani/old_standard.h>
#include <orvani/script.h>

namespace orvani::window {

DocumentType DocumentTypeFromName(std::string_view name) noexcept {
    return name == "HTML" ? DocumentType::HTML : DocumentType::Plain;
}

std::u32string ConvertText(std::u32string_view text, std::optional<Standard> source,
                           std::optional<Standard> target, DocumentType type,
                           ConversionOptions options) {
    // Each standard is tested on its own, Old, Script, then New, as the window always has.
    std::u32string pivot;
    if (source == Standard::Old) {
        pivot = ConvA(text, type, options);
    }
    if (source == Standard::Script) {
        pivot = ConvS(text, type);
    }
    if (source == Standard::New) {
        pivot.assign(text.begin(), text.end());
    }
    std::u32string result;
    if (target == Standard::Old) {
        result = OutA(pivot, type, options);
    }
    if (target == Standard::Script) {
        result = OutS(pivot, type);
    }
    if (target == Standard::New) {
        result = std::move(pivot);
    }
    return result;
}

} // namespace orvani::window
