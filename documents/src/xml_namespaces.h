#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
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
// xmlns:p attributes make them. Every look-up takes the same time however many are in scope,
// so that a part declaring thousands costs no more than their number.
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
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    struct Binding {
        std::string prefix; // empty for the default namespace
        std::string uri;    // empty where xmlns="" takes the default away
        std::size_t hides;  // the binding of the same prefix that this one hides, or kNone
    };
    // Not noexcept, so that the tables keep each key's hash rather than work it out again.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    template <typename Value>
    using ByName = std::unordered_map<std::string, Value, Hash, std::equal_to<>>;

    [[nodiscard]] const Binding* find(std::string_view prefix) const;
    // Whether binding `index`, with a prefix, may be given for its namespace.
    void setVisible(std::size_t index, bool visible);

    std::vector<Binding> bindings_;
    std::vector<std::size_t> marks_;
    ByName<std::size_t> innermost_; // by prefix, the binding in scope
    // By namespace, the bindings with a prefix that no other hides, innermost last.
    ByName<std::set<std::size_t>> visible_;
};

} // namespace orvani::documents
