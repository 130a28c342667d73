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
        std::string_view prefix;
        if (name.starts_with("xmlns:")) {
            prefix = std::string_view(name).substr(6);
        } else if (name != "xmlns") {
            continue;
        }
        const std::size_t index = bindings_.size();
        const auto [innermost, fresh] = innermost_.try_emplace(std::string(prefix), index);
        const std::size_t hides = fresh ? kNone : std::exchange(innermost->second, index);
        bindings_.push_back({std::string(prefix), value, hides});
        if (hides != kNone) {
            setVisible(hides, false);
        }
        setVisible(index, true);
    }
}

void XmlNamespaces::leave() {
    while (bindings_.size() > marks_.back()) {
        const std::size_t index = bindings_.size() - 1;
        const Binding& binding = bindings_.back();
        setVisible(index, false);
        if (binding.hides == kNone) {
            innermost_.erase(innermost_.find(binding.prefix));
        } else {
            innermost_.find(binding.prefix)->second = binding.hides;
            setVisible(binding.hides, true);
        }
        bindings_.pop_back();
    }
    marks_.pop_back();
}

void XmlNamespaces::setVisible(std::size_t index, bool visible) {
    const Binding& binding = bindings_[index];
    if (binding.prefix.empty()) {
        return;
    }
    if (visible) {
        visible_[binding.uri].insert(index);
    } else if (const auto found = visible_.find(binding.uri); found != visible_.end()) {
        found->second.erase(index);
        if (found->second.empty()) {
            visible_.erase(found);
        }
    }
}

const XmlNamespaces::Binding* XmlNamespaces::find(std::string_view prefix) const {
    const auto found = innermost_.find(prefix);
    return found == innermost_.end() ? nullptr : &bindings_[found->second];
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
    const auto found = visible_.find(uri);
    if (found == visible_.end()) {
        return std::nullopt;
    }
    return bindings_[*found->second.rbegin()].prefix;
}

} // namespace orvani::documents
