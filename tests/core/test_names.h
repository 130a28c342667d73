#pragma once

// Texts as failure messages and test names show them.

#include <orvani/standard.h>

#include <cstddef>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>

namespace orvani::testing {

// Printable ASCII as it is, any other character as \u{hex}.
inline std::string Escaped(std::u32string_view text) {
    std::string out = "\"";
    for (const char32_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != U'"' && c != U'\\') {
            out += static_cast<char>(c);
        } else {
            char hex[16];
            std::snprintf(hex, sizeof hex, "\\u{%X}", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out + "\"";
}

inline std::string OptionsName(ConversionOptions options) {
    if (options.a && options.ohUh) {
        return "a_ohUh";
    }
    return options.a ? "a" : options.ohUh ? "ohUh" : "no_flags";
}

// A name for the case `index` of a parameterised suite: the text's ASCII letters and digits as
// typed, each other character but a space as U and its hex code, then `suffix`. A name already
// given in this suite gets a counter, so that texts that differ only past the cut or in spaces
// still have names of their own.
inline std::string ReadableName(std::u32string_view text, std::string_view suffix,
                                std::size_t index) {
    constexpr std::size_t kLongestText = 48;
    std::string name;
    bool separate = false;
    for (const char32_t c : text) {
        if (name.size() >= kLongestText) {
            break;
        }
        const bool alphanumeric =
            (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
        if (alphanumeric) {
            if (separate && !name.empty()) {
                name += '_';
            }
            name += static_cast<char>(c);
            separate = false;
        } else if (c == U' ') {
            separate = true;
        } else {
            char hex[16];
            std::snprintf(hex, sizeof hex, "U%04X", static_cast<unsigned>(c));
            name += name.empty() ? hex : std::string("_") + hex;
            separate = true;
        }
    }
    if (name.empty()) {
        name = "empty";
    }
    if (!suffix.empty()) {
        name.append("_").append(suffix);
    }
    // GoogleTest names a suite's cases in order from index 0, once for each of its tests.
    static std::set<std::string> given;
    if (index == 0) {
        given.clear();
    }
    const std::string base = name;
    for (int count = 2; !given.insert(name).second; ++count) {
        name = base + "_" + std::to_string(count);
    }
    return name;
}

} // namespace orvani::testing
