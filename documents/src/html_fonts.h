#pragma once

#include "html_tokenizer.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvani::documents {

// The font family that a page gives an element itself, as browsers cascade it: the element's
// style attribute, else the most specific and then the last of the font-family rules in the
// page's own <style> elements that select it, else <font face>. Rules are followed only where
// each selector is one element name, class and id, or "*" (as "p", ".orv", "span.orv#w"); any
// other selector, at-rules, !important, the font shorthand, escapes and linked style sheets
// are not.
class PageFonts {
public:
    // Reads the rules of every <style> element of `html`.
    explicit PageFonts(std::string_view html);

    // The first family that the element of start tag `tag` is given, or nothing where it
    // inherits its parent's.
    [[nodiscard]] std::optional<std::string> familyOf(const HtmlToken& tag,
                                                      std::string_view html) const;

private:
    struct Rule {
        std::string element; // empty for any
        std::vector<std::string> classes;
        std::string id;
        int specificity;
        std::string family;
        std::size_t order = 0; // of the last rule with this selector: the later of two wins
    };

    void readSheet(std::string_view css);
    void add(const std::string& selector, Rule rule);
    void consider(const std::string& key, const HtmlToken& tag,
                  const std::vector<std::string_view>& classes, std::string_view id,
                  const Rule*& best) const;

    // Each selector once, its last rule; filed under its id, else its first class, else its
    // element, so that an element is matched against the few rules that could select it.
    std::map<std::string, Rule> bySelector_;
    std::map<std::string, std::vector<const Rule*>, std::less<>> byKey_;
    std::size_t order_ = 0;
};

// The first family of the font-family declaration in `declarations` (a rule's or a style
// attribute's), or nothing.
[[nodiscard]] std::optional<std::string> DeclaredFamily(std::string_view declarations);

} // namespace orvani::documents
