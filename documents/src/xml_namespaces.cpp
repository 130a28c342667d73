#include "xml_namespaces.h"

#include <algorithm>

namespace orvani::documents {
namespace {

std::pair<std::string_view, std::string_view> Split(std::string_view qualified) {
    const std::size_t colon = qualified.find(':');
    if (colon == std::string_view::npos) {
        return {{}, qualified};
    }
    return {qualified.substr(0, colon), qualified.substr(colon + 1)};
}

} // namespace

void XmlNamespaces::enter(const Attributes& attributes) {
    marks_.push_back(bindings_.size());
    for (const auto& [name, value] : attributes) {
        if (name == "xmlns") {
            bindings_.push_back({"", value});
        } else if (name.starts_with("xmlns:")) {
            bindings_.push_back({name.substr(6), value});
        }
    }
}

void XmlNamespaces::leave() {
    bindings_.resize(marks_.back());
    marks_.pop_back();
}

const XmlNamespaces::Binding* XmlNamespaces::find(std::string_view prefix) const {
    const auto found =
        std::ranges::find(bindings_.rbegin(), bindings_.rend(), prefix, &Binding::prefix);
    return found == bindings_.rend() ? nullptr : &*found;
}

XmlName XmlNamespaces::element(std::string_view qualified) const {
    const auto [prefix, local] = Split(qualified);
    if (prefix == "xml") {
        return {kXmlNamespace, local};
    }
    const Binding* binding = find(prefix);
    if (binding == nullptr) {
        return {{}, qualified};
    }
    return {binding->uri, local};
}

XmlName XmlNamespaces::attribute(std::string_view qualified) const {
    const auto [prefix, local] = Split(qualified);
    if (prefix.empty()) {
        return {qualified == "xmlns" ? kXmlnsNamespace : std::string_view(), local};
    }
    if (prefix == "xmlns") {
        return {kXmlnsNamespace, local};
    }
    return element(qualified);
}

bool XmlNamespaces::declares(std::string_view qualified) const {
    const std::string_view prefix = Split(qualified).first;
    if (prefix.empty() || prefix == "xml" || prefix == "xmlns") {
        return true;
    }
    const Binding* binding = find(prefix);
    return binding != nullptr && !binding->uri.empty();
}

std::optional<std::string_view> XmlNamespaces::prefixOf(std::string_view uri) const {
    if (uri == kXmlNamespace) {
        return "xml";
    }
    for (auto binding = bindings_.rbegin(); binding != bindings_.rend(); ++binding) {
        // A prefix declared again further in names something else here.
        if (binding->uri == uri && !binding->prefix.empty() && find(binding->prefix) == &*binding) {
            return binding->prefix;
        }
    }
    return std::nullopt;
}

} // namespace orvani::documents
