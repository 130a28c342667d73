#pragma once

#include "xml_namespaces.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orvani::documents {

// Transitional and strict WordprocessingML: a document may use either, under any prefix.
constexpr std::array<std::string_view, 2> kWordNamespaces{
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main",
    "http://purl.oclc.org/ooxml/wordprocessingml/main"};

// The stored copy of a WordprocessingML namespace, or empty.
inline std::string_view WordNamespace(std::string_view uri) {
    const auto* found = std::ranges::find(kWordNamespaces, uri);
    return found == kWordNamespaces.end() ? std::string_view() : *found;
}

// The local name where `name` is in WordprocessingML, else empty.
inline std::string_view Word(const XmlName& name) {
    return WordNamespace(name.uri).empty() ? std::string_view() : name.local;
}

} // namespace orvani::documents
