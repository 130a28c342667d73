#pragma once

#include <orvani/documents.h>
#include <orvani/internal/ascii.h>

#include <string>
#include <string_view>

namespace orvani::documents {

// Font names match as word processors and CSS match them, whatever their ASCII case.
[[nodiscard]] inline bool IsScriptFont(std::string_view family, const DocumentSettings& settings) {
    return internal::EqualsIgnoringAsciiCase(family, settings.scriptFont);
}

// The first family of a family list ("'Orvani Script', serif"), without its quotes.
[[nodiscard]] inline std::string FirstFamily(std::string_view list) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    list = list.substr(0, list.find(','));
    while (!list.empty() && space(list.front())) {
        list.remove_prefix(1);
    }
    while (!list.empty() && space(list.back())) {
        list.remove_suffix(1);
    }
    if (list.size() >= 2 && (list.front() == '\'' || list.front() == '"') &&
        list.back() == list.front()) {
        list = list.substr(1, list.size() - 2);
    }
    return std::string(list);
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
