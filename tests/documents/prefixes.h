#pragma once

// The tests' own XML with its namespaces written under other prefixes, the same document to
// any reader that follows the declarations. Plain text replacement: enough for documents whose
// text and attribute values never look like a name.

#include <string>
#include <utility>
#include <vector>

namespace orvani::testing {

inline void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
}

// Each prefix `from` becomes `to`: in its declarations, element names and attribute names.
inline std::string Renamed(std::string xml,
                           const std::vector<std::pair<std::string, std::string>>& prefixes) {
    for (const auto& [from, to] : prefixes) {
        ReplaceAll(xml, "xmlns:" + from + "=", "xmlns:" + to + "=");
        for (const std::string before : {"<", "</", " "}) {
            ReplaceAll(xml, before + from + ":", before + to + ":");
        }
    }
    return xml;
}

// The elements of `prefix` written in the default namespace instead; its declarations stay,
// beside a default one, for the attributes.
inline std::string InDefaultNamespace(std::string xml, const std::string& prefix) {
    const std::string declaration = "xmlns:" + prefix + "=";
    for (std::size_t at = 0; (at = xml.find(declaration, at)) != std::string::npos;) {
        const std::size_t end = xml.find(xml[at + declaration.size()], at + declaration.size() + 1);
        const std::string value =
            xml.substr(at + declaration.size(), end + 1 - at - declaration.size());
        xml.insert(at, "xmlns=" + value + " ");
        at += value.size() + 7 + declaration.size();
    }
    ReplaceAll(xml, "<" + prefix + ":", "<");
    ReplaceAll(xml, "</" + prefix + ":", "</");
    return xml;
}

} // namespace orvani::testing
