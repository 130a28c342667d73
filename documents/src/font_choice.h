#pragma once

#include <orvani/documents.h>
#include <orvani/internal/ascii.h>

#include <string_view>

namespace orvani::documents {

// Font names match as word processors and CSS match them, whatever their ASCII case.
[[nodiscard]] inline bool IsScriptFont(std::string_view family, const DocumentSettings& settings) {
    return internal::EqualsIgnoringAsciiCase(family, settings.scriptFont);
}

// Whether text in the Script font (or not in it) is the source standard's to convert.
[[nodiscard]] inline bool Converts(const DocumentSettings& settings, bool inScriptFont) {
    return !settings.byFont || inScriptFont == (settings.from == Standard::Script);
}

// Whether a conversion reads the Script font off its text, and so must take it away.
[[nodiscard]] inline bool ReadsScript(const DocumentSettings& settings) {
    return settings.from == Standard::Script && settings.to != Standard::Script;
}

} // namespace orvani::documents
