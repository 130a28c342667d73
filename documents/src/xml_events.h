#pragma once

#include "xml_namespaces.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvani::documents {

// One event of an XML part, with the bytes of the part that it came from, so that a document
// can be rewritten by replacing some byte ranges and keeping every other byte as it was.
struct XmlEvent {
    enum class Kind { Start, End, Text };
    Kind kind;
    std::string_view name;                       // qualified, as written ("w:t"); empty for Text
    XmlName element;                             // Start and End: the name resolved
    const XmlNamespaces::Attributes* attributes; // Start only, names as written
    // In scope at the event; at an element's start and end, its own declarations included.
    const XmlNamespaces* namespaces;
    std::string_view text; // Text only: the characters, references decoded
    std::size_t begin;     // [begin, end): the event's bytes in the part; for an empty element
    std::size_t end;       // ("<a/>") Start has them all and End is empty, at its end

    // Start only: the value of the attribute that resolves to `name`, or null.
    [[nodiscard]] const std::string* attribute(const XmlName& name) const;
};

// Reads `xml`, the part named `part` of a document, and calls `handle` for each event in order.
// Refuses document type declarations (and with them every entity but the predefined ones, and
// anything external), and names with a prefix that is not declared. Throws DocumentError naming
// the part, the line and the column where the XML is malformed.
void ReadXml(std::string_view xml, const std::string& part,
             const std::function<void(const XmlEvent&)>& handle);

// The characters `text` written as XML character data (or, with `inAttribute`, as an attribute
// value between double quotes).
[[nodiscard]] std::string EscapeXml(std::string_view text, bool inAttribute = false);

// Replaces byte ranges of a text. Edits must not overlap; an insertion has begin == end.
class ByteEdits {
public:
    void replace(std::size_t begin, std::size_t end, std::string replacement);
    void insert(std::size_t at, std::string text) { replace(at, at, std::move(text)); }
    [[nodiscard]] bool empty() const noexcept { return edits_.empty(); }
    // `original` with every edit made; throws std::logic_error where edits overlap.
    [[nodiscard]] std::string apply(std::string_view original) const;
    // Appends to `out` the bytes of `original` from `copied` to `until` with the edits made,
    // which must all lie there, and forgets the edits: a text edited from start to end is
    // written piece by piece, holding only the edits of the piece not yet written.
    void flush(std::string_view original, std::size_t until, std::size_t& copied, std::string& out);

private:
    struct Edit {
        std::size_t begin;
        std::size_t end;
        std::string replacement;
        std::size_t order; // insertions at one place keep the order they were made in
    };
    [[nodiscard]] std::vector<const Edit*> sorted() const;
    void write(std::string_view original, std::size_t until, std::size_t& copied,
               std::string& out) const;

    std::vector<Edit> edits_;
};

} // namespace orvani::documents
