#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvani::documents {

// The namespace that the prefix "xml" is bound to everywhere, and the one of declarations.
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

// A name as the document means it, whatever prefix it was written with. The views last as
// long as the event they came with.
struct XmlName {
    std::string_view uri; // empty: in no namespace
    std::string_view local;
    friend bool operator==(const XmlName&, const XmlName&) = default;
};

// The namespace declarations in scope, element by element, as a document's own xmlns and
// xmlns:p attributes make them.
class XmlNamespaces {
public:
    using Attributes = std::vector<std::pair<std::string, std::string>>;

    // Enters an element: its declarations are in scope until leave().
    void enter(const Attributes& attributes);
    void leave();

    // An element without a prefix is in the default namespace, an attribute in none.
    [[nodiscard]] XmlName element(std::string_view qualified) const;
    [[nodiscard]] XmlName attribute(std::string_view qualified) const;
    // Whether the prefix of `qualified` (if it has one) is declared here.
    [[nodiscard]] bool declares(std::string_view qualified) const;
    // A prefix that names `uri` here, innermost first; never the default namespace, which
    // attributes cannot use.
    [[nodiscard]] std::optional<std::string_view> prefixOf(std::string_view uri) const;

private:
    struct Binding {
        std::string prefix; // empty for the default namespace
        std::string uri;    // empty where xmlns="" takes the default away
    };
    [[nodiscard]] const Binding* find(std::string_view prefix) const;

    std::vector<Binding> bindings_;
    std::vector<std::size_t> marks_;
};

} // namespace orvani::documents
